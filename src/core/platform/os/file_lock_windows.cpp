#include <windows.h>

#include <utility>

#include "core/platform/os/file_lock.h"
#include "core/platform/os/win32_support.h"

namespace xkm {
namespace {

// Windows locks are mandatory: a locked byte cannot be read by others. The
// claim therefore lies far beyond the description at the file's start.
// The claim byte is the run's claim; the writing byte is held only while the
// holder writes its description, so that a refused run never reads a
// half-written one. The writing byte is taken first, so that whoever finds
// the claim taken also finds the writing byte taken until the text is there.
constexpr ULONGLONG kClaimByte = ULONGLONG{1} << 62;
constexpr ULONGLONG kWritingByte = kClaimByte + 1;
// A lock file being removed by its last holder cannot be opened for a short
// moment; a few more attempts find it gone.
constexpr int kAttempts = 8;

OVERLAPPED At(ULONGLONG offset) {
  OVERLAPPED position{};
  position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
  position.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return position;
}

bool Lock(HANDLE file, ULONGLONG byte, DWORD flags) {
  OVERLAPPED position = At(byte);
  return ::LockFileEx(file, flags, 0, 1, 0, &position) != 0;
}

void Unlock(HANDLE file, ULONGLONG byte) {
  OVERLAPPED position = At(byte);
  ::UnlockFileEx(file, 0, 1, 0, &position);
}

std::string ReadAll(HANDLE file) {
  std::string text(4096, '\0');
  OVERLAPPED start = At(0);
  DWORD got = 0;
  if (!::ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, &start)) got = 0;
  text.resize(got);
  return text;
}

// The holder's description, read once it has been written completely; a
// writer that never finishes (another program's lock) is waited for only so
// long.
std::string ReadHolder(const FileLock::KeepWaiting& keepWaiting, HANDLE file) {
  bool locked = false;
  for (int waited = 0; !(locked = Lock(file, kWritingByte, LOCKFILE_FAIL_IMMEDIATELY)) &&
                       waited < FileLock::kHolderPatienceMs && (!keepWaiting || keepWaiting());
       waited += 20)
    ::Sleep(20);
  // A writer that never finished is no run.
  if (!locked) return {};
  std::string text = ReadAll(file);
  Unlock(file, kWritingByte);
  return text;
}

std::string Reason(DWORD error, const std::string& path) {
  return win32::FileError(error, path, "FileLock").description();
}

bool DeletePending(HANDLE file) {
  FILE_STANDARD_INFO info{};
  return ::GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info) &&
         info.DeletePending;
}

bool WriteDescription(HANDLE file, const std::string& text) {
  LARGE_INTEGER start{};
  if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN) || !::SetEndOfFile(file)) return false;
  OVERLAPPED position = At(0);
  DWORD done = 0;
  return ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &done, &position) &&
         done == text.size();
}

HANDLE Open(const std::wstring& path, DWORD access, DWORD disposition) {
  // Not inheritable: a tool started during the run must not hold the file.
  return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, disposition, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                       nullptr);
}

}  // namespace

FileLock::Status FileLock::tryAcquire(const std::string& path, const std::string& description,
                                      std::string& holder, const KeepWaiting& keepWaiting) {
  release();
  const std::wstring wide = win32::Wide(path);
  constexpr DWORD kNow = LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    HANDLE file = Open(wide, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD error = ::GetLastError();
      holder = Reason(error, path);
      if (error != ERROR_ACCESS_DENIED) return Status::Unavailable;
      // Being removed by its holder, or not ours to write: a reader tells.
      HANDLE reader = Open(wide, GENERIC_READ, OPEN_EXISTING);
      if (reader != INVALID_HANDLE_VALUE) {
        const bool held = !Lock(reader, kClaimByte, LOCKFILE_FAIL_IMMEDIATELY);
        if (held) holder = ReadHolder(keepWaiting, reader);
        ::CloseHandle(reader);
        if (held) return Status::HeldByOther;
        // Another user's stale lock file is taken over, as on Linux: removed,
        // then made afresh. One that cannot be removed is tried again, and
        // after the last attempt ends the claim with the reason.
        if (!::DeleteFileW(wide.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND)
          holder = Reason(::GetLastError(), path);
      }
      ::Sleep(10);
      continue;
    }
    // A link or a device there is no lock file of ours.
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (::GetFileType(file) != FILE_TYPE_DISK ||
        (::GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag) &&
         (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)) {
      holder = "not a regular file";
      ::CloseHandle(file);
      return Status::Unavailable;
    }
    // Another name of a file elsewhere: writing the holder would go through it.
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileInformationByHandle(file, &info) && info.nNumberOfLinks > 1) {
      holder = kHardLinkReason;
      ::CloseHandle(file);
      return Status::Unavailable;
    }
    if (!Lock(file, kWritingByte, kNow)) {
      const bool held = ::GetLastError() == ERROR_LOCK_VIOLATION;
      if (held) holder = ReadHolder(keepWaiting, file);
      ::CloseHandle(file);
      return held ? Status::HeldByOther : Status::Unavailable;
    }
    if (!Lock(file, kClaimByte, kNow)) {
      const bool held = ::GetLastError() == ERROR_LOCK_VIOLATION;
      Unlock(file, kWritingByte);
      if (held) holder = ReadHolder(keepWaiting, file);
      ::CloseHandle(file);
      return held ? Status::HeldByOther : Status::Unavailable;
    }
    // A lock won on a file that its holder removed as it let go claims nothing.
    if (DeletePending(file)) {
      ::CloseHandle(file);
      ::Sleep(10);
      continue;
    }
    if (!WriteDescription(file, description)) {
      holder = Reason(::GetLastError(), path);
      ::DeleteFileW(wide.c_str());
      ::CloseHandle(file);
      return Status::Unavailable;
    }
    Unlock(file, kWritingByte);
    native_ = reinterpret_cast<intptr_t>(file);
    path_ = path;
    return Status::Acquired;
  }
  holder = "the file keeps changing under the lock";
  return Status::Unavailable;
}

bool FileLock::stillHeld() const {
  if (!held()) return false;
  const HANDLE held = win32::AsHandle(native_);
  HANDLE named = ::CreateFileW(win32::Wide(path_).c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (named == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION mine{}, theirs{};
  const bool same = ::GetFileInformationByHandle(held, &mine) &&
                    ::GetFileInformationByHandle(named, &theirs) &&
                    mine.dwVolumeSerialNumber == theirs.dwVolumeSerialNumber &&
                    mine.nFileIndexHigh == theirs.nFileIndexHigh &&
                    mine.nFileIndexLow == theirs.nFileIndexLow && !DeletePending(held);
  ::CloseHandle(named);
  return same;
}

void FileLock::release() {
  if (!held()) return;
  // Removed while still held: it disappears once closed, and whoever opened
  // it meanwhile sees it being removed and opens afresh.
  ::DeleteFileW(win32::Wide(path_).c_str());
  ::CloseHandle(win32::AsHandle(native_));
  native_ = -1;
  path_.clear();
}

}  // namespace xkm
