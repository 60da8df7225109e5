#include "core/platform/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace xkm {
namespace {

using ::testing::ElementsAre;
using Args = std::vector<std::string>;

TEST(SplitCommandLine, ArgumentRulesOfTheCRuntime) {
  struct Case {
    const char* line;
    Args expected;
  } cases[] = {
      {R"(p "a b c" d e)", {"p", "a b c", "d", "e"}},
      {R"(p "ab\"c" "\\" d)", {"p", "ab\"c", "\\", "d"}},
      {R"(p a\\\b d"e f"g h)", {"p", R"(a\\\b)", "de fg", "h"}},
      {R"(p a\\\"b c d)", {"p", R"(a\"b)", "c", "d"}},
      {R"(p a\\\\"b c" d e)", {"p", R"(a\\b c)", "d", "e"}},
      {R"(p a"b"" c d)", {"p", R"(ab" c d)"}},
      {R"(p "" x)", {"p", "", "x"}},
      {"p\ta\t\t b \t", {"p", "a", "b"}},
      {R"(p trailing\)", {"p", R"(trailing\)"}},
      {R"(p "unterminated  run)", {"p", "unterminated  run"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.expected) << c.line;
}

TEST(SplitCommandLine, ProgramNameKeepsBackslashesAndDropsQuotes) {
  EXPECT_THAT(SplitCommandLine(R"("C:\Program Files\tool\" -x)"),
              ElementsAre(R"(C:\Program Files\tool\)", "-x"));
  EXPECT_THAT(SplitCommandLine(R"(C:\bin\tool.exe "a b")"),
              ElementsAre(R"(C:\bin\tool.exe)", "a b"));
  EXPECT_THAT(SplitCommandLine("\"/opt/my tool/run\"\targ"),
              ElementsAre("/opt/my tool/run", "arg"));
  EXPECT_THAT(SplitCommandLine("  tool  "), ElementsAre("tool"));
}

TEST(SplitCommandLine, BlankLineGivesNoArguments) {
  EXPECT_TRUE(SplitCommandLine("").empty());
  EXPECT_TRUE(SplitCommandLine(" \t ").empty());
}

}  // namespace
}  // namespace xkm
