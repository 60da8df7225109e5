#include "core/library/crc32.h"

#include <gtest/gtest.h>

#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace xkm {
namespace {

TEST(Crc32, CalculateFileAppendsTheSaltAsWindows1252) {
  test::ScratchFolder folder;
  const std::string digits = folder.write("digits", "123456789");
  clsCRC32 crc;
  crc.AddBytes("something before");  // a file's CRC starts afresh
  EXPECT_EQ(static_cast<uint32_t>(crc.CalculateFile(digits)), 0xCBF43926u);
  EXPECT_EQ(static_cast<uint32_t>(crc.CalculateFile(digits, "   ")), 0xCBF43926u);
  // "§" goes in as the single byte 0xA7: 41 bytes in all.
  EXPECT_EQ(static_cast<uint32_t>(crc.CalculateFile(digits, kLibrarySalt)), 0xF0FD4628u);
  EXPECT_EQ(FileCrcHex(digits), "F0FD4628");

  EXPECT_EQ(crc.CalculateFile(folder.file("missing"), kLibrarySalt), 0);
  EXPECT_EQ(crc.CalculateFile(folder.write("empty", ""), kLibrarySalt), 0);
  EXPECT_EQ(crc.CalculateFile(digits, "\xE2\x82\xAC\xE2\x9C\x93"), 0);  // "✓" has no byte
  EXPECT_EQ(test::ErrorNumberOf([&] { FileCrcHex(folder.file("missing")); }), 53);
}

}  // namespace
}  // namespace xkm
