#include <windows.h>

#include "core/platform/os/file_lock.h"
#include "core/platform/os/lock_file.h"
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
constexpr DWORD kExclusiveNow = LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY;
constexpr DWORD kSharedNow = LOCKFILE_FAIL_IMMEDIATELY;

HANDLE Handle(intptr_t native) {
  return win32::AsHandle(native);
}

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

std::string Reason(DWORD error, const std::string& path) {
  return win32::FileError(error, path, "FileLock").description();
}

bool DeletePending(HANDLE file) {
  FILE_STANDARD_INFO info{};
  return ::GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info) &&
         info.DeletePending;
}

intptr_t Open(const std::string& path, DWORD access, DWORD disposition) {
  // Not inheritable: a tool started during the run must not hold the file.
  const HANDLE file = ::CreateFileW(
      win32::Wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, disposition, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  return file == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(file);
}

}  // namespace

LockFile::~LockFile() {
  if (native_ != -1) ::CloseHandle(Handle(native_));
}

LockFile::Opened LockFile::open(const std::string& path) {
  path_ = path;
  native_ = Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  if (native_ != -1) return Opened::Yes;
  const DWORD error = ::GetLastError();
  reason_ = Reason(error, path);
  return error == ERROR_ACCESS_DENIED ? Opened::Denied : Opened::Failed;
}

bool LockFile::openToRead(const std::string& path) {
  path_ = path;
  native_ = Open(path, GENERIC_READ, OPEN_EXISTING);
  // Denied to a reader too: its holder is removing it. Missing: the folder
  // itself refused the file.
  beingRemoved_ = native_ == -1 && ::GetLastError() != ERROR_FILE_NOT_FOUND;
  return native_ != -1;
}

// A link or a device there is no lock file of ours.
bool LockFile::regularFile() const {
  FILE_ATTRIBUTE_TAG_INFO tag{};
  return ::GetFileType(Handle(native_)) == FILE_TYPE_DISK &&
         !(::GetFileInformationByHandleEx(Handle(native_), FileAttributeTagInfo, &tag,
                                          sizeof tag) &&
           (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
}

bool LockFile::hasOtherNames() const {
  BY_HANDLE_FILE_INFORMATION info{};
  return ::GetFileInformationByHandle(Handle(native_), &info) && info.nNumberOfLinks > 1;
}

LockFile::Claim LockFile::claim() {
  const HANDLE file = Handle(native_);
  if (!Lock(file, kWritingByte, kExclusiveNow)) {
    const DWORD error = ::GetLastError();
    reason_ = Reason(error, path_);
    return error == ERROR_LOCK_VIOLATION ? Claim::HeldByRun : Claim::Failed;
  }
  if (!Lock(file, kClaimByte, kExclusiveNow)) {
    const DWORD error = ::GetLastError();
    Unlock(file, kWritingByte);
    reason_ = Reason(error, path_);
    return error == ERROR_LOCK_VIOLATION ? Claim::HeldByRun : Claim::Failed;
  }
  return Claim::Won;
}

LockFile::Holder LockFile::claimHolder() {
  return Lock(Handle(native_), kClaimByte, kSharedNow) ? Holder::None : Holder::Another;
}

bool LockFile::tryGuardForReading() {
  return Lock(Handle(native_), kWritingByte, kSharedNow);
}

void LockFile::releaseGuard() {
  Unlock(Handle(native_), kWritingByte);
}

std::string LockFile::readAll() {
  std::string text(4096, '\0');
  OVERLAPPED start = At(0);
  DWORD got = 0;
  if (!::ReadFile(Handle(native_), text.data(), static_cast<DWORD>(text.size()), &got, &start))
    got = 0;
  text.resize(got);
  return text;
}

// A claim won on a file that its holder removed as it let go claims nothing.
bool LockFile::stillNamedBy(const std::string& /*path*/) const {
  return !DeletePending(Handle(native_));
}

bool LockFile::writeDescription(const std::string& text) {
  const HANDLE file = Handle(native_);
  LARGE_INTEGER start{};
  OVERLAPPED position = At(0);
  DWORD done = 0;
  if (::SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && ::SetEndOfFile(file) &&
      ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &done, &position) &&
      done == text.size())
    return true;
  reason_ = Reason(::GetLastError(), path_);
  return false;
}

intptr_t LockFile::keep() {
  const intptr_t kept = native_;
  native_ = -1;
  return kept;
}

bool RemoveLockFile(const std::string& path, std::string& reason) {
  if (::DeleteFileW(win32::Wide(path).c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND)
    return true;
  reason = Reason(::GetLastError(), path);
  return false;
}

bool FileLock::stillHeld() const {
  if (!held()) return false;
  const HANDLE held = Handle(native_);
  const win32::Handle named(::CreateFileW(win32::Wide(path_).c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                          nullptr));
  if (!named) return false;
  BY_HANDLE_FILE_INFORMATION mine{}, theirs{};
  return ::GetFileInformationByHandle(held, &mine) &&
         ::GetFileInformationByHandle(named.get(), &theirs) &&
         mine.dwVolumeSerialNumber == theirs.dwVolumeSerialNumber &&
         mine.nFileIndexHigh == theirs.nFileIndexHigh &&
         mine.nFileIndexLow == theirs.nFileIndexLow && !DeletePending(held);
}

void FileLock::release() {
  if (!held()) return;
  // Removed while still held: it disappears once closed, and whoever opened
  // it meanwhile sees it being removed and opens afresh.
  ::DeleteFileW(win32::Wide(path_).c_str());
  ::CloseHandle(Handle(native_));
  native_ = -1;
  path_.clear();
}

}  // namespace xkm
