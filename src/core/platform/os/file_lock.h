#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace xkm {

// An exclusive claim, for as long as the object lives, on a lock file: an
// open-file-description write lock (F_OFD_SETLK; on Windows LockFileEx) on
// the file, which the kernel — or, on a network share, the file server —
// drops when the holder ends in any way, a crash included. A lock file that nobody holds is
// therefore a stale one, and it is simply taken over. The holder's
// description is written into the file for whoever is refused.
class FileLock {
 public:
  enum class Status {
    Acquired,     // this object holds the lock
    HeldByOther,  // another open holds it; `holder` is its description
    Unavailable,  // no lock could be had here (no such folder, no permission, not a file)
  };

  FileLock() = default;
  ~FileLock() { release(); }
  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Tries once, without waiting for the lock. On success `description` is
  // the file's content; when another holds it, `holder` receives theirs
  // (waiting at most kHolderPatience for it to be written; empty when it never
  // is, or when the lock is no run's), and when no lock
  // can be had, the reason. The path must name a regular file, never a link.
  // `keepWaiting`, asked every few milliseconds of that wait, ends it early
  // by returning false (a Stop).
  using KeepWaiting = std::function<bool()>;
  [[nodiscard]] Status tryAcquire(const std::string& path, const std::string& description,
                                  std::string& holder, const KeepWaiting& keepWaiting = {});

  static constexpr int kHolderPatienceMs = 10000;
  // Why a lock file with more than one name is refused: writing the holder
  // would go through to a file elsewhere.
  static constexpr const char* kHardLinkReason = "a hard link, not a file of its own";

  bool held() const { return native_ != -1; }
  // Whether the held lock is still on the file its path names: false when
  // someone removed or replaced the file, and a second claim could be made.
  bool stillHeld() const;
  const std::string& path() const { return path_; }
  // Removes the lock file and gives up the lock; nothing when not held.
  void release();

 private:
  intptr_t native_ = -1;  // a descriptor, or on Windows a HANDLE
  std::string path_;
};

}  // namespace xkm
