#pragma once

#include <random>
#include <string>
#include <vector>

namespace xkm::a2l::test {

// Memory segment headers: well-formed ones with a few of their parts
// replaced by pieces the pattern looks for, so that the greedy parts have
// many ways to split a line.
inline std::string RandomSegmentLine(std::mt19937& random) {
  static const char* const kPieces[] = {"\"\"", "0x1F", "0X2", "0x", "-1",   "DATA",  "a b",
                                        "\"",   "^",    "x",   "",   "0x0x", "-1 -1", "\"\" \"\""};
  static const char* const kBlanks[] = {" ", " ", " ", "\t", "  ", " \t "};
  std::vector<std::string> parts = {"SEG", "\"\"", "DATA", "FLASH", "INTERN", "0x80", "0x10"};
  for (int i = 0; i < 5; ++i) parts.push_back("-1");
  if (random() % 3 == 0) parts.push_back(kPieces[random() % std::size(kPieces)]);
  for (int i = static_cast<int>(random() % 4); i > 0; --i)
    parts[random() % parts.size()] = kPieces[random() % std::size(kPieces)];
  std::string line = random() % 8 == 0 ? "  /begin memory_segment" : "/begin MEMORY_SEGMENT";
  for (const std::string& part : parts)
    line +=
        (part == "-1" && random() % 4 != 0 ? " " : kBlanks[random() % std::size(kBlanks)]) + part;
  return line;
}

}  // namespace xkm::a2l::test
