#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xkm::tools {

// The bytes of one data record at their absolute address; `line` (from 1)
// names the record in messages.
struct DataPiece {
  std::uint32_t address = 0;
  std::string bytes;
  std::size_t line = 0;
};

// The data records of Intel-Hex text (record types 00 to 05). Only blank lines
// may follow the end-of-file record; a file without one ends at its last line.
// ToolError naming `fileName` and the line for any malformed record.
std::vector<DataPiece> ReadIntelHexRecords(std::string_view text, const std::string& fileName);

// The data records of Motorola S-record text (S0 to S3, S5 to S9). Only blank
// lines may follow the termination record (S7 to S9).
std::vector<DataPiece> ReadSRecords(std::string_view text, const std::string& fileName);

// What the two readers share: one line's position for messages and the hex
// pairs of its record.
struct RecordLine {
  const std::string& fileName;
  std::size_t number;

  // ToolError "<file>, line <n>: <what>".
  [[noreturn]] void fail(const std::string& what) const;
  // A line that is not blank after the end-of-file record of line `endLine`.
  [[noreturn]] void failAfterEnd(std::size_t endLine) const;
  // The bytes written as hex pairs in `digits` (either letter case).
  std::string decode(std::string_view digits) const;
  // A piece at `address` that must end within the 32-bit address space.
  DataPiece piece(std::uint64_t address, std::string bytes) const;
};

}  // namespace xkm::tools
