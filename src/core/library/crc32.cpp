#include "core/library/crc32.h"

#include <cstdio>

#include "core/platform/cp1252.h"
#include "core/platform/file_system.h"
#include "core/session/conversions.h"

namespace xkm {

// UTF-8 here; "§" becomes the single byte 0xA7 when encoded for the CRC.
const char* const kLibrarySalt = "QWPLRT/§KDNVXBE/47MZYRHCGFJ352KB";

clsCRC32::clsCRC32() {
  InitCrc();
}

void clsCRC32::InitCrc() {
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t entry = i;
    for (int bit = 0; bit < 8; ++bit)
      entry = (entry & 1u) ? (entry >> 1) ^ 0xEDB88320u : entry >> 1;
    table_[i] = entry;
  }
  register_ = 0xFFFFFFFFu;
}

int32_t clsCRC32::AddBytes(std::string_view bytes) {
  uint32_t crc = register_;
  for (unsigned char b : bytes) crc = table_[(crc ^ b) & 0xFFu] ^ (crc >> 8);
  register_ = crc;
  return static_cast<int32_t>(~crc);
}

int32_t clsCRC32::CalculateFile(const std::string& Filename, const std::string& sAppend) {
  InitCrc();
  try {
    std::string buffer = fs::ReadAllBytes(Filename);
    if (buffer.empty()) return 0;
    if (!TrimBlanks(sAppend).empty()) {
      std::string appended;
      if (!TryEncodeCp1252(sAppend, appended)) return 0;
      buffer += appended;
    }
    return AddBytes(buffer);
  } catch (...) {
    return 0;
  }
}

std::string FileCrcHex(const std::string& path) {
  clsCRC32 crc;
  char text[16];
  std::snprintf(text, sizeof text, "%X",
                static_cast<uint32_t>(crc.CalculateFile(path, kLibrarySalt)));
  return text;
}

}  // namespace xkm
