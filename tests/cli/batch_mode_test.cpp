#include "cli/batch_mode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "cli/command_options.h"
#include "cli/library_check_mode.h"
#include "cli/report_file.h"
#include "support/installed_process.h"
#include "support/scratch_folder.h"
#include "support/store_sandbox.h"

namespace xkm {
namespace {

class BatchModeTest : public ::testing::Test {
 protected:
  BatchModeTest() {
    tool.write("xkmtool.ini", "[System]\r\nToolConfig=tools.ini\r\n");
    tool.write("Userdata.ini", test::UserDataIni());
    setSteps("");
    inputs = tool.write("in/a.xml", "<x/>") + "," + tool.write("in/a.hex", "") + "," +
             tool.write("in/a.a2l", "");
  }

  void setSteps(const std::string& moduls) {
    tool.write("LIB.xml", "<LIB><PROCESSES><PROCESS KEY=\"1\"><MODULS>" + moduls +
                              "</MODULS></PROCESS></PROCESSES></LIB>");
  }

  test::InstalledTool tool;
  std::string inputs;
};

TEST_F(BatchModeTest, AnUnknownStepEndsTheRunWithError438AndARelativeReportPathIsTheCallers) {
  setSteps("<MODUL><DISPLAY>Bogus</DISPLAY><NAME>bogus</NAME><HELP>h</HELP></MODUL>");
  test::ScratchFolder elsewhere;
  test::ChildResult run = tool.run({"--batch", "--report=rel.json", inputs}, elsewhere.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Error: 438 Object doesn't support this property or method\n");
  const auto json = nlohmann::json::parse(test::ReadFileBytes(elsewhere.file("rel.json")));
  EXPECT_EQ(json["outcome"].dump() + json["steps"][0]["name"].dump() +
                json["messages"][0]["title"].dump(),
            R"("failed""bogus""Error")");
}

TEST_F(BatchModeTest, StartUpFailuresExitWithTwoAndStillReport) {
  const struct {
    const char* removed;  // before the run
    std::vector<std::string> arguments;
    std::string error;
  } cases[] = {
      {"",
       {"--batch", "--report", "r.json"},
       "Information about XML-File, Hex/S19-File and A2L-File required!"},
      {"", {"--batch", "a.xml,b.hex"}, "60000 Wrong parameter: a.xml,b.hex"},
      {"Userdata.ini", {"--batch", inputs}, "13 Type mismatch ("},  // then the file and line
      {"xkmtool.ini", {"--batch", inputs}, "No Config-File: xkmtool.ini found"},
  };
  for (const auto& c : cases) {
    if (*c.removed) std::remove(tool.file(c.removed).c_str());
    test::ChildResult run = tool.run(c.arguments);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err.rfind("Error while initializing application: " + c.error, 0), 0u) << run.err;
  }
  EXPECT_EQ(nlohmann::json::parse(test::ReadFileBytes(tool.file("r.json")))["outcome"],
            "startup-failed");
}

TEST_F(BatchModeTest, LibraryNameIsPrintedAndSealedUnderIt) {
  const std::string library = XKM_SOURCE_DIR "/examples/demo/config/LIB_XKM_B3FCD394.lbr";
  tool.write("draft.xml", test::ReadFileBytes(library));
  const test::ChildResult printed = tool.run({"--library-name", "draft.xml"});
  EXPECT_EQ(std::make_pair(printed.exitCode, printed.out),
            std::make_pair(0, std::string("LIB_XKM_B3FCD394.lbr\n")));
  EXPECT_EQ(tool.run({"--seal-library", "draft.xml"}).exitCode, 0);
  EXPECT_EQ(test::ReadFileBytes(tool.file("LIB_XKM_B3FCD394.lbr")), test::ReadFileBytes(library));
  EXPECT_FALSE(std::filesystem::exists(tool.file("draft.xml")));
  const test::ChildResult missing = tool.run({"--library-name", "missing.xml"});
  EXPECT_EQ(std::make_pair(missing.exitCode, missing.err),
            std::make_pair(2, std::string("xkmtool: missing.xml: 53 File not found\n")));
}

// What lies at the report's path after a run is this run's report or nothing:
// an older one goes at the start, and a report that cannot be written is said
// on stderr and turns a clean exit code into 5.
TEST(ReportFile, AnEarlierReportGoesAndALostOneIsTold) {
  test::ScratchFolder folder;
  const std::string earlier = folder.write("r.json", "{\"exitCode\":0}");
  ReportFile stale(earlier);
  EXPECT_EQ(stale.prepare({}), "");
  EXPECT_FALSE(std::filesystem::exists(earlier));

  ReportFile lost(folder.write("file", "") + "/r.json");  // under a file: never written
  EXPECT_EQ(lost.prepare({}), "");
  // the run's own exit code, the one a lost report gives
  const std::pair<int, int> rows[] = {{kExitCompletedWithMessages, kExitReportLost},
                                      {kExitStepFailed, kExitStepFailed},
                                      {kExitStopped, kExitStopped}};
  for (const auto& [runCode, exitCode] : rows) {
    std::ostringstream err;
    EXPECT_EQ(lost.write(nlohmann::ordered_json::object(), runCode, err), exitCode) << runCode;
    EXPECT_EQ(err.str().rfind("xkmtool: cannot write the report ", 0), 0u) << err.str();
  }
}

TEST(CommandOptions, OptionsComeFirstInAnyOrder) {
  using A = CommandAction;
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    CommandAction action;
    std::string library{}, report{}, commandLine{};  // only where the line is valid
  } rows[] = {
      {"batch with a report",
       {"--batch", "--report", "r.json", "a,", "b,c"},
       A::Batch,
       "",
       "r.json",
       "a, b,c"},
      {"check with a report",
       {"--check-library", "a.lbr", "--report", "r.json"},
       A::CheckLibrary,
       "a.lbr",
       "r.json",
       ""},
      {"report first, joined",
       {"--report=r.json", "--check-library", "a.lbr"},
       A::CheckLibrary,
       "a.lbr",
       "r.json",
       ""},
      {"an option inside the files", {"x,--batch"}, A::Gui, "", "", "x,--batch"},
      {"files that start with a dash",
       {"-a.xml,-b.hex,-c.a2l"},
       A::Gui,
       "",
       "",
       "-a.xml,-b.hex,-c.a2l"},
      {"an unknown option", {"--batch", "--frob"}, A::Invalid},
      {"a report without a path", {"--report"}, A::Invalid},
      {"a check without a library", {"--check-library"}, A::Invalid},
      {"a check with files", {"--check-library", "a.lbr", "x,y,z"}, A::Invalid},
      {"two modes at once", {"--check-library", "a.lbr", "--batch"}, A::Invalid},
      {"a library name with more", {"--library-name", "a.lbr", "extra"}, A::Invalid},
      {"a report of the window", {"--report", "r.json", "a,b,c"}, A::Invalid},
      {"a trace report with its figures",
       {"--since", "2026-12-01", "--trace-report", "p.html", "--report", "f.json", "a.log", "b"},
       A::TraceReport,
       "",
       "f.json"},
      {"a trace report without traces", {"--trace-report", "p.html"}, A::Invalid},
      {"an option after the traces",
       {"--trace-report", "p.html", "a.log", "--since", "x"},
       A::Invalid},
      {"days without a trace report", {"--until", "2026-12-01", "--batch", "a,b,c"}, A::Invalid},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const CommandOptions o = ParseCommandOptions(row.arguments);
    EXPECT_EQ(o.action, row.action);
    if (o.action == A::Invalid) continue;
    EXPECT_EQ(o.libraryPath, row.library);
    EXPECT_EQ(o.reportPath, row.report);
    EXPECT_EQ(o.commandLine, row.commandLine);
  }
  EXPECT_NE(UsageText().find("  --check-library FILE "), std::string::npos);
  const CommandOptions traced =
      ParseCommandOptions({"--trace-report", "p.html", "--until", "2026-12-02", "a.log", "b"});
  EXPECT_EQ(traced.tracePage + " " + traced.until + " " + traced.traceFiles.at(1),
            "p.html 2026-12-02 b");
}

TEST(RunLibraryCheck, PrintsFindingsWritesTheReportAndExitsByTheWorstFinding) {
  test::ScratchFolder folder;
  const std::string library = folder.write(
      "LIB_XKM_0.lbr", "<XKMTOOL>\n<ECU_CONFIGURATION><ENTRY ECU=\"E\"/></ECU_CONFIGURATION>\n");
  const std::string report = folder.file("report.json");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(RunLibraryCheck(library, report, out, err), 1);
  EXPECT_EQ(out.str().rfind(library + ":1:1: error: the file name does not match", 0), 0u)
      << out.str();
  EXPECT_NE(out.str().find(library + ":3:1: error: the XML does not parse"), std::string::npos)
      << out.str();
  EXPECT_NE(err.str().find("2 errors, 0 warnings"), std::string::npos) << err.str();

  const nlohmann::json json = nlohmann::json::parse(test::ReadFileBytes(report));
  EXPECT_EQ(json["library"], library);
  EXPECT_EQ(json["errors"].dump() + json["warnings"].dump() + json["exitCode"].dump(), "201");
  ASSERT_EQ(json["findings"].size(), 2u);
  EXPECT_EQ(json["findings"][1]["line"].dump() + json["findings"][1]["severity"].dump(),
            "3\"error\"");

  std::ostringstream none;
  EXPECT_EQ(RunLibraryCheck(folder.file("missing.lbr"), "", none, err), 2);
  EXPECT_EQ(none.str(), "");
}

}  // namespace
}  // namespace xkm
