#include "common/hex_records.h"
#include "common/text.h"
#include "common/tool_error.h"

namespace xkm::tools {
namespace {

std::optional<int> HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return std::nullopt;
}

}  // namespace

void RecordLine::fail(const std::string& what) const {
  throw ToolError(fileName + ", line " + std::to_string(number) + ": " + what);
}

// Silently dropping what follows the end record lost the data of files whose
// writer put records after it; refusing them says so instead.
void RecordLine::failAfterEnd(std::size_t endLine) const {
  fail("text after the end-of-file record of line " + std::to_string(endLine));
}

std::string RecordLine::decode(std::string_view digits) const {
  if (digits.size() % 2 != 0) fail("odd number of hex digits");
  std::string bytes;
  bytes.reserve(digits.size() / 2);
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    const auto high = HexDigit(digits[i]);
    const auto low = HexDigit(digits[i + 1]);
    if (!high || !low) fail("a character that is not a hex digit");
    bytes.push_back(static_cast<char>(*high * 16 + *low));
  }
  return bytes;
}

DataPiece RecordLine::piece(std::uint64_t address, std::string bytes) const {
  if (address + bytes.size() > 0x100000000ull) fail("data runs past address 0xFFFFFFFF");
  return DataPiece{static_cast<std::uint32_t>(address), std::move(bytes), number};
}

}  // namespace xkm::tools
