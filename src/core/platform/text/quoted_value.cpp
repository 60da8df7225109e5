#include "core/platform/text/quoted_value.h"

#include <algorithm>

namespace xkm {

std::string Quote(std::string_view value) {
  constexpr size_t kLongest = 60;
  size_t cut = std::min(kLongest, value.size());
  while (cut > 0 && cut < value.size() && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80)
    --cut;  // not inside a UTF-8 sequence
  std::string shown(value.substr(0, cut));
  if (value.size() > kLongest) shown += "...";
  for (char& c : shown)
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  return "\"" + shown + "\"";
}

}  // namespace xkm
