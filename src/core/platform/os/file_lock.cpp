#include "core/platform/os/file_lock.h"

#include <utility>

namespace xkm {

// Moving hands the held lock on; only the locking itself differs per system.
FileLock::FileLock(FileLock&& other) noexcept
    : native_(std::exchange(other.native_, -1)), path_(std::move(other.path_)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    release();
    native_ = std::exchange(other.native_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

}  // namespace xkm
