#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/intel_hex_writer.h"
#include "support/scratch_folder.h"
#include "tool_process.h"

namespace xkm::test {
namespace {

std::string BcbWithHeaderLength(std::uint32_t start, std::uint32_t length,
                                const std::string& payload) {
  return "BCB1" + BigEndian32(start) + BigEndian32(length) + payload;
}

TEST(Lenwatch, LogsTheVerdictBesideTheBlockFileAndExitsByIt) {
  ScratchFolder work;
  const std::string good = work.write("ecu_1.bcb", BcbWithHeaderLength(0x100, 3, "abc"));
  const std::string bad = work.write("ecu_2.bcb", BcbWithHeaderLength(0x100, 5, "abc"));

  EXPECT_EQ(RunSampleTool("lenwatch", {good}, work.path()).exitCode, 0);
  EXPECT_EQ(ReadFileBytes(work.file("ecu_1_bcb.log")), "OK length 3\r\n");

  EXPECT_EQ(RunSampleTool("lenwatch", {bad}, work.path()).exitCode, 1);
  EXPECT_EQ(ReadFileBytes(work.file("ecu_2_bcb.log")), "MISMATCH header 5 payload 3\r\n");

  EXPECT_EQ(RunSampleTool("lenwatch", {work.file("ecu_3.bcb")}, work.path()).exitCode, 2);
  EXPECT_FALSE(std::filesystem::exists(work.file("ecu_3_bcb.log")));
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
  EXPECT_EQ(RunSampleTool("zoven", {"-o", mim, work.file("ecu_1.bcb")}, work.path()).exitCode, 2);
  EXPECT_FALSE(std::filesystem::exists(mim));

  const std::string bcb = work.write("ecu_1.bcb", BcbWithHeaderLength(0, 9, "abc"));
  EXPECT_EQ(RunSampleTool("zoven", {"-o", mim, bcb}, work.path()).exitCode, 2);
  EXPECT_FALSE(std::filesystem::exists(mim));
}

}  // namespace
}  // namespace xkm::test
