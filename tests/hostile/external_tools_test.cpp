#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/platform/text/text_pieces.h"
#include "support/installed_process.h"

namespace xkm::test {
namespace {

namespace stdfs = std::filesystem;

using FaultyTools = InstalledProcess;

// The steps judge a tool by the files it leaves, so a tool that cannot even be
// started or is killed ends the run with the missing file's text, never a
// crash; the report's entry for the tool says what happened to it.
TEST_F(FaultyTools, ToolThatCannotStartOrIsKilledStopsAtItsMissingFile) {
#ifdef _WIN32
  const char* const crashed = "exited";  // with the exception's status: Windows has no signals
#else
  const char* const crashed = "signal";
#endif
  // The stop (W/: the work folder); the report's result for the tool.
  const std::tuple<std::string, std::string, std::string> rows[] = {
      {"zoven", "MIM-File : W/ecu_st10.hex_blk_1_mim was not created!", crashed},
      {"brakel", "File : W/ecu_st10_1.bcb not found!", "not-started"}};
  for (const auto& [tool, stop, result] : rows) {
    SCOPED_TRACE(tool);
    installInputs("input");
    if (tool == "brakel")
      write("tools/brakel" XKM_EXE_SUFFIX, "not a program\n");
    else
      environment["XKM_TOOL_FAIL_ZOVEN"] = "crash";
    ChildResult run = runDemo();
    EXPECT_EQ(Generic(run.err), Generic(StopText(ReplaceAll(stop, "W/", work("")))));
    EXPECT_EQ(report()["tools"].back()["result"], result);
    // One that could not start says why (the system's words differ between systems).
    EXPECT_EQ(report()["tools"].back().value("startError", "").empty(), result != "not-started");
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
  changeTools("tools/qsr", "tools/qsr-talks");
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
  changeTools("tools/qsr", "tools/garbage_qsr");
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

// The library check and a run of the demo order read one library the same
// way: a library the check finds free of errors never fails a run.
class CheckAgreesWithRun : public InstalledProcess {
 protected:
  CheckAgreesWithRun() { installInputs("input"); }

  std::string installedLibrary() const {
    for (const auto& entry : std::filesystem::directory_iterator(root()))
      if (entry.path().extension() == ".lbr") return entry.path().string();
    return {};
  }
};

// Each change replaces its first occurrence: in the ST10 layout the order
// uses. The rules each finding stands for are the library check's tests' and
// the run's steps' own; here the cases where the two could part.
TEST_F(CheckAgreesWithRun, OnEachChangedLibrary) {
  const std::string brakelText =
      "IMAGE=<$CONFIG.HEXFILE>\nNAME=<$CONFIG.HEXFILESHORT_WITHOUT_EXTENSION>\n";
  // The edits; whether the check finds errors, whether the run fails.
  const std::tuple<const char*, std::vector<std::pair<std::string, std::string>>, bool, bool>
      changes[] = {
          {"as shipped", {}, false, false},
          {"BRAKEL text escaped instead of CDATA",
           {{"<DATA><![CDATA[; control file of the BCB converter\n" + brakelText,
             "<DATA>; control file of the BCB converter\nIMAGE=&lt;$CONFIG.HEXFILE&gt;\n"
             "NAME=&lt;$CONFIG.HEXFILESHORT_WITHOUT_EXTENSION&gt;\n<![CDATA["}},
           false,
           false},
          {"BRAKEL element escaped", {{"<BRAKEL>", "&lt;BRAKEL&gt;"}}, true, true},
          {"MIM conversion off", {{"<MIM_CONVERSION>1<", "<MIM_CONVERSION>0<"}}, false, false},
          {"QSR script outside the folder",
           {{"<NAME>CS_ST10.qsr<", "<NAME>../CS_ST10.qsr<"}},
           true,
           true},
          {"control file outside the folder",
           {{"<NAME>BRAKEL_ST10.ctl<", "<NAME>../BRAKEL_ST10.ctl<"}},
           true,
           true},
          {"control file named as the QSR script",
           {{"<NAME>BRAKEL_ST10.ctl<", "<NAME>CS_ST10.qsr<"}},
           true,
           true},
          {"order's ECU unknown", {{"ECU=\"EDC_DEMO_ST10\"", "ECU=\"EDC_OTHER\""}}, false, true},
          // A run reads the chosen layout back from the session trimmed, and
          // looks the BRAKEL template up under that name.
          {"layout named with blanks around it",
           {{"LAYOUT=\"AST_ST10_2BLOCK\"", "LAYOUT=\" AST_ST10_2BLOCK \""},
            {"VALUE=\"AST_ST10_2BLOCK\"", "VALUE=\" AST_ST10_2BLOCK \""}},
           true,
           true},
      };
  const std::string library = DemoLibrary();
  for (const auto& [name, edits, checkFindsErrors, runFails] : changes) {
    SCOPED_TRACE(name);
    std::string changed = library;
    for (const auto& [from, to] : edits) changed = Replaced(changed, from, to);
    replaceLibrary(changed);
    const ChildResult check = run({"--check-library", installedLibrary()});
    const ChildResult process = runDemo();
    EXPECT_EQ(check.exitCode == 1, checkFindsErrors) << check.out;
    EXPECT_EQ(process.exitCode != 0, runFails) << process.err;
  }
}

}  // namespace
}  // namespace xkm::test
