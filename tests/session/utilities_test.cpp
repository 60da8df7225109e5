#include "core/session/utilities.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/platform/error.h"
#include "support/error_number.h"
#include "support/recording_host.h"
#include "support/scratch_folder.h"

namespace xkm {
namespace {

TEST(ReadIniValue, CutsAt255CharactersAndFallsBackToTheDefault) {
  test::ScratchFolder folder;
  std::string ini = folder.write("a.ini", "[S]\r\nlong=" + std::string(300, 'v') + "\r\nk= x \r\n");
  EXPECT_EQ(ReadIniValue(ini, "S", "long", ""), std::string(255, 'v'));
  EXPECT_EQ(ReadIniValue(ini, "s", "K", ""), "x");
  EXPECT_EQ(ReadIniValue(ini, "S", "none", "dflt"), "dflt");
  EXPECT_EQ(ReadIniValue(folder.file("missing.ini"), "S", "k", "dflt"), "dflt");
}

TEST(SplitPath, SplitsAtTheLastSeparatorOrFails) {
  const struct {
    const char* path;
    const char* folder;
    const char* name;
  } rows[] = {{"/work/sub/image.v2.hex", "/work/sub", "image.v2.hex"},
              {"/image.hex", "", "image.hex"}};
  for (const auto& row : rows) {
    std::string path = row.path;
    std::string name;
    SplitPath(path, name);
    EXPECT_EQ(path + "|" + name, std::string(row.folder) + "|" + row.name);
  }
  for (std::string bare : {std::string("image.hex"), std::string()}) {
    std::string name;
    EXPECT_EQ(test::ErrorOf([&] { SplitPath(bare, name); }).numberAndDescription(),
              "5 Invalid procedure call or argument");
  }
}

TEST(ReplaceAll, ReplacesWithoutOverlapOrRescanAndHasNoLengthLimit) {
  EXPECT_EQ(ReplaceAll("aaa", "aa", "X"), "Xa");
  EXPECT_EQ(ReplaceAll("ab", "a", "aa"), "aab");
  EXPECT_EQ(ReplaceAll("abc", "x", "y"), "abc");
  EXPECT_EQ(ReplaceAll("ABC", "b", "x"), "ABC");  // case-sensitive
  std::string longText(40'000, '.');
  longText += "<$X>";
  EXPECT_EQ(ReplaceAll(longText, "<$X>", "v"), std::string(40'000, '.') + "v");
}

TEST(RunAndWait, RunsWithoutAShellAndKeepsEventsFlowing) {
  test::ScratchFolder folder;
  test::RecordingHost host;
  const std::string target = folder.file("out; $(touch pwned) 'q'.txt");
  // The quoted path reaches the program as one literal argument.
  EXPECT_EQ(RunAndWait(host, "\"" XKM_STAND_IN_EXE "\" sleep=200 \"args=" + target + "\" -- done"),
            "ok");
  EXPECT_EQ(test::ReadFileBytes(target), "[done]\n");
  EXPECT_FALSE(std::ifstream(folder.file("pwned")).good());
  EXPECT_GT(host.processEventsCount, 0);
  EXPECT_EQ(RunAndWait(host, "\"" + folder.file("no such tool") + "\" -x"), "ok");
}

}  // namespace
}  // namespace xkm
