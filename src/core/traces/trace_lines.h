#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace xkm {

// A trace line longer than this (two lines run together by a crash, or not a
// trace at all) is passed over without being held in memory.
inline constexpr size_t kLongestTraceLine = size_t{16} << 20;

// One line of a trace file: its number from 1, its bytes without the line
// break (and a CR before it), and whether it was longer than
// kLongestTraceLine, in which case `text` is empty.
struct TraceLine {
  uint64_t number = 0;
  std::string_view text;
  bool overlong = false;
};

// Calls `each` for every line of the file at `path`, reading it in pieces:
// the memory used is one piece and one line, whatever the file's size.
// Throws a numbered Error when the file cannot be opened or read.
void ForEachTraceLine(const std::string& path, const std::function<void(const TraceLine&)>& each);

}  // namespace xkm
