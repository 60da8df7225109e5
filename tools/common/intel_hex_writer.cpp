#include "common/intel_hex_writer.h"

#include <algorithm>

#include "common/file_io.h"
#include "common/text.h"
#include "common/tool_error.h"

namespace xkm::tools {
namespace {

constexpr std::size_t kMaxRecordData = 32;
// No record crosses a multiple of this address. The MIM files of earlier
// versions were laid out so, and the containers that embed them must stay
// byte-identical.
constexpr std::uint64_t kRecordBreakEvery = 0x700;

std::string Record(std::uint8_t type, std::uint16_t offset, std::string_view data) {
  std::string line = ":" + FormatHex(data.size(), 2) + FormatHex(offset, 4) + FormatHex(type, 2);
  unsigned sum = static_cast<unsigned>(data.size()) + (offset >> 8) + (offset & 0xFFu) + type;
  for (char byte : data) {
    line += FormatHex(static_cast<std::uint8_t>(byte), 2);
    sum += static_cast<std::uint8_t>(byte);
  }
  return line + FormatHex((0x100 - sum % 0x100) % 0x100, 2) + "\r\n";
}

std::string ExtendedLinearAddress(std::uint64_t address) {
  const auto upper = static_cast<std::uint16_t>(address >> 16);
  const char data[] = {static_cast<char>(upper >> 8), static_cast<char>(upper & 0xFF)};
  return Record(0x04, 0, std::string_view(data, 2));
}

}  // namespace

std::string EncodeIntelHex(std::uint32_t start, std::string_view bytes) {
  if (std::uint64_t{start} + bytes.size() > 0x100000000ull)
    throw ToolError("data runs past the 32-bit address space");
  std::string text;
  std::uint64_t upperBits = 0x10000;  // none written yet
  std::uint64_t address = start;
  for (std::size_t done = 0; done < bytes.size();) {
    const std::uint64_t toBreak = kRecordBreakEvery - address % kRecordBreakEvery;
    const std::size_t length = static_cast<std::size_t>(
        std::min<std::uint64_t>({kMaxRecordData, bytes.size() - done, toBreak}));
    if (address >> 16 != upperBits) {
      upperBits = address >> 16;
      text += ExtendedLinearAddress(address);
    }
    text += Record(0x00, static_cast<std::uint16_t>(address & 0xFFFF), bytes.substr(done, length));
    done += length;
    address += length;
  }
  return text + Record(0x01, 0, {});
}

void WriteIntelHex(const std::string& path, std::uint32_t start, std::string_view bytes) {
  WriteFileAtomic(path, EncodeIntelHex(start, bytes));
}

}  // namespace xkm::tools
