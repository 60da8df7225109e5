#include <windows.h>

#include <algorithm>
#include <thread>

#include "core/platform/error.h"
#include "core/platform/os/locked_append.h"
#include "core/platform/os/win32_support.h"

namespace xkm {
namespace {

// The caller names the file in its own message.
Error Failure(const std::string& what, DWORD win32Error) {
  return Error(platform_error::kPathFileAccess, what + ": " + win32::Reason(win32Error),
               "AppendLineLocked");
}

OVERLAPPED At(ULONGLONG offset) {
  OVERLAPPED position{};
  position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
  position.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return position;
}

void LockWholeFile(HANDLE file, std::chrono::milliseconds patience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  std::chrono::milliseconds pause(1);
  // Tried without blocking, so that a writer that hangs while holding the
  // lock (a dead network link) costs a bounded wait, not the run.
  for (;;) {
    OVERLAPPED whole = At(0);
    if (::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                     MAXDWORD, &whole))
      return;
    const DWORD error = ::GetLastError();
    if (error != ERROR_LOCK_VIOLATION) throw Failure("cannot lock", error);
    if (std::chrono::steady_clock::now() >= deadline)
      throw Failure("still locked by another writer", error);
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
}

bool EndsWithLineBreak(HANDLE file, ULONGLONG size) {
  if (size == 0) return true;
  char last = '\n';
  DWORD got = 0;
  OVERLAPPED position = At(size - 1);
  return ::ReadFile(file, &last, 1, &got, &position) && got == 1 && last == '\n';
}

}  // namespace

void AppendLineLocked(const std::string& path, const std::string& line,
                      std::chrono::milliseconds patience) {
  // Not inheritable, shared as a POSIX open is; the lock keeps writers apart.
  // Closing it also gives up the lock.
  const win32::Handle file(::CreateFileW(win32::Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) throw Failure("cannot open", ::GetLastError());
  LockWholeFile(file.get(), patience);

  // Taken under the lock: on a network share the lock is what makes the size current.
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) throw Failure("cannot read its size", ::GetLastError());
  const auto end = static_cast<ULONGLONG>(size.QuadPart);
  std::string text = EndsWithLineBreak(file.get(), end) ? "" : "\n";
  text += line;
  text += '\n';

  OVERLAPPED position = At(end);
  DWORD done = 0;
  if (!::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &done, &position) ||
      done != text.size()) {
    const DWORD reason =
        done != text.size() && ::GetLastError() == 0 ? ERROR_DISK_FULL : ::GetLastError();
    // A part of a line would spoil the next writer's line.
    LARGE_INTEGER back{};
    back.QuadPart = static_cast<LONGLONG>(end);
    if (!::SetFilePointerEx(file.get(), back, nullptr, FILE_BEGIN) || !::SetEndOfFile(file.get()))
      throw Failure("cannot write, and a part of the line is left", reason);
    throw Failure("cannot write", reason);
  }
  if (!::FlushFileBuffers(file.get())) throw Failure("cannot write", ::GetLastError());
}

}  // namespace xkm
