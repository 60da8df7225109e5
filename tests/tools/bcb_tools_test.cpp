#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/intel_hex_writer.h"
#include "support/scratch_folder.h"
#include "tool_process.h"

namespace xkm::test {
namespace {

namespace stdfs = std::filesystem;

std::string BcbWithHeaderLength(std::uint32_t start, std::uint32_t length,
                                const std::string& payload) {
  return "BCB1" + BigEndian32(start) + BigEndian32(length) + payload;
}

TEST(Lenwatch, LogsTheVerdictBesideTheBlockFileAndExitsByIt) {
  const struct {
    std::uint32_t headerLength;  // 0: no block file
    int exitCode;
    const char* log;  // empty: no log file
  } rows[] = {{3, 0, "OK length 3\r\n"}, {5, 1, "MISMATCH header 5 payload 3\r\n"}, {0, 2, ""}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.headerLength);
    ScratchFolder work;
    if (row.headerLength != 0)
      work.write("ecu_1.bcb", BcbWithHeaderLength(0x100, row.headerLength, "abc"));
    EXPECT_EQ(RunSampleTool("lenwatch", {work.file("ecu_1.bcb")}, work.path()).exitCode,
              row.exitCode);
    const std::string log = work.file("ecu_1_bcb.log");
    EXPECT_EQ(stdfs::exists(log) ? ReadFileBytes(log) : "", row.log);
  }
}

TEST(Zoven, PacksTheBlockAsIntelHexLaidOutLikeSrecCats) {
  ScratchFolder work;
  std::string payload;
  for (int i = 0; i < 300; ++i) payload.push_back(static_cast<char>(i * 7));
  const std::uint32_t start = 0x8000FF80;  // across a 64 KiB boundary
  const std::string bcb = work.write("ecu_1.bcb", BcbWithHeaderLength(start, 300, payload));
  const std::string mim = work.file("ecu.hex_blk_1_mim");
  EXPECT_EQ(RunSampleTool("zoven", {"-o", mim, bcb}, work.path()).exitCode, 0);
  // The writer's layout is checked against srec_cat in the hex tests.
  EXPECT_EQ(ReadFileBytes(mim), tools::EncodeIntelHex(start, payload));
}

TEST(Zoven, MissingOrInconsistentBlockFileGivesNoMimFile) {
  ScratchFolder work;
  const std::string mim = work.file("ecu.hex_blk_1_mim");
  for (const bool present : {false, true}) {
    if (present) work.write("ecu_1.bcb", BcbWithHeaderLength(0, 9, "abc"));
    EXPECT_EQ(RunSampleTool("zoven", {"-o", mim, work.file("ecu_1.bcb")}, work.path()).exitCode, 2);
    EXPECT_FALSE(stdfs::exists(mim)) << present;
  }
}

TEST(Xkm2sgo, WrapsTheContainerFoundInTheCurrentFolder) {
  ScratchFolder work;
  const std::string content = "[XKM]\r\nCS_CRC=CBF43926\r\n";
  work.write("ABC___________12.xkm", content);
  EXPECT_EQ(RunSampleTool("xkm2sgo", {"-l", "ABC___________12.xkm"}, work.path()).exitCode, 0);
  EXPECT_EQ(ReadFileBytes(work.file("ABC___________12.sgo")),
            "SGO1" + BigEndian32(static_cast<std::uint32_t>(content.size())) +
                BigEndian32(ReferenceCrc32(content)) + content);
  EXPECT_EQ(RunSampleTool("xkm2sgo", {"-l", "absent.xkm"}, work.path()).exitCode, 2);
  EXPECT_FALSE(stdfs::exists(work.file("absent.sgo")));
}

}  // namespace
}  // namespace xkm::test
