#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace xkm::a2l {

// Dedicated matchers for the four patterns of the module parameter section.
// Each takes one line (its content, without the line end; the patterns never
// reach beyond one line, `.` matching anything but CR and LF), decides
// whether the pattern matches at the line's start and gives the captures the
// regular expression gives: the choice its backtracking search takes first,
// greedy quantifiers from the longest. They run in time linear in the line
// and give a verdict for every line, where the regular expression engine
// gives up on lines with long runs of blanks.

// "^[ \t]*ADDR_EPK[ \t]+0x([^\r^\n]*)" up to the line end: the address. The
// pattern goes on with CR LF or LF, which the caller checks.
[[nodiscard]] std::optional<std::string_view> MatchAddrEpkLine(std::string_view line);

// "^[ \t]*EPK[ \t]+"(.*)"": the text between the first and the last quote.
[[nodiscard]] std::optional<std::string_view> MatchEpkLine(std::string_view line);

// "^[ \t]*ECU[ \t]+"(.*)"".
[[nodiscard]] std::optional<std::string_view> MatchEcuLine(std::string_view line);

// "^[ \t]*SYSTEM_CONSTANT[ \t]+"(.*)"[ \t]+"(.*)"": name and value.
std::optional<std::array<std::string_view, 2>> MatchSystemConstantLine(std::string_view line);

// "^[ \t]*/begin MEMORY_SEGMENT[ \t]+(.*)[ \t]+""[ \t]+(.*)[ \t]+(.*)[ \t]+(.*)
//  [ \t]+0x(.*)[ \t]+0x(.*)([ \t]-1){5}": name, program type, memory type,
// attribute, address and size.
std::optional<std::array<std::string_view, 6>> MatchMemorySegmentLine(std::string_view line);

// The keywords these lines start with (after blanks), in lower case: a line
// that cannot begin with one of them is none of the above.
inline constexpr std::array<std::string_view, 5> kSectionKeywords = {
    "addr_epk", "epk", "ecu", "system_constant", "/begin memory_segment"};
inline constexpr size_t kLongestSectionKeyword = 21;

}  // namespace xkm::a2l
