#include "core/platform/text/text_pieces.h"

namespace xkm {

std::string_view TrimLeadingBlanks(std::string_view text) {
  size_t start = text.find_first_not_of(' ');
  return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

std::string_view TrimBlanks(std::string_view text) {
  return TrimTrailingBlanks(TrimLeadingBlanks(text));
}

std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t at = text.find(separator); at != std::string_view::npos;
       at = text.find(separator, start)) {
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string ReplaceAll(std::string_view text, std::string_view search,
                       std::string_view replacement) {
  if (search.empty()) return std::string(text);
  std::string result;
  result.reserve(text.size());
  size_t start = 0;
  for (size_t p = text.find(search); p != std::string_view::npos; p = text.find(search, start)) {
    result.append(text, start, p - start);
    result.append(replacement);
    start = p + search.size();
  }
  result.append(text, start);
  return result;
}

bool IsBlank(std::string_view value) {
  return TrimBlanks(value).empty();
}

bool IsBlank(const std::optional<std::string>& value) {
  return value && IsBlank(*value);
}

}  // namespace xkm
