#include <filesystem>

#include "support/installed_process.h"

namespace xkm::test {
namespace {

namespace stdfs = std::filesystem;

class FaultyTools : public InstalledProcess {
 protected:
  void setQsr(const std::string& program) const {
    setTools("[Tools]\nBrakel=tools/brakel\nLenwatch=tools/lenwatch\nQSR=" + program +
             "\nZOVEN=tools/zoven\nXKM2SGO=tools/xkm2sgo\n");
  }
};

// The steps judge a tool by the files it leaves, so a tool that cannot even be
// started or is killed ends the run with the missing file's text, never a
// crash; the report's entry for the tool says what happened to it.
TEST_F(FaultyTools, ToolThatCannotStartOrIsKilledStopsAtItsMissingFile) {
#ifdef _WIN32
  const char* const crashed = "exited";  // with the exception's status: Windows has no signals
#else
  const char* const crashed = "signal";
#endif
  const struct {
    const char* tool;
    std::string stop;
    const char* result;
  } rows[] = {{"zoven", "MIM-File : W/ecu_st10.hex_blk_1_mim was not created!", crashed},
              {"brakel", "File : W/ecu_st10_1.bcb not found!", "not-started"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.tool);
    installInputs("input");
    if (std::string(row.tool) == "brakel")
      write("tools/brakel" XKM_EXE_SUFFIX, "not a program\n");
    else
      environment["XKM_TOOL_FAIL_ZOVEN"] = "crash";
    ChildResult run = runDemo();
    EXPECT_EQ(Generic(run.err), Generic(StopText(ReplaceAll(row.stop, "W/", file("input/")))));
    EXPECT_EQ(report()["tools"].back()["result"], row.result);
    // One that could not start says why (the system's words differ between systems).
    EXPECT_EQ(report()["tools"].back().value("startError", "").empty(),
              std::string(row.result) != "not-started");
  }
}

// The step's message stays as it is; the report's tool entries say why: in
// order, with command line, exit code and the tool's own words, which never
// reach xkmtool's stdout or stderr.
TEST_F(FaultyTools, TheReportKeepsEveryToolRunWithItsOutput) {
  installInputs("input");
  writeStandInTool(
      "qsr-talks",
      "out=checking {3}\\n\nfill-err=10000:x\nerr=no licence for checksums\\n\nexit=5");
  setQsr("tools/qsr-talks");
  ChildResult run = runDemo();
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, StopText("Checksum-File : " + work("CS.LOG") + " not found!"));
  EXPECT_EQ(run.out.find("licence"), std::string::npos);
  EXPECT_EQ(run.out.find("lenwatch:"), std::string::npos);

  const nlohmann::json tools = report()["tools"];
  ASSERT_EQ(tools.size(), 4u);  // Brakel, Lenwatch twice, QSR
  EXPECT_EQ(tools[1]["exitCode"], 0);
  const nlohmann::json& qsr = tools.back();
  EXPECT_EQ(Generic(qsr["commandLine"].get<std::string>()),
            Generic("\"" + toolFile("qsr-talks") + "\"  -b \"" + work("CS_ST10.qsr") + "\" \"" +
                    work("ecu_st10.hex") + "\""));
  EXPECT_EQ(qsr["exitCode"], 5);
  EXPECT_EQ(Generic(qsr["stdout"].get<std::string>()),
            Generic("checking " + work("ecu_st10.hex") + "\n"));
  const std::string err = qsr["stderr"];
  EXPECT_EQ(err.size(), 4096u);
  EXPECT_EQ(err.front(), 'x');
  EXPECT_EQ(err.substr(err.size() - 26), "xno licence for checksums\n");
  EXPECT_GE(qsr["durationMs"].get<int>(), 0);
}

// Tools are judged by the files they leave: exiting non-zero with them lets
// the run complete.
TEST_F(FaultyTools, ToolsLeavingTheirFilesLetTheRunComplete) {
  installInputs("input");
  for (const char* name : {"BRAKEL", "LENWATCH", "QSR", "ZOVEN", "XKM2SGO"})
    environment[std::string("XKM_TOOL_FAIL_") + name] = "exit";
  ChildResult run = runDemo();
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(work(kContainer)), Expected("st10.xkm"));
  EXPECT_TRUE(stdfs::exists(work("4711-0815_SW0102.sgo")));
}

// Each garbage CS.LOG ends with the reader's or the import's text.
TEST_F(FaultyTools, GarbageChecksumLog) {
  const std::pair<std::string, std::string> rows[] = {
      // CS.LOG, stderr (W/: working folder)
      {"", "GetTextStreamAsRecordSet : 60000 File empty : W/CS.LOG"},
      {"Type;Name\r\nChecksum;CS_BLOCK1;1;2;3\r\n",
       "GetTextStreamAsRecordSet : 3265 Item cannot be found in the collection corresponding to "
       "the requested name or ordinal."},
      {"Checksum\r\n",
       "Item cannot be found in the collection corresponding to the requested name or ordinal."},
      // No checksum line: nothing is imported and the container names no checksum.
      {"\x01\xff\xfe\x7f;;\r\r\n\x80\x81garbage;\xe4\n", ""}};
  writeStandInTool("garbage_qsr", "copy=" + file("garbage.bin") + ">CS.LOG");
  setQsr("tools/garbage_qsr");
  for (const auto& [bytes, error] : rows) {
    SCOPED_TRACE(error);
    stdfs::remove_all(file("input"));
    installInputs("input");
    write("garbage.bin", bytes);
    ChildResult run = runDemo();
    EXPECT_EQ(run.exitCode, error.empty() ? 0 : 1);
    EXPECT_EQ(Generic(run.err),
              error.empty() ? "" : Generic(StopText(ReplaceAll(error, "W/", file("input/")))));
  }
}

}  // namespace
}  // namespace xkm::test
