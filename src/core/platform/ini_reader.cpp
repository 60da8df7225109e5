#include "core/platform/ini_reader.h"

#include <string_view>

#include "core/platform/cp1252.h"
#include "core/platform/error.h"
#include "core/platform/file_system.h"
#include "core/platform/letter_case.h"

namespace xkm {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80                   ? 1
                    : lead >= 0xC2 && lead < 0xE0 ? 2
                    : lead >= 0xE0 && lead < 0xF0 ? 3
                    : lead >= 0xF0 && lead < 0xF5 ? 4
                                                  : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

// A file that starts with the UTF-8 byte-order mark was saved as UTF-8 (by an
// editor that writes the mark); any other file is Windows-1252.
std::string DecodeIniText(std::string_view bytes) {
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  if (bytes.starts_with(kUtf8Mark)) {
    bytes.remove_prefix(kUtf8Mark.size());
    if (IsValidUtf8(bytes)) return std::string(bytes);
  }
  return DecodeCp1252(bytes);
}

}  // namespace

std::string ReadPrivateProfileString(const std::string& path, const std::string& section,
                                     const std::string& key, const std::string& defaultValue) {
  std::string raw;
  try {
    raw = fs::ReadAllBytes(path);
  } catch (const Error&) {
    return defaultValue;  // missing or unreadable: as the platform call answers
  }

  // Decoding first lets names given in UTF-8 be compared with the file's text.
  const std::string text = DecodeIniText(raw);
  const std::string_view wantedSection = Trim(section);
  const std::string_view wantedKey = Trim(key);

  bool inWantedSection = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trim(line);

    if (!line.empty() && line.front() == '[') {
      size_t close = line.find(']');
      if (close != std::string_view::npos) {
        if (inWantedSection) return defaultValue;  // only the first such section counts
        inWantedSection = EqualsIgnoringCase(Trim(line.substr(1, close - 1)), wantedSection);
        continue;
      }
    }
    if (!inWantedSection) continue;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    if (EqualsIgnoringCase(Trim(line.substr(0, equals)), wantedKey)) {
      return std::string(Unquote(Trim(line.substr(equals + 1))));
    }
  }
  return defaultValue;
}

}  // namespace xkm
