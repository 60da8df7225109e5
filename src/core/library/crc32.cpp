#include "core/library/crc32.h"

#include <cstdio>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/text/cp1252.h"
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

namespace {

// Eight derived tables let the loop take eight bytes per step ("slicing by
// eight"); the result is the same as one table lookup per byte.
using SliceTables = std::array<std::array<uint32_t, 256>, 8>;

const SliceTables& Slices(const std::array<uint32_t, 256>& table) {
  static const SliceTables slices = [&table] {
    SliceTables t{};
    t[0] = table;
    for (size_t k = 1; k < 8; ++k)
      for (size_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFFu];
    return t;
  }();
  return slices;
}

uint32_t LoadLittleEndian32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

int32_t clsCRC32::AddBytes(std::string_view bytes) {
  const SliceTables& t = Slices(table_);
  uint32_t crc = register_;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t n = bytes.size();
  for (; n >= 8; n -= 8, p += 8) {
    const uint32_t low = crc ^ LoadLittleEndian32(p);
    const uint32_t high = LoadLittleEndian32(p + 4);
    crc = t[7][low & 0xFFu] ^ t[6][(low >> 8) & 0xFFu] ^ t[5][(low >> 16) & 0xFFu] ^
          t[4][low >> 24] ^ t[3][high & 0xFFu] ^ t[2][(high >> 8) & 0xFFu] ^
          t[1][(high >> 16) & 0xFFu] ^ t[0][high >> 24];
  }
  for (; n > 0; --n, ++p) crc = table_[(crc ^ *p) & 0xFFu] ^ (crc >> 8);
  register_ = crc;
  return static_cast<int32_t>(~crc);
}

int32_t clsCRC32::CalculateFile(const std::string& Filename, const std::string& sAppend) {
  InitCrc();
  try {
    return CalculateBytes(fs::ReadAllBytes(Filename), sAppend);
  } catch (const Error&) {
    // A file that is missing or cannot be read has the checksum 0, which no
    // library name carries but LIB_XKM_0: the name check then says so.
    // Memory running out is not the file's fault and goes on.
    return 0;
  }
}

int32_t clsCRC32::CalculateBytes(std::string_view bytes, const std::string& sAppend) {
  InitCrc();
  if (bytes.empty()) return 0;
  std::string appended;
  if (!TrimBlanks(sAppend).empty() && !TryEncodeCp1252(sAppend, appended)) return 0;
  AddBytes(bytes);
  return AddBytes(appended);
}

std::string CrcHexOfLibraryBytes(std::string_view bytes) {
  clsCRC32 crc;
  char text[16];
  std::snprintf(text, sizeof text, "%X",
                static_cast<uint32_t>(crc.CalculateBytes(bytes, kLibrarySalt)));
  return text;
}

std::string FileCrcHex(const std::string& path) {
  // A file that cannot be read raises its reason: a name made from the
  // checksum 0 would seal a library that was never read.
  return CrcHexOfLibraryBytes(fs::ReadAllBytes(path));
}

}  // namespace xkm
