#include "core/platform/os/path.h"

#include <gtest/gtest.h>

#include "support/error_number.h"

namespace xkm::fs {
namespace {

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
      {"C:", kWindows, kDrive},
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
    EXPECT_EQ(test::ErrorNumberOf([&] { ResolvePath("C:\\x", unsafe, kWindows); }), 75) << unsafe;
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

}  // namespace
}  // namespace xkm::fs
