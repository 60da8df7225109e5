#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xkm::tools {

std::string ToUpperAscii(std::string_view text);
// Removes blanks and tabs at both ends.
std::string Trim(std::string_view text);
// Lines ended by LF or CR LF; a last line without a line end counts too.
std::vector<std::string> SplitLines(std::string_view text);
std::vector<std::string> SplitFields(std::string_view text, char separator);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);

// "KEY=value" with the key upper-cased and both parts trimmed; nullopt for a
// line without "=".
struct KeyValue {
  std::string key;
  std::string value;
};
std::optional<KeyValue> SplitKeyValue(std::string_view line);

// "0x" followed by 1 to 16 hex digits; nullopt for anything else.
std::optional<std::uint64_t> ParseHexNumber(std::string_view text);
// Decimal digits only, at most 9 of them.
std::optional<std::uint32_t> ParseDecimal(std::string_view text);
// Upper-case hex, zero-padded to `digits`, without "0x".
std::string FormatHex(std::uint64_t value, int digits);

// Windows-1252 text (as the control files hold it) as UTF-8; bytes the code
// page leaves undefined keep their C1 code point.
std::string Cp1252ToUtf8(std::string_view text);

}  // namespace xkm::tools
