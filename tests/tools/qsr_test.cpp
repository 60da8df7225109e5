#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/scratch_folder.h"
#include "tool_process.h"

namespace xkm::test {
namespace {

using std::string_literals::operator""s;

TEST(Qsr, WritesTheImagesChecksumsToCsLog) {
  ScratchFolder work;
  const std::string image = WriteImage(work.path(), "ecu.hex", {{0x4000, "123456789"}}, "-intel");
  const std::string script = work.write("ecu.qsr",
                                        "; checksums of the demo layout\r\n"
                                        "CHECKSUM=CS_CRC;CRC32;0x4000;0x4008\r\n"
                                        "CHECKSUM=CS_GAP;crc32;0x3FFE;0x4009\r\n"
                                        "OTHER=ignored\r\n"
                                        "CHECKSUM=CS_SUM;SUM16;0x4000;0x4009\r\n"
                                        "CHECKSUM=CS_WRAP;SUM16;0x5000;0x51FF\r\n");
  EXPECT_EQ(RunSampleTool("qsr", {"-b", script, image}, work.path()).exitCode, 0);
  // 0xCBF43926 is the CRC-32 check value of "123456789"; unset bytes count as
  // 0xFF; 512 bytes of 0xFF sum to 0x1FE00, kept modulo 65536.
  char gap[9];
  std::snprintf(gap, sizeof gap, "%08X",
                ReferenceCrc32("\xFF\xFF"
                               "123456789\xFF"s));
  EXPECT_EQ(ReadFileBytes(work.file("CS.LOG")),
            "Type;Name;Value;Range\r\nChecksum;CS_CRC;CBF43926\r\nChecksum;CS_GAP;"s + gap +
                "\r\nChecksum;CS_SUM;02DC\r\nChecksum;CS_WRAP;FE00\r\n");
  EXPECT_NE(ReadFileBytes(work.file("QSR.LOG")).find("CS_CRC"), std::string::npos);
}

TEST(Qsr, UnusableInputLeavesNoCsLog) {
  const std::pair<std::string, std::string> rows[] = {// script (empty: none), image file
                                                      {"", "ecu.hex"},
                                                      {"CHECKSUM=CS;CRC32;0x0;0x1\n", "absent.hex"},
                                                      {"CHECKSUM=CS;MD5;0x0;0x1\n", "ecu.hex"}};
  for (const auto& [script, image] : rows) {
    SCOPED_TRACE(script + image);
    ScratchFolder work;
    WriteImage(work.path(), "ecu.hex", {{0, "abc"}}, "-intel");
    if (!script.empty()) work.write("ecu.qsr", script);
    work.write("CS.LOG", "Type;Name;Value\r\nChecksum;STALE;0\r\n");
    EXPECT_EQ(
        RunSampleTool("qsr", {"-b", work.file("ecu.qsr"), work.file(image)}, work.path()).exitCode,
        2);
    EXPECT_FALSE(std::filesystem::exists(work.file("CS.LOG")));
  }
}

}  // namespace
}  // namespace xkm::test
