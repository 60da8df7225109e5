#pragma once

namespace xkm::a2l {

// The six patterns that say which A2L facts are read, each run global,
// case-insensitive and multi-line. The reader gives their matches with
// matchers of its own (characteristic_scan, line_patterns), which the tests
// hold against these. Where lines must follow one another, a line ends in
// CR LF or in a lone LF: A2L does not prescribe CR LF, and tools on Linux
// write LF.
inline constexpr const char* kSgidb1Pattern =
    R"(^/begin CHARACTERISTIC\r?\n.*\r?\n[ \t]*SGIDB1\r?\n.*\r?\n.*\r?\n[ \t]*0x([^\r^\n]*)$)";
inline constexpr const char* kSgidb3Pattern =
    R"(^/begin CHARACTERISTIC\r?\n.*\r?\n[ \t]*SGIDB3\r?\n.*\r?\n.*\r?\n[ \t]*0x([^\r^\n]*)$)";
inline constexpr const char* kEpkPattern =
    R"re(^[ \t]*ADDR_EPK[ \t]+0x([^\r^\n]*)\r?\n[ \t]*EPK[ \t]+"(.*)")re";
inline constexpr const char* kEcuPattern = R"re(^[ \t]*ECU[ \t]+"(.*)")re";
inline constexpr const char* kSystemConstantPattern =
    R"re(^[ \t]*SYSTEM_CONSTANT[ \t]+"(.*)"[ \t]+"(.*)")re";
inline constexpr const char* kMemorySegmentPattern =
    R"re(^[ \t]*/begin MEMORY_SEGMENT[ \t]+(.*)[ \t]+""[ \t]+(.*)[ \t]+(.*)[ \t]+(.*)[ \t]+0x(.*)[ \t]+0x(.*)([ \t]-1){5})re";

}  // namespace xkm::a2l
