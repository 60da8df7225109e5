#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Plain text taken apart and put together: blanks trimmed, text split at a
// character, text replaced.
namespace xkm {

// Leading and trailing space characters removed (tabs and line breaks stay).
std::string_view TrimBlanks(std::string_view text);
std::string_view TrimLeadingBlanks(std::string_view text);
std::string_view TrimTrailingBlanks(std::string_view text);

// True when the value trimmed of blanks is empty; a null value is not blank.
bool IsBlank(std::string_view value);
inline bool IsBlank(const std::string& value) {
  return IsBlank(std::string_view(value));
}
inline bool IsBlank(const char* value) {
  return IsBlank(std::string_view(value));
}
bool IsBlank(const std::optional<std::string>& value);

// The parts of `text` between its `separator`s: one more part than separators.
std::vector<std::string_view> SplitAt(std::string_view text, char separator);

// Every non-overlapping occurrence of `search` replaced, left to right; text a
// replacement brings in is not searched again. No length limit.
std::string ReplaceAll(std::string_view text, std::string_view search,
                       std::string_view replacement);

}  // namespace xkm
