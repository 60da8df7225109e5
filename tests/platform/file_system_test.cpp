#include "core/platform/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace xkm::fs {
namespace {

TEST(FileSystem, BytesGoInAndOutUnchanged) {
  // Line ends, ^Z and NUL: bytes that a text-mode C runtime would change or stop at.
  const std::string traps(
      "a\r\nb\nc\x1A"
      "d\0e\r",
      11);
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

TEST(FileSystem, ReadOnlyFilesAreDeletedAndMissingOnesNamed) {
  test::ScratchFolder folder;
  const std::string path = folder.write("P1_1.bcb", "x");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  DeleteFile(path);
  EXPECT_FALSE(FileExists(path));
  EXPECT_EQ(test::ErrorNumberOf([&] { DeleteFile(path); }), 53);
  EXPECT_EQ(test::ErrorNumberOf([&] { ReadAllBytes(path); }), 53);
  EXPECT_FALSE(FileExists(folder.path()));  // a folder is no file
}

TEST(FileSystem, RenamingNeverReplaces) {
  test::ScratchFolder folder;
  const std::string draft = folder.write("draft.xml", "draft");
  const std::string taken = folder.write("LIB_XKM_1.lbr", "sealed");
  EXPECT_EQ(test::ErrorNumberOf([&] { RenameWithoutReplacing(draft, taken); }), 58);
  EXPECT_EQ(ReadAllBytes(draft) + ReadAllBytes(taken), "draftsealed");
  RenameWithoutReplacing(draft, folder.file("LIB_XKM_2.lbr"));
  EXPECT_FALSE(FileExists(draft));
  EXPECT_EQ(ReadAllBytes(folder.file("LIB_XKM_2.lbr")), "draft");
}

TEST(FileSystem, RelativePathsAreTakenAgainstTheCurrentFolder) {
  test::ScratchFolder folder;
  folder.write("Müller/ecu.hex", "x");
  const std::string previous = CurrentFolder();
  ASSERT_TRUE(SetCurrentFolder(folder.file("Müller")));
  const std::string absolute = MakeAbsolute("ecu.hex");
  ASSERT_TRUE(SetCurrentFolder(previous));
  EXPECT_TRUE(FileExists(absolute)) << absolute;
  EXPECT_EQ(MakeAbsolute(absolute), absolute);
}

}  // namespace
}  // namespace xkm::fs
