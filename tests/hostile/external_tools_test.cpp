#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "support/installed_process.h"

namespace xkm::test {
namespace {

namespace stdfs = std::filesystem;

std::string Stop(const std::string& text) {
  return "Error: 60000 " + text + " - program stops!\n";
}

class FaultyTools : public InstalledProcess {
 protected:
  std::string work(const std::string& name) const { return file("input/" + name); }
  void setQsr(const std::string& program) const {
    setTools("[Tools]\nBrakel=tools/brakel\nLenwatch=tools/lenwatch\nQSR=" + program +
             "\nZOVEN=tools/zoven\nXKM2SGO=tools/xkm2sgo\n");
  }
};

// The steps judge a tool by the files it leaves, so a tool that cannot even be
// started or is killed ends the run with the missing file's text, never a
// crash; the report's entry for the tool says what happened to it.
TEST_F(FaultyTools, ToolThatCannotStartOrIsKilledStopsAtItsMissingFile) {
  const struct {
    const char* tool;
    std::string stop;
    const char* step;
    const char* result;
  } rows[] = {{"brakel", "File : W/ecu_st10_1.bcb not found!", "RUN_BCB_CONVERSION", "not-started"},
              {"zoven", "MIM-File : W/ecu_st10.hex_blk_1_mim was not created!",
               "RUN_BCB2MIM_CONVERSION", "signal"}};
  const std::string kept = file("brakel.kept");
  stdfs::copy_file(toolFile("brakel"), kept);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.tool);
    stdfs::remove_all(file("input"));
    installInputs("input");
    if (std::string(row.tool) == "brakel")
      write("tools/brakel" XKM_EXE_SUFFIX, "not a program\n");
    else
      environment["XKM_TOOL_FAIL_ZOVEN"] = "crash";
    ChildResult run = runDemo();
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Generic(run.err), Generic(Stop(ReplaceAll(row.stop, "W/", file("input/")))));
    EXPECT_FALSE(stdfs::exists(work(kContainer)));
    const nlohmann::json json = report();
    EXPECT_EQ(json["outcome"], "failed");
    const nlohmann::json& last = json["tools"].back();
    EXPECT_EQ(last["step"], row.step);
    if (std::string(row.result) == "not-started" || last["result"] == "signal") {
      EXPECT_EQ(last["result"], row.result);
      EXPECT_TRUE(last["exitCode"].is_null());
      EXPECT_EQ(last["signal"].is_null(), std::string(row.result) == "not-started");
    } else {
      // Windows has no signals: a crash is an exit with the crash's code.
      EXPECT_EQ(last["result"], "exited");
      EXPECT_NE(last["exitCode"], 0);
    }
    // Removed first: MinGW's copy_file refuses to overwrite under Wine.
    stdfs::remove(toolFile("brakel"));
    stdfs::copy_file(kept, toolFile("brakel"));
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
  EXPECT_EQ(run.err, Stop("Checksum-File : " + work("CS.LOG") + " not found!"));
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
              error.empty() ? "" : Generic(Stop(ReplaceAll(error, "W/", file("input/")))));
  }
}

// A checksum tool that takes its time: the batch mode waits for it without a
// time limit, and a stop request during the wait ends the run after that step.
class SlowTool : public FaultyTools {
 protected:
  SlowTool() {
    writeStandInTool("slow_qsr",
                     "touch=" + work("slow.started") + "\nsleep=1500\nrun=" + toolFile("qsr"));
    setQsr("tools/slow_qsr");
    installInputs("input");
  }
};

TEST_F(SlowTool, BatchModeWaitsForIt) {
  ChildResult run = runDemo();
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(work(kContainer)), Expected("st10.xkm"));
}

TEST_F(SlowTool, StopSignalDuringTheWaitEndsTheRunAfterTheStep) {
  Child child(command({"--batch", "--report", file("r.json"),
                       "input/flowdata_4711.xml,input/ecu_st10.hex,input/ecu_st10.a2l"}));
  for (int i = 0; i < 3000 && !stdfs::exists(work("slow.started")); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(stdfs::exists(work("slow.started")));
  if (!child.requestStop()) {
    child.wait();  // the run ends by itself: no tool outlives the scratch folder
    GTEST_SKIP() << "no console to carry the stop request to the program";
  }
  ChildResult run = child.wait();

  EXPECT_EQ(run.exitCode, 4) << run.err;
  const nlohmann::json json = report();
  EXPECT_EQ(json["outcome"], "stopped");
  const nlohmann::json& rows = json["rows"];
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[rows.size() - 2]["action"].get<std::string>() + " / " +
                rows.back()["action"].get<std::string>(),
            "Konvertiere in BCB-Format / Canceled by user");
  // The step under way finished: its checksums were imported.
  EXPECT_TRUE(stdfs::exists(work("CS.LOG")));
  EXPECT_FALSE(stdfs::exists(work(kContainer)));
}

}  // namespace
}  // namespace xkm::test
