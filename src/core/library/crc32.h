#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace xkm {

// CRC-32 of IEEE 802.3 (reflected polynomial 0xEDB88320, initial register and
// final XOR 0xFFFFFFFF), the checksum the library's file name carries.
class clsCRC32 {
 public:
  clsCRC32();

  // The CRC of the file's bytes followed by the Windows-1252 bytes of `sAppend`
  // (nothing appended when `sAppend` is blank). 0 for an empty, missing or
  // unreadable file and for an `sAppend` with a character outside Windows-1252.
  // Starts a fresh CRC whatever the object computed before.
  int32_t CalculateFile(const std::string& Filename, const std::string& sAppend = "");
  // The same for bytes already in memory.
  int32_t CalculateBytes(std::string_view bytes, const std::string& sAppend = "");

  // Feeds bytes and returns the finished CRC of everything fed since the last
  // start; a further call continues the same CRC.
  int32_t AddBytes(std::string_view bytes);

 private:
  void InitCrc();

  std::array<uint32_t, 256> table_{};
  uint32_t register_ = 0xFFFFFFFFu;
};

// The salt appended to the library's bytes before its CRC is taken.
extern const char* const kLibrarySalt;

// The CRC of a file's bytes and the salt as upper-case hexadecimal without
// leading zeros ("0" for a CRC of 0). Raises the reason when the file cannot
// be read.
std::string FileCrcHex(const std::string& path);
// The same for the library's bytes already in memory.
std::string CrcHexOfLibraryBytes(std::string_view bytes);

}  // namespace xkm
