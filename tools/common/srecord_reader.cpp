#include <array>
#include <cstdint>

#include "common/hex_records.h"
#include "common/text.h"

namespace xkm::tools {
namespace {

// Bytes of the address field per record type S0 to S9; 0 for the unused S4.
constexpr std::array<std::size_t, 10> kAddressSize = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

struct SRecord {
  int type = 0;
  std::uint32_t address = 0;
  std::string data;
};

// "S", type digit, count, address, data, checksum. The count covers address,
// data and checksum; count to checksum sum to 0xFF.
SRecord DecodeRecord(const std::string& text, const RecordLine& line) {
  if (text.size() < 2 || text[0] != 'S') line.fail("not an S-record (no 'S' at the start)");
  if (text[1] < '0' || text[1] > '9' || kAddressSize[static_cast<std::size_t>(text[1] - '0')] == 0)
    line.fail("unknown record type S" + text.substr(1, 1));
  const int type = text[1] - '0';
  const std::size_t addressSize = kAddressSize[static_cast<std::size_t>(type)];
  const std::string bytes = line.decode(std::string_view(text).substr(2));
  if (bytes.size() < addressSize + 2) line.fail("record too short");
  const auto count = static_cast<std::uint8_t>(bytes[0]);
  if (bytes.size() != count + 1u) {
    line.fail("byte count " + std::to_string(count) + " does not match the " +
              std::to_string(bytes.size() - 1) + " bytes that follow it");
  }
  unsigned sum = 0;
  for (char byte : bytes) sum += static_cast<std::uint8_t>(byte);
  if (sum % 256 != 0xFF) line.fail("checksum mismatch");
  std::uint32_t address = 0;
  for (std::size_t i = 1; i <= addressSize; ++i)
    address = address << 8 | static_cast<std::uint8_t>(bytes[i]);
  return SRecord{type, address, bytes.substr(1 + addressSize, bytes.size() - addressSize - 2)};
}

}  // namespace

std::vector<DataPiece> ReadSRecords(std::string_view text, const std::string& fileName) {
  std::vector<DataPiece> pieces;
  std::uint32_t dataRecords = 0;
  std::size_t number = 0;
  std::size_t endLine = 0;
  for (const std::string& rawLine : SplitLines(text)) {
    const RecordLine line{fileName, ++number};
    const std::string trimmed = Trim(rawLine);
    if (trimmed.empty()) continue;
    if (endLine != 0) line.failAfterEnd(endLine);
    const SRecord record = DecodeRecord(trimmed, line);
    if (record.type >= 1 && record.type <= 3) {
      ++dataRecords;
      if (!record.data.empty()) pieces.push_back(line.piece(record.address, record.data));
    } else if (record.type == 5 || record.type == 6) {
      // The count of data records so far, kept in 16 or 24 bits: a lost
      // record shows here.
      const std::uint32_t mask = record.type == 5 ? 0xFFFFu : 0xFFFFFFu;
      if (record.address != (dataRecords & mask)) {
        line.fail("record count " + std::to_string(record.address) + " but " +
                  std::to_string(dataRecords) + " data records before it");
      }
    } else if (record.type >= 7) {
      endLine = number;
    }
  }
  return pieces;
}

}  // namespace xkm::tools
