#pragma once

#include <cstddef>
#include <string_view>

namespace xkm::a2l {

inline constexpr size_t kNotFound = std::string_view::npos;

// Two bytes a fixed distance apart that every occurrence of a word holds: the
// filter of a fast search, which then only has to check the few places where
// both stand. With `ignoreCase` the bytes are compared with the case bit
// (0x20) set, which for letters compares them without regard to case.
struct BytePair {
  char first = 0;
  char second = 0;
  size_t distance = 1;
  bool ignoreCase = false;
};

// The first position i >= from at which `pair.first` stands and
// `pair.second` stands at i + distance; kNotFound when there is none.
size_t FindBytePair(std::string_view text, size_t from, const BytePair& pair);

// The first occurrence of `word` (case-sensitive) at or after `from`.
size_t FindWord(std::string_view text, size_t from, std::string_view word);

// The first CR or LF at or after `from`; the text's size when there is none.
size_t FindLineEnd(std::string_view text, size_t from);

// The last CR or LF before `before`; kNotFound when there is none.
size_t FindLastLineEnd(std::string_view text, size_t before);

}  // namespace xkm::a2l
