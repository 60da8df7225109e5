#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/os/ini_reader.h"
#include "core/platform/os/lock_file.h"
#include "core/platform/os/locked_append.h"
#include "core/platform/os/path.h"
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
  EXPECT_NE(test::ErrorOf([&] { WriteFileAtomic(folder.file("taken"), "x"); }).number(), 0);
  EXPECT_EQ(ListFiles(folder.path()), std::vector<std::string>{"ecu.xkm"});
}

// Deleting read-only files, renaming without replacing and relative paths are
// pinned where they are used: the working files, the sealed library, the batch
// mode's inputs.
TEST(FileSystem, MissingFilesAreNamed) {
  test::ScratchFolder folder;
  const std::string path = folder.file("P1_1.bcb");
  EXPECT_EQ(test::ErrorOf([&] { DeleteFile(path); }).number(), 53);
  EXPECT_EQ(test::ErrorOf([&] { ReadAllBytes(path); }).number(), 53);
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

// Taking over a stale lock file goes on only once the file is gone; a folder
// in its place is no lock file and stays.
TEST(LockFile, RemovingSucceedsOnceTheFileIsGone) {
  test::ScratchFolder folder;
  std::filesystem::create_directory(folder.file("folder"));
  const std::tuple<const char*, std::string, bool> rows[] = {
      {"a file", folder.write("stale.lock", "pid=1"), true},
      {"nothing there", folder.file("missing.lock"), true},
      {"a folder", folder.file("folder"), false},
  };
  for (const auto& [name, path, removed] : rows) {
    std::string reason;
    EXPECT_EQ(RemoveLockFile(path, reason), removed) << name;
    EXPECT_EQ(reason.empty(), removed) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(folder.file("stale.lock")));
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

constexpr PathStyle kPosix = PathStyle::Posix;
constexpr PathStyle kWindows = PathStyle::Windows;

TEST(PathRules, WhereAPathStartsFrom) {
  constexpr PathAnchor kAbs = PathAnchor::Absolute, kRel = PathAnchor::Relative,
                       kDrive = PathAnchor::DriveDependent;
  const std::tuple<const char*, PathStyle, PathAnchor> cases[] = {
      {"/data/ecu.hex", kPosix, kAbs},
      {"data/ecu.hex", kPosix, kRel},
      {"C:\\data", kPosix, kRel} /* a plain name there */,
      {"C:\\Aufträge\\ecu.hex", kWindows, kAbs},
      {"c:/data/ecu.hex", kWindows, kAbs},
      {"\\\\server\\share\\ecu.hex", kWindows, kAbs},
      {"//server/share/ecu.hex", kWindows, kAbs},
      {"\\\\?\\C:\\long\\ecu.hex", kWindows, kAbs},
      {"C:ecu.hex", kWindows, kDrive},
      {"\\data\\ecu.hex", kWindows, kDrive},
      {"data\\ecu.hex", kWindows, kRel},
      {"1:\\x", kWindows, kRel} /* no drive letter */,
      {"", kWindows, kRel}};
  for (const auto& [path, style, anchor] : cases) EXPECT_EQ(AnchorOf(path, style), anchor) << path;
}

TEST(PathRules, ResolvingAgainstAFolder) {
  const std::tuple<const char*, const char*, PathStyle, const char*> cases[] = {
      {"/opt/x", "tools/brakel", kPosix, "/opt/x/tools/brakel"},
      {"/opt/x/", "brakel", kPosix, "/opt/x/brakel"},
      {"/opt/x", "/usr/b", kPosix, "/usr/b"},
      {"C:\\Programme\\x", "tools\\brakel.exe", kWindows, "C:\\Programme\\x\\tools\\brakel.exe"},
      {"C:\\", "brakel.exe", kWindows, "C:\\brakel.exe"},
      {"C:\\x", "D:\\b", kWindows, "D:\\b"},
      {"C:\\x", "\\\\srv\\t\\b", kWindows, "\\\\srv\\t\\b"}};
  for (const auto& [folder, path, style, resolved] : cases)
    EXPECT_EQ(ResolvePath(folder, path, style), resolved);
  for (const char* unsafe : {"D:brakel.exe", "\\tools\\brakel.exe"})
    EXPECT_EQ(test::ErrorOf([&] { ResolvePath("C:\\x", unsafe, kWindows); }).number(), 75)
        << unsafe;
}

TEST(PathRules, SeparatorsAndNamesFollowTheFileSystem) {
  EXPECT_EQ(
      std::vector<size_t>({LastSeparator("/a/b\\c", kPosix), LastSeparator("C:\\a/b\\c", kWindows),
                           LastSeparator("C:/a/b", kWindows), LastSeparator("name", kWindows)}),
      std::vector<size_t>({2, 6, 4, std::string_view::npos}));
  // Where a temporary file beside a path goes: the root stays a root.
  const std::tuple<const char*, PathStyle, const char*> folders[] = {
      {"/data/a.xkm", kPosix, "/data"},
      {"/a.xkm", kPosix, "/"},
      {"a.xkm", kPosix, "."},
      {"a:/x", kPosix, "a:"},
      {"C:\\a.xkm", kWindows, "C:\\"},
      {"C:a", kWindows, "."},
      {"\\\\s\\f\\a", kWindows, "\\\\s\\f"}};
  for (const auto& [path, style, folder] : folders)
    EXPECT_EQ(FolderOf(path, style), folder) << path;
  EXPECT_EQ(std::vector<bool>({SameFileName("Müller.XKM", "müller.xkm", kWindows),
                               SameFileName("Müller.XKM", "müller.xkm", kPosix),
                               SameFileName("a.lbr", "a.lbr", kPosix),
                               SameFileName("a.lbr", "b.lbr", kWindows)}),
            std::vector<bool>({true, false, true, false}));
}

TEST(PathRules, PlainFileNamesInTheWorkingFolder) {
  const std::string sep = "holds a path separator", colon = "holds a colon",
                    device = "names a device", end = "ends with a dot or blank";
  const std::tuple<const char*, std::string, std::string> cases[] = {
      // POSIX, Windows fault
      {"ecu_1.bcb", "", ""},   {"Müller Ä.xkm", "", ""}, {"..", sep, sep},
      {".", sep, sep},         {"../x.xkm", sep, sep},   {"..\\x.xkm", "", sep},
      {"x.xkm:s", "", colon},  {"C:x", "", colon},       {"CON", "", device},
      {"nul.txt", "", device}, {"Com1.xkm", "", device}, {"LPT9", "", device},
      {"COM0.xkm", "", ""},    {"CONSOLE.xkm", "", ""},  {"x.xkm.", "", end},
      {"x.xkm ", "", end}};
  for (const auto& [name, posixFault, windowsFault] : cases) {
    EXPECT_EQ(FileNameFault(name, kPosix), posixFault) << name;
    EXPECT_EQ(FileNameFault(name, kWindows), windowsFault) << name;
  }
}

struct Case {
  const char* content;
  const char* section;
  const char* key;
  const char* expected;
};

void ExpectReads(const std::vector<Case>& cases) {
  test::ScratchFolder folder;
  for (const Case& c : cases) {
    const std::string path = folder.write("settings.ini", c.content);
    EXPECT_EQ(ReadPrivateProfileString(path, c.section, c.key, "<default>"), c.expected)
        << c.section << "/" << c.key << " in " << c.content;
  }
}

TEST(IniReader, FollowsTheProfileRules) {
  const char* const ini =
      "top=outside any section\r\n[Paths]\r\nTool=C:\\bin\\tool.exe\r\n"
      "  Spaced Key \t=\t  padded value  \r\nquoted=\"  kept inside  \"\r\nsingle='x'\r\n"
      "twice=\"\"a\"\"\r\nmixed=\"x'\r\nlone=\"\r\nempty=\r\n;comment=not a comment\r\n"
      "no equals sign\r\ndup=first\r\nDUP=second\r\nexpr=a=b\r\n[ other\t]trailing text\n"
      "only=here\n[paths]\nlate=second section of the same name\n";
  ExpectReads({{ini, "Paths", "Tool", "C:\\bin\\tool.exe"},
               {ini, " PATHS ", "\ttool ", "C:\\bin\\tool.exe"},
               {ini, "Paths", "spaced key", "padded value"},
               {ini, "Paths", "quoted", "  kept inside  "},
               {ini, "Paths", "single", "x"},
               {ini, "Paths", "twice", "\"a\""} /* only one pair goes */,
               {ini, "Paths", "lone", "\""},
               {ini, "Paths", "empty", ""},
               {ini, "Paths", "dup", "first"},
               {ini, "Paths", ";comment", "not a comment"},
               {ini, "Paths", "no equals sign", "<default>"},
               {ini, "Paths", "expr", "a=b"},
               {ini, "Paths", "top", "<default>"},
               {ini, "Paths", "only", "<default>"},
               {ini, "other", "only", "here"},
               {ini, "Paths", "late", "<default>"} /* only the first [Paths] is searched */,
               {ini, "Missing", "Tool", "<default>"}});
  test::ScratchFolder folder;
  EXPECT_EQ(ReadPrivateProfileString(folder.file("absent.ini"), "s", "k", "fallback"), "fallback");
}

// A file is UTF-8 where it reads as such, with or without the mark; else Windows-1252.
TEST(IniReader, DecodesWindows1252OrUtf8AndAcceptsLfOnlyFiles) {
  ExpectReads({{"[s]\nname=Gr\374\337e \200\n", "s", "name", "Grüße €"},
               {"[s]\nlast=no final line end", "s", "last", "no final line end"},
               {"[\304rger]\n\374ber=1\n", "äRGER", "ÜBER", "1"},  // without case beyond ASCII
               {"\xEF\xBB\xBF[s]\r\nn=Straße €\r\n", "s", "n", "Straße €"},
               {"[s]\r\nn=Straße\r\n", "s", "n", "Straße"},                 // UTF-8 without a mark
               {"\xEF\xBB\xBF[s]\r\nn=Stra\337e\r\n", "s", "n", "Straße"},  // not UTF-8 after all
               // Every lead byte range: two, three and four bytes, up to the last code point.
               {"\xEF\xBB\xBF[s]\nn=©अ😀\xF4\x8F\xBF\xBF\n", "s", "n", "©अ😀\xF4\x8F\xBF\xBF"},
               {"\xEF\xBB\xBF[s]\nn=\xF5\x80\x80\x80\n", "s", "n", "õ€€€"}});
}

// Notepad's "Unicode" is UTF-16 with its mark: read as the profile functions do.
TEST(IniReader, DecodesUtf16WithItsMark) {
  using namespace std::string_literals;
  test::ScratchFolder folder;
  const std::pair<std::string, std::string> rows[] = {
      // little-endian, with surrogate pairs, the first one at the lowest pair
      {"\xFF\xFE[\0s\0]\0\n\0n\0=\0\xDF\0\x00\xD8\x00\xDC\x3D\xD8\x00\xDE\n\0"s, "ß\U00010000😀"},
      // big-endian, from the first code point of two bytes, with a lone surrogate
      {"\xFE\xFF\0[\0s\0]\0\n\0n\0=\0\x80\x20\xAC\xDC\x00"s, "\xC2\x80€\xEF\xBF\xBD"}};
  for (const auto& [content, expected] : rows)
    EXPECT_EQ(ReadPrivateProfileString(folder.write("u.ini", content), "s", "n", ""), expected);
}

}  // namespace
}  // namespace xkm::fs
