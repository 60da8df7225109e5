#include "core/platform/path.h"

#include <gtest/gtest.h>

#include "support/error_number.h"

namespace xkm::fs {
namespace {

constexpr PathStyle kPosix = PathStyle::Posix;
constexpr PathStyle kWindows = PathStyle::Windows;

TEST(PathRules, WhereAPathStartsFrom) {
  struct Case {
    const char* path;
    PathStyle style;
    PathAnchor anchor;
  } cases[] = {
      {"/data/ecu.hex", kPosix, PathAnchor::Absolute},
      {"data/ecu.hex", kPosix, PathAnchor::Relative},
      {"C:\\data", kPosix, PathAnchor::Relative},  // a plain name there
      {"C:\\Aufträge\\ecu.hex", kWindows, PathAnchor::Absolute},
      {"c:/data/ecu.hex", kWindows, PathAnchor::Absolute},
      {"\\\\server\\share\\ecu.hex", kWindows, PathAnchor::Absolute},
      {"//server/share/ecu.hex", kWindows, PathAnchor::Absolute},
      {"\\\\?\\C:\\long\\ecu.hex", kWindows, PathAnchor::Absolute},
      {"C:ecu.hex", kWindows, PathAnchor::DriveDependent},
      {"C:", kWindows, PathAnchor::DriveDependent},
      {"\\data\\ecu.hex", kWindows, PathAnchor::DriveDependent},
      {"data\\ecu.hex", kWindows, PathAnchor::Relative},
      {"1:\\x", kWindows, PathAnchor::Relative},  // no drive letter
      {"", kWindows, PathAnchor::Relative},
  };
  for (const Case& c : cases) EXPECT_EQ(AnchorOf(c.path, c.style), c.anchor) << c.path;
}

TEST(PathRules, ResolvingAgainstAFolder) {
  struct Case {
    const char* folder;
    const char* path;
    PathStyle style;
    const char* resolved;
  } cases[] = {
      {"/opt/x", "tools/brakel", kPosix, "/opt/x/tools/brakel"},
      {"/opt/x/", "brakel", kPosix, "/opt/x/brakel"},
      {"/opt/x", "/usr/bin/brakel", kPosix, "/usr/bin/brakel"},
      {"C:\\Programme\\x", "tools\\brakel.exe", kWindows, "C:\\Programme\\x\\tools\\brakel.exe"},
      {"C:\\", "brakel.exe", kWindows, "C:\\brakel.exe"},
      {"C:\\x", "D:\\t\\brakel.exe", kWindows, "D:\\t\\brakel.exe"},
      {"C:\\x", "\\\\srv\\t\\brakel.exe", kWindows, "\\\\srv\\t\\brakel.exe"},
  };
  for (const Case& c : cases) EXPECT_EQ(ResolvePath(c.folder, c.path, c.style), c.resolved);
  for (const char* unsafe : {"D:brakel.exe", "\\tools\\brakel.exe"})
    EXPECT_EQ(test::ErrorNumberOf([&] { ResolvePath("C:\\x", unsafe, kWindows); }), 75) << unsafe;
}

TEST(PathRules, TheLastSeparator) {
  EXPECT_EQ(LastSeparator("/a/b\\c", kPosix), 2u);
  EXPECT_EQ(LastSeparator("C:\\a/b\\c", kWindows), 6u);
  EXPECT_EQ(LastSeparator("C:/a/b", kWindows), 4u);
  EXPECT_EQ(LastSeparator("name", kWindows), std::string_view::npos);
}

TEST(PathRules, FileNamesCompareAsTheFileSystemDoes) {
  EXPECT_TRUE(SameFileName("Müller.XKM", "müller.xkm", kWindows));
  EXPECT_FALSE(SameFileName("Müller.XKM", "müller.xkm", kPosix));
  EXPECT_TRUE(SameFileName("a.lbr", "a.lbr", kPosix));
  EXPECT_FALSE(SameFileName("a.lbr", "b.lbr", kWindows));
}

TEST(PathRules, PlainFileNamesInTheWorkingFolder) {
  struct Case {
    const char* name;
    const char* posixFault;
    const char* windowsFault;
  } cases[] = {
      {"ecu_1.bcb", "", ""},
      {"Müller Ä.xkm", "", ""},
      {"..", "holds a path separator", "holds a path separator"},
      {"../x.xkm", "holds a path separator", "holds a path separator"},
      {"..\\x.xkm", "", "holds a path separator"},
      {"x.xkm:stream", "", "holds a colon"},
      {"C:x.xkm", "", "holds a colon"},
      {"CON", "", "names a device"},
      {"nul.txt", "", "names a device"},
      {"Com1.xkm", "", "names a device"},
      {"LPT9", "", "names a device"},
      {"COM0.xkm", "", ""},
      {"CONSOLE.xkm", "", ""},
      {"x.xkm.", "", "ends with a dot or blank"},
      {"x.xkm ", "", "ends with a dot or blank"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FileNameFault(c.name, kPosix), c.posixFault) << c.name;
    EXPECT_EQ(FileNameFault(c.name, kWindows), c.windowsFault) << c.name;
  }
}

TEST(PathRules, StandardPathsCarryUtf8BothWays) {
  const std::string name = "Aufträge/Müller ø €.hex";
  EXPECT_EQ(Utf8Path(NativePath(name)), name);
  EXPECT_EQ(Utf8Path(NativePath(name).filename()), "Müller ø €.hex");
}

}  // namespace
}  // namespace xkm::fs
