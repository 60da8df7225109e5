#include "core/a2l/line_patterns.h"

#include <gtest/gtest.h>

#include "core/a2l/a2l_patterns.h"

namespace xkm::a2l {
namespace {

using Fields = std::vector<std::string>;

template <size_t N>
std::optional<Fields> AsFields(const std::optional<std::array<std::string_view, N>>& found) {
  if (!found) return std::nullopt;
  return Fields(found->begin(), found->end());
}

// Lines on which the engine gives up ("match limit exceeded") or that hold
// long runs of blanks: each is judged as the pattern says.
TEST(LinePatterns, LongBlankRunsGetAVerdict) {
  const std::string blanks(120, ' ');
  const std::string segment = "/begin MEMORY_SEGMENT CODE1 \"\" CODE FLASH INTERN 0x8 0x10";
  const Fields code1{"CODE1", "CODE", "FLASH", "INTERN", "8", "10"};
  auto b = [](size_t n) { return std::string(n, ' '); };
  const std::pair<std::string, std::optional<Fields>> segments[] = {
      {"  " + segment + " -1 -1 -1 -1 -1" + blanks + "/* trailing comment */", code1},
      {segment + " -1 -1 -1 -1 -1" + std::string(1 << 20, ' '), code1},
      // Columns lined up: the greedy captures take all but the last blanks.
      {"/begin MEMORY_SEGMENT" + blanks + "CODE1" + blanks + "\"\"" + blanks + "CODE" + blanks +
           "FLASH" + blanks + "INTERN" + blanks + "0x8" + blanks + "0x10 -1 -1 -1 -1 -1",
       Fields{"CODE1" + b(119), "CODE" + blanks + "FLASH" + blanks + "INTERN" + b(117), "", "",
              "8" + b(119), "10"}},
      {segment + " -1 -1 -1 -1 0" + blanks + "/* c */", std::nullopt},
      {"/begin MEMORY_SEGMENT CODE1 \"long\" CODE FLASH INTERN 0x8 0x10 -1 -1 -1 -1 -1" + blanks +
           "x",
       std::nullopt},
  };
  for (const auto& [line, fields] : segments)
    EXPECT_EQ(AsFields(MatchMemorySegmentLine(line)), fields) << line.substr(0, 100);

  EXPECT_EQ(AsFields(MatchSystemConstantLine("SYSTEM_CONSTANT" + blanks + "\"A\"" + blanks + "\"" +
                                             blanks + "\"" + blanks)),
            (Fields{"A", blanks}));
  EXPECT_EQ(MatchEcuLine("ECU" + blanks + "\"E\"" + blanks), "E");
  EXPECT_EQ(MatchEpkLine("EPK" + blanks + "\"" + blanks + "\""), blanks);
  EXPECT_EQ(MatchAddrEpkLine(blanks + "ADDR_EPK" + blanks + "0x8000" + blanks), "8000" + blanks);
}

}  // namespace
}  // namespace xkm::a2l
