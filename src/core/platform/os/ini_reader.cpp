#include "core/platform/os/ini_reader.h"

#include <string_view>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/text/cp1252.h"
#include "core/platform/text/letter_case.h"

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

// UTF-16 after its byte-order mark; a lone surrogate becomes U+FFFD.
std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  const auto unit = [&](size_t i) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<char32_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  };
  std::string text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char32_t c = unit(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
        unit(i + 2) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    AppendUtf8(text, c);
  }
  return text;
}

// A file that starts with a byte-order mark was saved as UTF-8 or UTF-16 (as
// Notepad's "Unicode" does; the Windows profile functions read it too). Any
// other file is UTF-8 when it reads as such (today's editors save so) and
// Windows-1252 otherwise.
std::string DecodeIniText(std::string_view bytes) {
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  if (bytes.starts_with(kUtf8Mark)) {
    bytes.remove_prefix(kUtf8Mark.size());
    if (IsValidUtf8(bytes)) return std::string(bytes);
  }
  if (bytes.starts_with("\xFF\xFE")) return DecodeUtf16(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return DecodeUtf16(bytes.substr(2), true);
  return Utf8OrCp1252(bytes);
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

constexpr size_t kIniValueLimit = 255;

std::string ReadIniValue(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& defaultValue) {
  std::string value = ReadPrivateProfileString(file, section, key, defaultValue);
  if (value.size() > kIniValueLimit) {
    // The limit counts characters; INI text is single-byte on disk.
    value = std::string(Utf8Head(value, kIniValueLimit));
  }
  return value;
}

}  // namespace xkm
