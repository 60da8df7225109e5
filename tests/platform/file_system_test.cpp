#include "core/platform/os/file_system.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "core/platform/error.h"
#include "core/platform/os/locked_append.h"
#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace xkm::fs {
namespace {

TEST(FileSystem, BytesGoInAndOutUnchanged) {
  // Line ends, ^Z and NUL: bytes that a text-mode C runtime would change or stop at.
  const std::string traps("a\r\nb\nc\032d\0e\r", 11);
  test::ScratchFolder folder;
  const std::string path = folder.file("Aufträge Müller.ctl");
  WriteFileAtomic(path, traps);
  EXPECT_EQ(ReadAllBytes(path), traps);
  CopyFile(path, folder.file("copy.ctl"));
  SequentialFile file(folder.file("copy.ctl"));
  std::string read(32, '\0');
  read.resize(file.read(read.data(), read.size()));
  EXPECT_EQ(read, traps);
  EXPECT_EQ(file.read(read.data(), read.size()), 0u);
}

TEST(FileSystem, ReplacingLeavesOnlyTheNewFile) {
  test::ScratchFolder folder;
  const std::string path = folder.write("ecu.xkm", "old and longer");
  WriteFileAtomic(path, "new");
  EXPECT_EQ(ReadAllBytes(path), "new");
  // A folder in the way: the write fails and leaves nothing behind.
  std::filesystem::create_directory(folder.file("taken"));
  EXPECT_NE(test::ErrorNumberOf([&] { WriteFileAtomic(folder.file("taken"), "x"); }), 0);
  EXPECT_EQ(ListFiles(folder.path()), std::vector<std::string>{"ecu.xkm"});
}

// Deleting read-only files, renaming without replacing and relative paths are
// pinned where they are used: the working files, the sealed library, the batch
// mode's inputs.
TEST(FileSystem, MissingFilesAreNamed) {
  test::ScratchFolder folder;
  const std::string path = folder.file("P1_1.bcb");
  EXPECT_EQ(test::ErrorNumberOf([&] { DeleteFile(path); }), 53);
  EXPECT_EQ(test::ErrorNumberOf([&] { ReadAllBytes(path); }), 53);
  EXPECT_FALSE(FileExists(folder.path()));  // a folder is no file
}

TEST(FileSystem, OnlyAFolderIsAFolder) {
  test::ScratchFolder folder;
  const std::pair<std::string, bool> rows[] = {{folder.path(), true},
                                               {folder.write("order.xml", "<x/>"), false},
                                               {folder.file("gone"), false},
                                               {"", false}};
  for (const auto& [path, isFolder] : rows) EXPECT_EQ(FolderExists(path), isFolder) << path;
}

#ifndef _WIN32
// A disk that is full is said so at once, not written to again and again.
TEST(LockedAppend, AFullDiskFailsTheLine) {
  const Error error =
      test::ErrorOf([] { AppendLineLocked("/dev/full", "line", std::chrono::seconds(1)); });
  EXPECT_NE(error.description().find("cannot write"), std::string::npos) << error.description();
}
#endif

}  // namespace
}  // namespace xkm::fs
