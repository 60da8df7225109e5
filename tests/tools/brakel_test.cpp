#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/scratch_folder.h"
#include "tool_process.h"

namespace xkm::test {
namespace {

using std::string_literals::operator""s;

const std::vector<ImageChunk> kChunks = {{0x1000, "\x01\x02\x03\x04"s}, {0x80000000, "123456789"}};

std::string Bcb(std::uint32_t start, const std::string& payload) {
  return "BCB1" + BigEndian32(start) + BigEndian32(static_cast<std::uint32_t>(payload.size())) +
         payload;
}

// An image named without a folder lies next to the control file, wherever brakel runs.
TEST(Brakel, CutsEveryBlockWithHeaderAndFillFromIntelHexAndS19) {
  for (const std::string format : {"-intel", "-motorola"}) {
    SCOPED_TRACE(format);
    ScratchFolder work;
    ScratchFolder elsewhere;
    const std::string written = WriteImage(work.path(), "ecu.img", kChunks, format);
    const std::string image = format == "-intel" ? written : "ecu.img";
    const std::string control =
        work.write("ecu.brk", "IMAGE=" + image +
                                  "\r\nNAME=ecu\r\n\r\nREMARK=ignored\r\nBLOCK=1;0x0FFE;0x1005\r\n"
                                  "BLOCK = 2 ; 0x80000000 ; 0x8000000A\r\nBLOCK=3;0x1001;0x1002");
    EXPECT_EQ(RunSampleTool("brakel", {control}, elsewhere.path()).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(work.file("ecu_1.bcb")) + ReadFileBytes(work.file("ecu_2.bcb")) +
                  ReadFileBytes(work.file("ecu_3.bcb")),
              Bcb(0x0FFE, "\xFF\xFF\x01\x02\x03\x04\xFF\xFF"s) +
                  Bcb(0x80000000, "123456789\xFF\xFF"s) + Bcb(0x1001, "\x02\x03"s));
  }
}

// Where the image fails after the blocks are known, the stale block file goes too.
TEST(Brakel, FailedRunLeavesNoBlockFile) {
  const char* const one = "BLOCK=1;0x1000;0x1003\n";
  const struct {
    std::string image, blocks, name;  // image: file name in the work folder
    bool staleFileRemoved;
  } rows[] = {
      {"absent.hex", one, "ecu", true},
      {"bad.hex", one, "ecu", true},
      {"ecu.hex", one + "BLOCK=2;0xFFFFFFF0;0x100000000\n"s, "ecu", false},  // beyond 32 bits
      {"ecu.hex", "BLOCK=1;0x1003;0x1000\n", "ecu", false},
      {"ecu.hex", one, "../ecu", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.image + row.blocks + row.name);
    ScratchFolder work;
    WriteImage(work.path(), "ecu.hex", kChunks, "-intel");
    work.write("bad.hex", ":0400100001020304E3\n");
    const std::string stale = work.write("ecu_1.bcb", "left over from an earlier run");
    const std::string control = work.write(
        "ecu.brk", "IMAGE=" + work.file(row.image) + "\nNAME=" + row.name + "\n" + row.blocks);
    EXPECT_EQ(RunSampleTool("brakel", {control}, work.path()).exitCode, 2);
    EXPECT_FALSE(std::filesystem::exists(work.file("ecu_2.bcb")) ||
                 std::filesystem::exists(work.file("../ecu_1.bcb")));
    EXPECT_EQ(std::filesystem::exists(stale) ? ReadFileBytes(stale) : "",
              row.staleFileRemoved ? "" : "left over from an earlier run");
  }
}

}  // namespace
}  // namespace xkm::test
