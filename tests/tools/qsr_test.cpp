#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/scratch_folder.h"
#include "tool_process.h"

namespace xkm::test {
namespace {

using std::string_literals::operator""s;

std::string Hex8(std::uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

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
  const std::string gap =
      Hex8(ReferenceCrc32("\xFF\xFF"
                          "123456789\xFF"s));
  EXPECT_EQ(ReadFileBytes(work.file("CS.LOG")),
            "Type;Name;Value;Range\r\n"
            "Checksum;CS_CRC;CBF43926\r\n"
            "Checksum;CS_GAP;" +
                gap +
                "\r\n"
                "Checksum;CS_SUM;02DC\r\n"
                "Checksum;CS_WRAP;FE00\r\n");
  EXPECT_NE(ReadFileBytes(work.file("QSR.LOG")).find("CS_CRC"), std::string::npos);
}

TEST(Qsr, UnusableInputLeavesNoCsLog) {
  struct Case {
    const char* what;
    std::string script;  // empty: no script file
    std::string image;   // file name in the work folder
  };
  const Case cases[] = {
      {"missing script", "", "ecu.hex"},
      {"missing image", "CHECKSUM=CS;CRC32;0x0;0x1\n", "absent.hex"},
      {"unknown algorithm", "CHECKSUM=CS;MD5;0x0;0x1\n", "ecu.hex"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder work;
    WriteImage(work.path(), "ecu.hex", {{0, "abc"}}, "-intel");
    if (!c.script.empty()) work.write("ecu.qsr", c.script);
    work.write("CS.LOG", "Type;Name;Value\r\nChecksum;STALE;0\r\n");

    EXPECT_EQ(RunSampleTool("qsr", {"-b", work.file("ecu.qsr"), work.file(c.image)}, work.path())
                  .exitCode,
              2);
    EXPECT_FALSE(std::filesystem::exists(work.file("CS.LOG")));
  }
}

}  // namespace
}  // namespace xkm::test
