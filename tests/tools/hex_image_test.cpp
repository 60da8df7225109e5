#include "common/hex_image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "common/intel_hex_writer.h"
#include "common/tool_error.h"
#include "support/child_process.h"
#include "support/scratch_folder.h"

namespace xkm::test {
namespace {

// The runs as "<address>:<hex bytes>", blank-separated.
std::string Describe(const tools::HexImage& image) {
  std::string text;
  char digits[16];
  for (const auto& run : image.runs()) {
    std::snprintf(digits, sizeof digits, "%s%X:", text.empty() ? "" : " ", run.start);
    text += digits;
    for (unsigned char byte : run.bytes)
      text += {"0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 15]};
  }
  return text;
}

#ifndef _WIN32  // srec_cat is installed where the tests are built
// srec_cat, the independent witness, writes `bytes` at `address` as Intel-Hex
// with CR LF line ends.
std::string SrecCatIntelHex(const ScratchFolder& work, std::uint32_t address,
                            const std::string& bytes) {
  const ChildCommand command{.argv = {"srec_cat", work.write("ref.bin", bytes), "-binary",
                                      "-offset", std::to_string(address), "-o",
                                      work.file("ref.hex"), "-intel", "-line-termination", "crlf"}};
  EXPECT_EQ(RunChild(command).exitCode, 0);
  return ReadFileBytes(work.file("ref.hex"));
}
#endif

// The records' checksums were worked out by hand, not by the code under test.
TEST(HexReader, PlacesTheDataOfEveryRecordKind) {
  const std::pair<std::string, std::string> cases[] = {
      {"\r\n:0400100001020304e2 \r\n\r\n  \r\n:00000001ff\r\n", "10:01020304"},
      {":04FFFE0001020304F5\n", "FFFE:01020304"},                   // linear across 64 KiB
      {":020000021000EC\n:02FFFF00AABB9B\n", "10000:BB 1FFFF:AA"},  // wraps in its segment
      {":020000021000EC\n:0400000312345678E5\n:040000058000000077\n:020000040008F2\n"
       ":020012000304E5\n",
       "80012:0304"},
      {":01000000AB54\n:00000001FF \r\n\r\n \t\n", "0:AB"},  // blanks after the end
      {":020012000304E5\n:0400100001020304E2\n:01000000AB54\n", "0:AB 10:01020304"},
      {"S00600004844521B\nS10512340102B1\nS205123456035B\nS3078000000004056F\nS5030003F9\n"
       "S9030000FC\n",
       "1234:0102 123456:03 80000000:0405"},
      {"S306FFFFFFFF7E7F\nS604000001FA\nS70500000000FA\n", "FFFFFFFF:7E"},
  };
  for (const auto& [text, runs] : cases) EXPECT_EQ(Describe(tools::ParseHexImage(text, "i")), runs);
}

TEST(HexReader, RefusesMalformedFilesNamingFileAndLine) {
  const std::pair<std::string, std::string> cases[] = {
      {":01000000AB54\n:0400100001020304E3\n", "i, line 2: checksum mismatch"},
      {":0500100001020304E2\n", "i, line 1: byte count 5 does not match the 4 data bytes"},
      {":04001000010203G4E2\n", "i, line 1: a character that is not a hex digit"},
      {":00000006FA\n", "i, line 1: unknown record type 06"},
      {":01000000AB54\nS10512340102B1\n", "i, line 2: not an Intel-Hex record"},
      {":02000004FFFFFC\n:02FFFF00AABB9B\n", "i, line 2: data runs past address 0xFFFFFFFF"},
      {":020012000304E5\n\n:020012000305E4\n", "i, line 3: the byte at 0x00000013 differs"},
      {"S10512340102B2\n", "i, line 1: checksum mismatch"},
      {"S10512340102B1\nS5030002FA\n", "i, line 2: record count 2 but 1 data records"},
      {"\n\n", "i is neither Intel-Hex nor S19"},
      {":00000001FF\n\n:01000000AB54\n", "i, line 3: text after the end-of-file record of line 1"},
  };
  for (const auto& [text, message] : cases) {
    std::string error = "accepted";
    try {
      tools::ParseHexImage(text, "i");
    } catch (const tools::ToolError& e) {
      error = std::string(e.what()).substr(0, message.size());
    }
    EXPECT_EQ(error, message) << text;
  }
}

TEST(HexReader, RangeFillsUnsetBytesAndKeepsItsBounds) {
  const tools::HexImage image(tools::ImageFormat::kIntelHex,
                              {{0x10, "abcd"}, {0x20, "xy"}, {0xFFFFFFFE, "ZZ"}});
  EXPECT_EQ(image.range(0x0E, 0x11), "\xFF\xFF" + std::string("ab"));
  EXPECT_EQ(image.range(0x12, 0x21), "cd" + std::string(12, '\xFF') + "xy");
  EXPECT_EQ(image.range(0x13, 0x13), "d");
  EXPECT_EQ(image.range(0x30, 0x31), "\xFF\xFF");
  EXPECT_EQ(image.range(0xFFFFFFFD, 0xFFFFFFFF), "\xFFZZ");
  EXPECT_THROW(image.range(0x11, 0x10), tools::ToolError);
  EXPECT_THROW(image.range(0, 0x4000000), tools::ToolError);  // one byte over 64 MiB
}

// srec_cat is the independent witness: the writer reproduces its layout byte
// for byte (record breaks, address records, line ends), and the reader reads
// back what it wrote.
TEST(HexWriter, WritesWhatSrecCatWritesAndReadsItBack) {
  const std::pair<std::uint32_t, std::size_t> cases[] = {
      {0x80000, 0}, {0, 1}, {0x13, 70000}, {0xFFF0, 100}, {0x6FF, 1794}, {0xFFFFFF00, 256}};
  ScratchFolder work;
  for (const auto& [start, length] : cases) {
    std::string bytes;
    for (std::size_t i = 0; i < length; ++i) bytes.push_back(static_cast<char>(i * 7 + i / 251));
    const std::string written = tools::EncodeIntelHex(start, bytes);
#ifndef _WIN32
    EXPECT_EQ(written, SrecCatIntelHex(work, start, bytes)) << start;
#endif
    const tools::HexImage back = tools::ParseHexImage(written, "ours");
    EXPECT_EQ(back.runs().empty() ? "" : back.runs()[0].bytes, bytes);
  }
  EXPECT_THROW(tools::EncodeIntelHex(0xFFFFFFFF, "ab"), tools::ToolError);
}

}  // namespace
}  // namespace xkm::test
