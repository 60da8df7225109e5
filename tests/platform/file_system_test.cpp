#include "core/platform/os/file_system.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>

#include "core/platform/error.h"
#include "core/platform/os/locked_append.h"
#include "core/platform/os/sha256.h"
#include "core/platform/os/system_info.h"
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

std::string Digest(const std::string& text) {
  Sha256 hash;
  hash.update(text);
  return hash.hexDigest();
}

// The FIPS 180-4 examples, and lengths around the padding's edges.
TEST(Sha256, KnownDigests) {
  const std::pair<std::string, const char*> cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"}};
  for (const auto& [text, digest] : cases) EXPECT_EQ(Digest(text), digest) << text.size();
}

// The text places the moment on any machine: its local fields less its offset
// give back the moment, whatever the time zone the test runs in.
TEST(LocalIsoTime, NamesTheMomentWithItsOffset) {
  using namespace std::chrono;
  const std::regex iso(R"((\d{4})-(\d\d)-(\d\d)T(\d\d):(\d\d):(\d\d)([+-])(\d\d)(\d\d))");
  const std::pair<const char*, std::time_t> rows[] = {{"a winter night", 1767225599},
                                                      {"a summer afternoon", 1783346401}};
  for (const auto& [name, moment] : rows) {
    SCOPED_TRACE(name);
    const std::string text = LocalIsoTime(system_clock::from_time_t(moment));
    std::smatch part;
    ASSERT_TRUE(std::regex_match(text, part, iso)) << text;
    const auto number = [&part](size_t i) { return std::stoi(part[i].str()); };
    const sys_days day{year{number(1)} / number(2) / number(3)};
    const seconds local =
        day.time_since_epoch() + hours{number(4)} + minutes{number(5)} + seconds{number(6)};
    const seconds offset = (part[7] == "-" ? -1 : 1) * (hours{number(8)} + minutes{number(9)});
    EXPECT_EQ((local - offset).count(), moment) << text;
  }
}

}  // namespace
}  // namespace xkm::fs
