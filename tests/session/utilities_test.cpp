#include "core/session/utilities.h"

#include <gtest/gtest.h>

#include "support/error_number.h"
#include "support/recording_host.h"
#include "support/scratch_folder.h"

namespace xkm {
namespace {

TEST(ReadIniValue, CutsAt255CharactersAndFallsBackToTheDefault) {
  test::ScratchFolder folder;
  const std::string ini =
      folder.write("a.ini", "[S]\r\nlong=" + std::string(300, 'v') + "\r\nk= x \r\n");
  EXPECT_EQ(ReadIniValue(ini, "S", "long", ""), std::string(255, 'v'));
  EXPECT_EQ(ReadIniValue(ini, "s", "K", "") + ReadIniValue(ini, "S", "none", "dflt") +
                ReadIniValue(folder.file("missing.ini"), "S", "k", "dflt"),
            "xdfltdflt");
}

TEST(ReplaceAll, ReplacesWithoutOverlapOrRescanAndHasNoLengthLimit) {
  EXPECT_EQ(ReplaceAll("aaa", "aa", "X") + "|" + ReplaceAll("ab", "a", "aa") + "|" +
                ReplaceAll("abc", "x", "y") + "|" + ReplaceAll("ABC", "b", "x"),
            "Xa|aab|abc|ABC");  // without case: ABC stays
  const std::string dots(40'000, '.');
  EXPECT_EQ(ReplaceAll(dots + "<$X>", "<$X>", "v"), dots + "v");
}

// Passing the command line literally is the process tests' and the hostile
// runs' job; here the waiting.
TEST(RunAndCapture, KeepsEventsFlowingWhileAToolRuns) {
  test::RecordingHost host;
  EXPECT_TRUE(RunAndCapture(host, "\"" XKM_STAND_IN_EXE "\" sleep=200").started);
  EXPECT_GT(host.processEventsCount, 0);
}

}  // namespace
}  // namespace xkm
