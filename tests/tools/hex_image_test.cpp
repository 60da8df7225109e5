#include "common/hex_image.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/intel_hex_writer.h"
#include "common/tool_error.h"
#include "support/scratch_folder.h"
#include "tool_process.h"

namespace xkm::test {
namespace {

using std::string_literals::operator""s;
using Runs = std::vector<std::pair<std::uint32_t, std::string>>;

Runs RunsOf(const tools::HexImage& image) {
  Runs runs;
  for (const auto& run : image.runs()) runs.emplace_back(run.start, run.bytes);
  return runs;
}

// Records below carry checksums worked out by hand, not by the code under test.
TEST(HexReader, PlacesTheDataOfEveryRecordKind) {
  struct Case {
    const char* what;
    std::string text;
    Runs runs;
  };
  const Case cases[] = {
      {"data record, LF", ":0400100001020304E2\n:00000001FF\n", {{0x10, "\x01\x02\x03\x04"s}}},
      {"CR LF, blank lines, trailing blanks, lower case",
       "\r\n:0400100001020304e2 \r\n\r\n  \r\n:00000001ff\r\n",
       {{0x10, "\x01\x02\x03\x04"s}}},
      {"extended linear address", ":020000040008F2\n:01000000AB54\n", {{0x80000, "\xAB"s}}},
      {"linear record across 64 KiB goes on linearly",
       ":04FFFE0001020304F5\n",
       {{0xFFFE, "\x01\x02\x03\x04"s}}},
      {"segment record wraps inside its 64 KiB",
       ":020000021000EC\n:02FFFF00AABB9B\n",
       {{0x10000, "\xBB"s}, {0x1FFFF, "\xAA"s}}},
      {"start addresses ignored, linear after segment",
       ":020000021000EC\n:0400000312345678E5\n:040000058000000077\n:020000040008F2\n"
       ":020012000304E5\n",
       {{0x80012, "\x03\x04"s}}},
      {"nothing after the end-of-file record counts",
       ":01000000AB54\n:00000001FF\n:zz\n",
       {{0, "\xAB"s}}},
      {"agreeing overlap and disorder join into one run",
       ":020012000304E5\n:0400100001020304E2\n:01000000AB54\n",
       {{0, "\xAB"s}, {0x10, "\x01\x02\x03\x04"s}}},
      {"S0 header, S1 to S3 data, S5 count, S9",
       "S00600004844521B\nS10512340102B1\nS205123456035B\nS3078000000004056F\nS5030003F9\n"
       "S9030000FC\n",
       {{0x1234, "\x01\x02"s}, {0x123456, "\x03"s}, {0x80000000, "\x04\x05"s}}},
      {"S6 count, data at the last address, nothing after S7",
       "S306FFFFFFFF7E7F\nS604000001FA\nS70500000000FA\nS10512340102B1\n",
       {{0xFFFFFFFF, "\x7E"s}}},
      {"S8 ends the file", "S10512340102B1\nS804000000FB\nS1\n", {{0x1234, "\x01\x02"s}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(RunsOf(tools::ParseHexImage(c.text, "img")), c.runs);
  }
}

TEST(HexReader, RefusesMalformedFilesNamingFileAndLine) {
  struct Case {
    std::string text;
    std::string message;
  };
  const Case cases[] = {
      {":01000000AB54\n:0400100001020304E3\n", "img, line 2: checksum mismatch"},
      {":0500100001020304E2\n", "img, line 1: byte count 5 does not match the 4 data bytes"},
      {":04001000010203G4E2\n", "img, line 1: a character that is not a hex digit"},
      {":0400100001020304E\n", "img, line 1: odd number of hex digits"},
      {":00000006FA\n", "img, line 1: unknown record type 06"},
      {":0100000401FA\n", "img, line 1: address record without exactly 2 data bytes"},
      {":01000000AB54\nS10512340102B1\n", "img, line 2: not an Intel-Hex record"},
      {":02000004FFFFFC\n:02FFFF00AABB9B\n", "img, line 2: data runs past address 0xFFFFFFFF"},
      {":020012000304E5\n\n:020012000305E4\n",
       "img, line 3: the byte at 0x00000013 differs from another record's"},
      {"S10512340102B2\n", "img, line 1: checksum mismatch"},
      {"S10612340102B1\n", "img, line 1: byte count 6 does not match the 5 bytes"},
      {"S4030000FC\n", "img, line 1: unknown record type S4"},
      {"S10512340102B1\nS5030002FA\n", "img, line 2: record count 2 but 1 data records"},
      {"S307FFFFFFFF7E7FFF\n", "img, line 1: data runs past address 0xFFFFFFFF"},
      {"S10512340102B1\n:01000000AB54\n", "img, line 2: not an S-record"},
      {"\n\n", "img is neither Intel-Hex nor S19"},
      {"BCB1", "img is neither Intel-Hex nor S19"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      tools::ParseHexImage(c.text, "img");
      ADD_FAILURE() << "accepted";
    } catch (const tools::ToolError& error) {
      EXPECT_EQ(std::string(error.what()).substr(0, c.message.size()), c.message);
      EXPECT_EQ(error.exitCode(), 2);
    }
  }
}

TEST(HexReader, RangeFillsUnsetBytesAndKeepsItsBounds) {
  const tools::HexImage image(tools::ImageFormat::kIntelHex,
                              {{0x10, "abcd"}, {0x20, "xy"}, {0xFFFFFFFE, "ZZ"}});
  struct Case {
    std::uint32_t start;
    std::uint32_t end;
    std::string bytes;
  };
  const Case cases[] = {
      {0x0E, 0x11,
       "\xFF\xFF"
       "ab"s},
      {0x12, 0x21, "cd" + std::string(12, '\xFF') + "xy"},
      {0x13, 0x13, "d"},
      {0x30, 0x31, "\xFF\xFF"s},
      {0xFFFFFFFD, 0xFFFFFFFF, "\xFFZZ"s},
  };
  for (const Case& c : cases) EXPECT_EQ(image.range(c.start, c.end), c.bytes) << c.start;
  EXPECT_THROW(image.range(0x11, 0x10), tools::ToolError);
  EXPECT_THROW(image.range(0, 0x4000000), tools::ToolError);  // one byte over 64 MiB
}

// srec_cat as an independent witness: the writer reproduces its layout byte
// for byte (record breaks, address records, line ends), and the reader takes
// back what either wrote.
TEST(HexWriter, WritesWhatSrecCatWritesAndReadsItBack) {
  struct Case {
    std::uint32_t start;
    std::size_t length;
  };
  const Case cases[] = {{0x80000, 0},     {0, 1},        {0x13, 70000},
                        {0xFFF0, 100},    {0x6FF, 1794}, {0x8000FF80, 300},
                        {0xFFFFFF00, 256}};
  ScratchFolder work;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    std::string bytes;
    for (std::size_t i = 0; i < c.length; ++i) bytes.push_back(static_cast<char>(i * 7 + i / 251));
    const std::string binary = work.write("data.bin", bytes);
    ASSERT_EQ(RunProcess("srec_cat",
                         {binary, "-binary", "-offset", std::to_string(c.start), "-o",
                          work.file("ref.hex"), "-intel", "-line-termination", "crlf"},
                         work.path())
                  .exitCode,
              0);
    const std::string written = tools::EncodeIntelHex(c.start, bytes);
    EXPECT_EQ(written, ReadFileBytes(work.file("ref.hex")));
    const Runs expected = c.length == 0 ? Runs{} : Runs{{c.start, bytes}};
    EXPECT_EQ(RunsOf(tools::ParseHexImage(written, "ours")), expected);
  }
  EXPECT_THROW(tools::EncodeIntelHex(0xFFFFFFFF, "ab"), tools::ToolError);
}

TEST(HexReader, ReadsImagesSrecCatWritesInEveryAddressWidth) {
  const std::vector<ImageChunk> low = {{0x12, "first"}, {0xFFC0, std::string(64, 'm')}};
  std::vector<ImageChunk> wide = low;
  wide.push_back({0x8000FFF0, std::string(40, 'w')});  // across a 64 KiB boundary
  struct Case {
    std::vector<std::string> format;  // srec_cat's output options
    const std::vector<ImageChunk>& chunks;
  };
  const Case cases[] = {
      {{"-intel"}, wide},
      {{"-intel", "-line-length=20", "-line-termination", "crlf"}, wide},
      {{"-motorola", "-address-length=2"}, low},
      {{"-motorola", "-address-length=3", "-line-length=20"}, low},
      {{"-motorola", "-address-length=4", "-line-termination", "crlf"}, wide},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format.back());
    ScratchFolder work;
    const std::string path = WriteImage(work.path(), "img", c.chunks, c.format[0],
                                        {c.format.begin() + 1, c.format.end()});
    Runs expected;
    for (const ImageChunk& chunk : c.chunks) expected.emplace_back(chunk.address, chunk.bytes);
    EXPECT_EQ(RunsOf(tools::ReadHexImage(path)), expected);
  }
}

}  // namespace
}  // namespace xkm::test
