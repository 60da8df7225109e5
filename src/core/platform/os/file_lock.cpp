#include "core/platform/os/file_lock.h"

#include <chrono>
#include <thread>
#include <utility>

#include "core/platform/os/lock_file.h"

namespace xkm {
namespace {

using std::chrono::milliseconds;

// A lock file replaced or removed between our open and our lock is opened
// again; more than a few such races in a row means something odd is going on.
constexpr int kAttempts = 8;
constexpr milliseconds kBetweenAttempts{10};
constexpr milliseconds kHolderLook{20};
constexpr const char* kKeepsChanging = "the file keeps changing under the lock";

// The holder's description, read once it has been written completely; a
// writer that never finishes (another program's lock) is waited for only so
// long, and is no run: then there is no description.
std::string ReadHolder(LockFile& file, const FileLock::KeepWaiting& keepWaiting) {
  const auto deadline =
      std::chrono::steady_clock::now() + milliseconds(FileLock::kHolderPatienceMs);
  bool guarded = false;
  while (!(guarded = file.tryGuardForReading()) && std::chrono::steady_clock::now() < deadline &&
         (!keepWaiting || keepWaiting()))
    std::this_thread::sleep_for(kHolderLook);
  if (!guarded) return {};
  std::string text = file.readAll();
  file.releaseGuard();
  return text;
}

// What one attempt came to; `Retry` when the file changed under it.
enum class Attempt { Acquired, HeldByOther, Unavailable, Retry };

// A lock file this user may not write: held by another user's run, or
// stale, and then removed so that the next attempt makes it afresh.
Attempt TakeOverForeign(const std::string& path, const FileLock::KeepWaiting& keepWaiting,
                        std::string& holder) {
  {
    // Closed before the removal, which it would otherwise hold up on Windows.
    LockFile reader;
    if (!reader.openToRead(path))
      return reader.beingRemoved() ? Attempt::Retry : Attempt::Unavailable;
    switch (reader.claimHolder()) {
      case LockFile::Holder::Another:
        holder = ReadHolder(reader, keepWaiting);
        return Attempt::HeldByOther;
      case LockFile::Holder::Unknown:
        return Attempt::Unavailable;
      case LockFile::Holder::None:
        break;
    }
  }
  return RemoveLockFile(path, holder) ? Attempt::Retry : Attempt::Unavailable;
}

// Claims an opened lock file and writes the description into it.
Attempt ClaimOpened(LockFile& file, const std::string& path, const std::string& description,
                    const FileLock::KeepWaiting& keepWaiting, std::string& holder) {
  if (!file.regularFile()) {
    holder = "not a regular file";
    return Attempt::Unavailable;
  }
  if (file.hasOtherNames()) {
    holder = FileLock::kHardLinkReason;
    return Attempt::Unavailable;
  }
  switch (file.claim()) {
    case LockFile::Claim::HeldByRun:
      holder = ReadHolder(file, keepWaiting);
      return Attempt::HeldByOther;
    case LockFile::Claim::HeldByProgram:
      holder.clear();
      return Attempt::HeldByOther;
    case LockFile::Claim::Failed:
      holder = file.reason();
      return Attempt::Unavailable;
    case LockFile::Claim::Won:
      break;
  }
  if (!file.stillNamedBy(path)) return Attempt::Retry;
  if (!file.writeDescription(description)) {
    holder = file.reason();
    std::string ignored;
    RemoveLockFile(path, ignored);
    return Attempt::Unavailable;
  }
  file.releaseGuard();
  return Attempt::Acquired;
}

}  // namespace

FileLock::Status FileLock::tryAcquire(const std::string& path, const std::string& description,
                                      std::string& holder, const KeepWaiting& keepWaiting) {
  release();
  holder.clear();
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(kBetweenAttempts);
    LockFile file;
    Attempt outcome = Attempt::Retry;
    switch (file.open(path)) {
      case LockFile::Opened::Failed:
        holder = file.reason();
        return Status::Unavailable;
      case LockFile::Opened::Denied:
        holder = file.reason();
        outcome = TakeOverForeign(path, keepWaiting, holder);
        break;
      case LockFile::Opened::Yes:
        outcome = ClaimOpened(file, path, description, keepWaiting, holder);
        break;
    }
    switch (outcome) {
      case Attempt::Acquired:
        native_ = file.keep();
        path_ = path;
        return Status::Acquired;
      case Attempt::HeldByOther:
        return Status::HeldByOther;
      case Attempt::Unavailable:
        return Status::Unavailable;
      case Attempt::Retry:
        holder.clear();
        break;
    }
  }
  holder = kKeepsChanging;
  return Status::Unavailable;
}

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
