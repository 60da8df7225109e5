#include "core/platform/file_lock.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/scratch_folder.h"

namespace xkm {
namespace {

using Status = FileLock::Status;

// The locks belong to open file descriptions, so two objects in one process
// contend exactly as two processes do. A lock file left by a crashed run is
// taken over: the concurrent-runs tests pin that with real processes.
TEST(FileLock, OneHolderAtATimeItsDescriptionForTheOthersAndNoFolderIsNoLock) {
  test::ScratchFolder folder;
  const std::string path = folder.file("run.lock");
  FileLock first, second;
  std::string holder;
  EXPECT_EQ(first.tryAcquire(path, "pid=1\n", holder), Status::Acquired);
  EXPECT_EQ(second.tryAcquire(path, "pid=2\n", holder), Status::HeldByOther);
  EXPECT_EQ(holder, "pid=1\n");
  EXPECT_FALSE(second.held());
  first.release();
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(second.tryAcquire(path, "pid=2\n", holder), Status::Acquired);
  EXPECT_EQ(test::ReadFileBytes(path), "pid=2\n");
  FileLock moved = std::move(second);
  EXPECT_TRUE(moved.held());
  EXPECT_EQ(first.tryAcquire(path, "pid=3\n", holder), Status::HeldByOther);
  EXPECT_EQ(first.tryAcquire(folder.file("missing/run.lock"), "pid=6\n", holder),
            Status::Unavailable);
  EXPECT_FALSE(first.held());
}

}  // namespace
}  // namespace xkm
