#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "core/platform/error.h"
#include "core/platform/os/locked_append.h"
#include "core/platform/os/unique_fd.h"

namespace xkm {
namespace {

// The caller names the file in its own message.
Error Failure(const std::string& /*path*/, const std::string& what, int errnoValue) {
  return Error(platform_error::kPathFileAccess, what + ": " + std::strerror(errnoValue),
               "AppendLineLocked");
}

void LockWholeFile(int fd, const std::string& path, std::chrono::milliseconds patience) {
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  const auto deadline = std::chrono::steady_clock::now() + patience;
  std::chrono::milliseconds pause(1);
  // Tried without blocking, so that a writer that hangs while holding the
  // lock (a dead network link) costs a bounded wait, not the run.
  while (::fcntl(fd, F_OFD_SETLK, &whole) != 0) {
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EACCES) throw Failure(path, "cannot lock", errno);
    if (std::chrono::steady_clock::now() >= deadline)
      throw Failure(path, "still locked by another writer", errno);
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
}

bool EndsWithLineBreak(int fd, off_t size) {
  char last = '\n';
  return size == 0 || (::pread(fd, &last, 1, size - 1) == 1 && last == '\n');
}

}  // namespace

void AppendLineLocked(const std::string& path, const std::string& line,
                      std::chrono::milliseconds patience) {
  // Closing it also gives up the lock.
  const UniqueFd file(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
  if (file.get() < 0) throw Failure(path, "cannot open", errno);
  LockWholeFile(file.get(), path, patience);

  // Taken under the lock: on a network file system the lock is what makes
  // the size current.
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) throw Failure(path, "cannot read its size", errno);
  const off_t end = info.st_size;
  std::string text = EndsWithLineBreak(file.get(), end) ? "" : "\n";
  text += line;
  text += '\n';

  size_t done = 0;
  while (done < text.size()) {
    const ssize_t wrote = ::pwrite(file.get(), text.data() + done, text.size() - done,
                                   end + static_cast<off_t>(done));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      const int reason = wrote < 0 ? errno : ENOSPC;
      // A part of a line would spoil the next writer's line.
      if (::ftruncate(file.get(), end) != 0)
        throw Failure(path, "cannot write, and a part of the line is left", reason);
      throw Failure(path, "cannot write", reason);
    }
    done += static_cast<size_t>(wrote);
  }
  if (::fdatasync(file.get()) != 0) throw Failure(path, "cannot write", errno);
}

}  // namespace xkm
