#include <cstdint>

#include "common/hex_records.h"
#include "common/text.h"

namespace xkm::tools {
namespace {

enum RecordType : std::uint8_t {
  kData = 0x00,
  kEndOfFile = 0x01,
  kExtendedSegmentAddress = 0x02,
  kStartSegmentAddress = 0x03,
  kExtendedLinearAddress = 0x04,
  kStartLinearAddress = 0x05,
};

struct IntelRecord {
  std::uint8_t type = 0;
  std::uint16_t offset = 0;
  std::string data;
};

std::uint8_t Byte(const std::string& bytes, std::size_t index) {
  return static_cast<std::uint8_t>(bytes[index]);
}

// ":" count, offset (2 bytes), type, data, checksum: all bytes sum to 0.
IntelRecord DecodeRecord(const std::string& text, const RecordLine& line) {
  if (text.front() != ':') line.fail("not an Intel-Hex record (no ':' at the start)");
  const std::string bytes = line.decode(std::string_view(text).substr(1));
  if (bytes.size() < 5) line.fail("record too short");
  if (bytes.size() != Byte(bytes, 0) + 5u) {
    line.fail("byte count " + std::to_string(Byte(bytes, 0)) + " does not match the " +
              std::to_string(bytes.size() - 5) + " data bytes of the record");
  }
  unsigned sum = 0;
  for (char byte : bytes) sum += static_cast<std::uint8_t>(byte);
  if (sum % 256 != 0) line.fail("checksum mismatch");
  return IntelRecord{Byte(bytes, 3),
                     static_cast<std::uint16_t>(Byte(bytes, 1) << 8 | Byte(bytes, 2)),
                     bytes.substr(4, bytes.size() - 5)};
}

// The 16-bit value of an address record, whose data must be two bytes.
std::uint32_t AddressValue(const IntelRecord& record, const RecordLine& line) {
  if (record.data.size() != 2) line.fail("address record without exactly 2 data bytes");
  return std::uint32_t{Byte(record.data, 0)} << 8 | Byte(record.data, 1);
}

// Where data records land: a linear base adds the offset over the whole 32-bit
// space, a segment base keeps offset + index within 64 KiB.
struct AddressBase {
  std::uint32_t base = 0;
  bool segmented = false;

  void addData(const IntelRecord& record, const RecordLine& line,
               std::vector<DataPiece>& pieces) const {
    if (record.data.empty()) return;
    const std::size_t toSegmentEnd = 0x10000u - record.offset;
    if (!segmented || record.data.size() <= toSegmentEnd) {
      pieces.push_back(line.piece(std::uint64_t{base} + record.offset, record.data));
      return;
    }
    pieces.push_back(
        line.piece(std::uint64_t{base} + record.offset, record.data.substr(0, toSegmentEnd)));
    pieces.push_back(line.piece(base, record.data.substr(toSegmentEnd)));
  }
};

}  // namespace

std::vector<DataPiece> ReadIntelHexRecords(std::string_view text, const std::string& fileName) {
  std::vector<DataPiece> pieces;
  AddressBase address;
  std::size_t number = 0;
  std::size_t endLine = 0;
  for (const std::string& rawLine : SplitLines(text)) {
    const RecordLine line{fileName, ++number};
    const std::string trimmed = Trim(rawLine);
    if (trimmed.empty()) continue;
    if (endLine != 0) line.failAfterEnd(endLine);
    const IntelRecord record = DecodeRecord(trimmed, line);
    switch (record.type) {
      case kData:
        address.addData(record, line, pieces);
        break;
      case kEndOfFile:
        endLine = number;
        break;
      case kExtendedSegmentAddress:
        address = {AddressValue(record, line) << 4, true};
        break;
      case kExtendedLinearAddress:
        address = {AddressValue(record, line) << 16, false};
        break;
      case kStartSegmentAddress:
      case kStartLinearAddress:
        // The entry point matters to a loader, not to the image's bytes.
        if (record.data.size() != 4) line.fail("start address record without 4 data bytes");
        break;
      default:
        line.fail("unknown record type " + FormatHex(record.type, 2));
    }
  }
  return pieces;
}

}  // namespace xkm::tools
