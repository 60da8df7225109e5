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

TEST(ToolHooks, ArgvLogHoldsOneLinePerRunWithEveryArgumentBracketed) {
  ScratchFolder work;
  const std::string log = work.file("argv.log");
  const Environment env = {{"XKM_TOOL_ARGV_LOG", log}};

  RunSampleTool("qsr", {"-b", "/w/demo layout.qsr", "/w/a.hex"}, work.path(), env);
  RunSampleTool("lenwatch", {"/w/a_1.bcb"}, work.path(), env);
  RunSampleTool("xkm2sgo", {}, work.path(), env);

  EXPECT_EQ(ReadFileBytes(log),
            "qsr <-b> </w/demo layout.qsr> </w/a.hex>\n"
            "lenwatch </w/a_1.bcb>\n"
            "xkm2sgo\n");
}

TEST(ToolHooks, ForcedFaultsCrashFailAfterWorkOrSkipTheFiles) {
  struct Case {
    const char* mode;
    int exitCode;
    int signal;
    bool filesLeft;
  };
  const Case cases[] = {
      {"crash", -1, SIGABRT, false},
      {"exit", 3, 0, true},
      {"nofiles", 0, 0, false},
      {"unknown", 0, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    ScratchFolder work;
    work.write("c.xkm", "content");
    const std::string log = work.file("argv.log");

    const ProcessResult result =
        RunSampleTool("xkm2sgo", {"-l", "c.xkm"}, work.path(),
                      {{"XKM_TOOL_FAIL_XKM2SGO", c.mode}, {"XKM_TOOL_ARGV_LOG", log}});

    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(result.signal, c.signal);
    EXPECT_EQ(std::filesystem::exists(work.file("c.sgo")), c.filesLeft);
    EXPECT_EQ(ReadFileBytes(log), "xkm2sgo <-l> <c.xkm>\n");
  }

  // Another tool's setting leaves this one alone.
  ScratchFolder work;
  work.write("c.xkm", "content");
  EXPECT_EQ(RunSampleTool("xkm2sgo", {"-l", "c.xkm"}, work.path(), {{"XKM_TOOL_FAIL_QSR", "crash"}})
                .exitCode,
            0);
}

}  // namespace
}  // namespace xkm::test
