#pragma once

#include <cstdint>
#include <string>

namespace xkm {

// One open of a lock file as the system holds it: the locks, the holder's
// description and the checks the claim makes. The policy around it (the
// attempts, the stale takeover, the wait for a holder's description) is the
// same on every system (file_lock.cpp). Closed with the object unless kept.
class LockFile {
 public:
  LockFile() = default;
  ~LockFile();
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;

  enum class Opened {
    Yes,
    Denied,  // not ours to write (another user's file, or one being removed)
    Failed,  // `reason()` tells why
  };
  // Read and write, made when missing; never through a link, never blocking
  // on a FIFO planted there, never inherited by a tool.
  Opened open(const std::string& path);
  // Reading only, for a file that could not be opened to write.
  bool openToRead(const std::string& path);

  bool regularFile() const;
  bool hasOtherNames() const;  // a hard link: writing would go through to a file elsewhere

  enum class Claim {
    Won,            // the claim is ours, and so is the writing of the description
    HeldByRun,      // another open holds the claim
    HeldByProgram,  // another program holds a lock elsewhere in the file: no run's
    Failed,
  };
  Claim claim();
  // For a file only read: whether another open holds the claim.
  enum class Holder { None, Another, Unknown };
  Holder claimHolder();
  // After `openToRead` failed: whether the file is on its way out (its
  // holder removing it), so that a new attempt will find it gone.
  bool beingRemoved() const { return beingRemoved_; }

  // The description's guard: held by a holder while it writes, so that a
  // reader never reads half of it. Shared by readers.
  bool tryGuardForReading();
  void releaseGuard();
  std::string readAll();

  // After a claim won: whether the path still names this file (a holder
  // removes it as it lets go, and a claim on a removed file claims nothing).
  bool stillNamedBy(const std::string& path) const;
  // Replaces the content with `text`, readable and replaceable by others.
  bool writeDescription(const std::string& text);

  // The system's text for the last failure.
  const std::string& reason() const { return reason_; }
  // Hands the open file over to the claim, which keeps it until release.
  intptr_t keep();

 private:
  intptr_t native_ = -1;
  std::string path_;  // as opened, for the reasons
  std::string reason_;
  bool beingRemoved_ = false;
};

// Removes a lock file; false with the system's reason when it could not be.
bool RemoveLockFile(const std::string& path, std::string& reason);

}  // namespace xkm
