#include "core/platform/text/command_line.h"

#include <gtest/gtest.h>

namespace xkm {
namespace {

// The argument rules of the C runtime; the program name keeps its backslashes.
TEST(SplitCommandLine, ArgumentRulesOfTheCRuntime) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {R"(p "a b c" d e)", {"p", "a b c", "d", "e"}},
      {R"(p "ab\"c" "\\" d)", {"p", "ab\"c", "\\", "d"}},
      {R"(p a\\\b d"e f"g h)", {"p", R"(a\\\b)", "de fg", "h"}},
      {R"(p a\\\"b c d)", {"p", R"(a\"b)", "c", "d"}},
      {R"(p a"b"" c d)", {"p", R"(ab" c d)"}},
      {R"(p a\\\\"b c" d e)", {"p", R"(a\\b c)", "d", "e"}},
      {R"(p "" x)", {"p", "", "x"}},
      {"p\ta\t\t b \t", {"p", "a", "b"}},
      {R"(p trailing\)", {"p", R"(trailing\)"}},
      {R"(p "unterminated  run)", {"p", "unterminated  run"}},
      {R"("C:\Program Files\tool\" -x)", {R"(C:\Program Files\tool\)", "-x"}},
      {R"(C:\bin\tool.exe "a b")", {R"(C:\bin\tool.exe)", "a b"}},
      {"\"/opt/my tool/run\"\targ", {"/opt/my tool/run", "arg"}},
      {"  tool  ", {"tool"}},
      {"", {}},
      {" \t ", {}}};
  for (const auto& [line, expected] : cases) EXPECT_EQ(SplitCommandLine(line), expected) << line;
}

}  // namespace
}  // namespace xkm
