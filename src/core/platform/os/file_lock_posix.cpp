#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/platform/os/file_lock.h"
#include "core/platform/os/lock_file.h"

namespace xkm {
namespace {

// Byte 0 is the run's claim; byte 1 is held only while the holder writes its
// description, so that a refused run never reads a half-written one.
constexpr off_t kClaimByte = 0;
constexpr off_t kWritingByte = 1;
constexpr off_t kToTheEnd = 0;

bool Lock(int fd, short type, off_t start, off_t length) {
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = start;
  range.l_len = length;
  while (::fcntl(fd, F_OFD_SETLK, &range) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool HeldElsewhere() {
  return errno == EAGAIN || errno == EACCES;
}

std::string Reason(int error) {
  // O_NOFOLLOW refuses a link with ELOOP, whose text speaks of loops.
  return error == ELOOP ? "a link, not a file" : std::strerror(error);
}

int Fd(intptr_t native) {
  return static_cast<int>(native);
}

// Whether `fd` is still the file under `path`.
bool SameFile(int fd, const std::string& path) {
  struct stat opened {
  }, named{};
  return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

}  // namespace

LockFile::~LockFile() {
  if (native_ != -1) ::close(Fd(native_));
}

LockFile::Opened LockFile::open(const std::string& path) {
  path_ = path;
  // Close-on-exec: a tool started during the run must not inherit the open
  // file description, or the lock would outlive a crash of this program.
  native_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
  if (native_ != -1) return Opened::Yes;
  reason_ = Reason(errno);
  return errno == EACCES ? Opened::Denied : Opened::Failed;
}

bool LockFile::openToRead(const std::string& path) {
  path_ = path;
  native_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  return native_ != -1;
}

bool LockFile::regularFile() const {
  struct stat info {};
  return ::fstat(Fd(native_), &info) == 0 && S_ISREG(info.st_mode);
}

bool LockFile::hasOtherNames() const {
  struct stat info {};
  return ::fstat(Fd(native_), &info) == 0 && info.st_nlink > 1;
}

LockFile::Claim LockFile::claim() {
  // The whole file: a lock another program holds on any part of it is never
  // mistaken for a free folder.
  if (Lock(Fd(native_), F_WRLCK, kClaimByte, kToTheEnd)) return Claim::Won;
  const int error = errno;
  if (!HeldElsewhere()) {
    reason_ = Reason(error);
    return Claim::Failed;
  }
  // A run always holds the claim byte itself.
  struct flock range {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;
  range.l_start = kClaimByte;
  range.l_len = 1;
  const bool byRun = ::fcntl(Fd(native_), F_OFD_GETLK, &range) != 0 || range.l_type != F_UNLCK;
  return byRun ? Claim::HeldByRun : Claim::HeldByProgram;
}

LockFile::Holder LockFile::claimHolder() {
  if (Lock(Fd(native_), F_RDLCK, kClaimByte, 1)) return Holder::None;
  return HeldElsewhere() ? Holder::Another : Holder::Unknown;
}

bool LockFile::tryGuardForReading() {
  return Lock(Fd(native_), F_RDLCK, kWritingByte, 1);
}

void LockFile::releaseGuard() {
  Lock(Fd(native_), F_UNLCK, kWritingByte, 1);
}

std::string LockFile::readAll() {
  std::string text;
  char buffer[512];
  off_t offset = 0;
  while (text.size() < 4096) {
    const ssize_t got = ::pread(Fd(native_), buffer, sizeof buffer, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(buffer, static_cast<size_t>(got));
    offset += got;
  }
  return text;
}

bool LockFile::stillNamedBy(const std::string& path) const {
  return SameFile(Fd(native_), path);
}

bool LockFile::writeDescription(const std::string& text) {
  const int fd = Fd(native_);
  // Another user must be able to take the file over once it is stale.
  ::fchmod(fd, 0666);
  if (::ftruncate(fd, 0) != 0) {
    reason_ = Reason(errno);
    return false;
  }
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t wrote =
        ::pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      reason_ = Reason(wrote < 0 ? errno : ENOSPC);
      return false;
    }
    done += static_cast<size_t>(wrote);
  }
  return true;
}

intptr_t LockFile::keep() {
  // Opened without blocking only so that a FIFO planted there could not hold the open.
  ::fcntl(Fd(native_), F_SETFL, ::fcntl(Fd(native_), F_GETFL) & ~O_NONBLOCK);
  const intptr_t kept = native_;
  native_ = -1;
  return kept;
}

bool RemoveLockFile(const std::string& path, std::string& reason) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
  reason = Reason(errno);
  return false;
}

bool FileLock::stillHeld() const {
  return held() && SameFile(Fd(native_), path_);
}

void FileLock::release() {
  if (!held()) return;
  // Removed while still held: whoever opened the old file meanwhile finds it
  // gone once it wins the lock, and opens afresh.
  ::unlink(path_.c_str());
  ::close(Fd(native_));
  native_ = -1;
  path_.clear();
}

}  // namespace xkm
