#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "support/scratch_folder.h"
#include "tool_process.h"

namespace xkm::test {
namespace {

TEST(Xkm2sgo, WrapsTheContainerFoundInTheCurrentFolder) {
  ScratchFolder work;
  const std::string content = "[XKM]\r\nCS_CRC=CBF43926\r\n";
  work.write("ABC___________12.xkm", content);

  EXPECT_EQ(RunSampleTool("xkm2sgo", {"-l", "ABC___________12.xkm"}, work.path()).exitCode, 0);

  EXPECT_EQ(ReadFileBytes(work.file("ABC___________12.sgo")),
            "SGO1" + BigEndian32(static_cast<std::uint32_t>(content.size())) +
                BigEndian32(ReferenceCrc32(content)) + content);

  EXPECT_EQ(RunSampleTool("xkm2sgo", {"-l", "absent.xkm"}, work.path()).exitCode, 2);
  EXPECT_FALSE(std::filesystem::exists(work.file("absent.sgo")));
}

}  // namespace
}  // namespace xkm::test
