#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include "core/platform/os/file_lock.h"

namespace xkm {
namespace {

// Byte 0 is the run's claim; byte 1 is held only while the holder writes its
// description, so that a refused run never reads a half-written one.
constexpr off_t kClaimByte = 0;
constexpr off_t kWritingByte = 1;
// A lock file replaced or removed between our open and our lock is opened
// again; more than a few such races in a row means something odd is going on.
constexpr int kAttempts = 8;

bool Lock(int fd, short type, off_t start, off_t length, bool wait) {
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = start;
  range.l_len = length;
  while (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &range) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool HeldElsewhere() {
  return errno == EAGAIN || errno == EACCES;
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[512];
  off_t offset = 0;
  while (text.size() < 4096) {
    const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(buffer, static_cast<size_t>(got));
    offset += got;
  }
  return text;
}

// The holder's description, read once it has been written completely; a
// writer that never finishes (another program's lock) is waited for only so
// long, and what is there is read.
std::string ReadHolder(const FileLock::KeepWaiting& keepWaiting, int fd) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(FileLock::kHolderPatienceMs);
  bool locked = false;
  while (!(locked = Lock(fd, F_RDLCK, kWritingByte, 1, false)) &&
         std::chrono::steady_clock::now() < deadline && (!keepWaiting || keepWaiting()))
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  // A writer that never finished is no run: what the file holds may be a
  // description an ended run left behind.
  if (!locked) return {};
  std::string text = ReadAll(fd);
  Lock(fd, F_UNLCK, kWritingByte, 1, false);
  return text;
}

// Whether the claim byte itself is held: a run always holds it, another
// program's lock elsewhere in the file does not make the file a run's.
bool ClaimByteHeld(int fd) {
  struct flock range {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;
  range.l_start = kClaimByte;
  range.l_len = 1;
  return ::fcntl(fd, F_OFD_GETLK, &range) != 0 || range.l_type != F_UNLCK;
}

std::string Reason(int error) {
  // O_NOFOLLOW refuses a link with ELOOP, whose text speaks of loops.
  return error == ELOOP ? "a link, not a file" : std::strerror(error);
}

// Whether `fd` is still the file under `path`: a holder removes the file as
// it releases it, and a lock won on a removed file claims nothing.
bool StillThere(int fd, const std::string& path) {
  struct stat opened {
  }, named{};
  return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t wrote =
        ::pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<size_t>(wrote);
  }
  return true;
}

}  // namespace

FileLock::Status FileLock::tryAcquire(const std::string& path, const std::string& description,
                                      std::string& holder, const KeepWaiting& keepWaiting) {
  release();
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    // Close-on-exec: a tool started during the run must not inherit the open
    // file description, or the lock would outlive a crash of this program.
    // Never through a link, and never blocking on a FIFO planted there.
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (fd < 0) {
      holder = Reason(errno);
      if (errno != EACCES) return Status::Unavailable;
      // Another user's lock file: held, or stale and ours to remove.
      const int reader = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
      if (reader < 0) return Status::Unavailable;
      if (!Lock(reader, F_RDLCK, kClaimByte, 1, false)) {
        const bool held = HeldElsewhere();
        if (held) holder = ReadHolder(keepWaiting, reader);
        ::close(reader);
        return held ? Status::HeldByOther : Status::Unavailable;
      }
      ::close(reader);
      if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        holder = Reason(errno);
        return Status::Unavailable;
      }
      continue;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      holder = "not a regular file";
      ::close(fd);
      return Status::Unavailable;
    }
    // Another name of a file elsewhere: writing the holder would go through it.
    if (info.st_nlink > 1) {
      holder = kHardLinkReason;
      ::close(fd);
      return Status::Unavailable;
    }
    // The whole file: a lock another program holds on any part of it is
    // never mistaken for a free folder.
    if (!Lock(fd, F_WRLCK, kClaimByte, 0, false)) {
      const int error = errno;
      const bool held = HeldElsewhere();
      holder = !held ? Reason(error) : ClaimByteHeld(fd) ? ReadHolder(keepWaiting, fd) : "";
      ::close(fd);
      return held ? Status::HeldByOther : Status::Unavailable;
    }
    if (!StillThere(fd, path)) {
      ::close(fd);
      continue;
    }
    // Another user must be able to take the file over once it is stale.
    ::fchmod(fd, 0666);
    if (::ftruncate(fd, 0) != 0 || !WriteAll(fd, description)) {
      holder = Reason(errno);
      ::unlink(path.c_str());
      ::close(fd);
      return Status::Unavailable;
    }
    Lock(fd, F_UNLCK, kWritingByte, 1, false);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    native_ = fd;
    path_ = path;
    return Status::Acquired;
  }
  return Status::Unavailable;
}

bool FileLock::stillHeld() const {
  return held() && StillThere(static_cast<int>(native_), path_);
}

void FileLock::release() {
  if (!held()) return;
  // Removed while still held: whoever opened the old file meanwhile finds it
  // gone once it wins the lock, and opens afresh.
  ::unlink(path_.c_str());
  ::close(static_cast<int>(native_));
  native_ = -1;
  path_.clear();
}

}  // namespace xkm
