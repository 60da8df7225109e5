#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "core/platform/error.h"
#include "core/resources/string_table.h"
#include "core/shell/run_trace.h"
#include "core/shell/runner.h"
#include "core/shell/startup.h"
#include "core/userdata/user_data.h"
#include "support/recording_host.h"
#include "support/scratch_folder.h"
#include "support/scripted_steps.h"
#include "support/store_sandbox.h"

namespace xkm {
namespace {

using Json = nlohmann::json;

class RunnerTest : public ::testing::Test {
 protected:
  RunnerTest()
      : context{app, session, host}, runner(context, [this](Context& runContext, auto report) {
          steps = &runContext;
          return std::make_unique<test::ScriptedSteps>(std::move(report), extra, called);
        }) {
    app.ExecutableFolder = folder.path();
    app.ExecutableName = "xkmtool";
    app.InputHexPath = folder.write("ecu.hex", ":00000001FF\n");
    app.InputXmlPath = folder.file("missing.xml");
    setSteps(3);
  }

  void setSteps(int count) {
    std::vector<ProcessStep> list;
    for (int i = 1; i <= count; ++i)
      list.push_back(
          {"Display " + std::to_string(i), "S" + std::to_string(i), "Help " + std::to_string(i)});
    runner.setSteps(list);
  }
  void configure(const std::string& traceLog) const {
    folder.write("xkmtool.ini", "[System]\nToolConfig=tools.ini\nTraceLog=" + traceLog + "\n");
  }

  test::ScratchFolder folder;
  AppState app;
  Session session;
  test::RecordingHost host;
  Context context;
  test::ScriptedSteps::Script extra;
  std::vector<std::string> called;
  Context* steps = nullptr;  // what the steps see
  Runner runner;
};

TEST_F(RunnerTest, RunsEveryStepInOrderAndTidiesUp) {
  host.rows.push_back({"old", "", "row of an earlier run"});
  extra["S2"] = [this](auto&) {
    EXPECT_EQ(host.helpText, "Help 2");
    EXPECT_EQ(runner.RunProcess(), RunOutcome::Failed);  // a run never starts inside another
  };
  EXPECT_EQ(runner.RunProcess(), RunOutcome::Completed);
  EXPECT_FALSE(runner.running());
  EXPECT_EQ(called, (std::vector<std::string>{"S1", "S2", "S3"}));
  EXPECT_EQ(host.actions(), (std::vector<std::string>{"in S1", "in S2", "in S3"}));
  EXPECT_EQ(host.rows[1].modul, "S2");  // the step's name while it runs
  EXPECT_EQ(host.events, (std::vector<std::string>{
                             "runStarted", "stepStarted 0", "stepFinished 0", "stepStarted 1",
                             "stepFinished 1", "stepStarted 2", "stepFinished 2", "runFinished"}));
  EXPECT_EQ(host.helpText, "");
  EXPECT_EQ(host.processEventsCount, 6);  // twice after each step
  EXPECT_TRUE(host.messages.empty());
}

// A process list without steps (LIB.xml may have none): a report names no step.
TEST_F(RunnerTest, AReportWithoutStepsNamesNone) {
  setSteps(0);
  runner.ToolChain_UpdateState("report");
  ASSERT_EQ(host.rows.size(), 1u);
  EXPECT_EQ(host.rows[0].modul, "");
}

TEST_F(RunnerTest, StopDuringAStepLetsItEndAndAStepErrorEndsTheRunWithOneBox) {
  setSteps(5);
  extra["S2"] = [this](auto&) { runner.Stop(); };
  EXPECT_EQ(runner.RunProcess(), RunOutcome::Stopped);
  EXPECT_EQ(called, (std::vector<std::string>{"S1", "S2"}));
  ASSERT_EQ(host.rows.size(), 3u);
  EXPECT_EQ(host.rows[2].modul, "S2");
  EXPECT_EQ(host.rows[2].action, "Canceled by user");
  EXPECT_TRUE(app.StopRequested);  // never cleared by the runner

  app.StopRequested = false;
  called.clear();
  host.events.clear();
  extra["S1"] = [](auto&) { throw Error(60000, "Tool : QSR not found - program stops!"); };
  EXPECT_EQ(runner.RunProcess(), RunOutcome::Failed);
  EXPECT_EQ(called, (std::vector<std::string>{"S1"}));
  EXPECT_EQ(host.messages, (std::vector<test::RecordedMessage>{
                               {"Error", "60000 Tool : QSR not found - program stops!"}}));
  // The failed step stays green.
  EXPECT_EQ(host.events, (std::vector<std::string>{"runStarted", "stepStarted 0", "runFinished"}));
}

TEST_F(RunnerTest, EveryRunAppendsOneTraceLineWhateverItsEnd) {
  configure("logs/trace.log");
  std::filesystem::create_directories(folder.file("logs"));
  extra["S2"] = [this](auto&) { steps->host.showMessage("60020 unknown", "xkmtool"); };
  extra["S3"] = [](auto&) { throw Error(60000, "MIM-File : x was not created! - program stops!"); };
  EXPECT_EQ(runner.RunProcess(), RunOutcome::Failed);
  extra.erase("S3");
  extra["S2"] = [this](auto&) { runner.Stop(); };
  EXPECT_EQ(runner.RunProcess(), RunOutcome::Stopped);
  extra.clear();
  app.StopRequested = false;  // as the library load of the next Init does
  InitSessionTables(session);
  WriteValue(session.DataTable, "ECU", "ST10_ECU");
  extra["S3"] = [this](auto&) { session.writtenContainer = folder.write("c.xkm", "container"); };
  EXPECT_EQ(runner.RunProcess(), RunOutcome::Completed);

  std::vector<Json> trace;
  std::istringstream text(test::ReadFileBytes(folder.file("logs/trace.log")));
  for (std::string line; std::getline(text, line);) trace.push_back(Json::parse(line));
  ASSERT_EQ(trace.size(), 3u);
  const Json& failed = trace[0];
  EXPECT_EQ(failed["steps"], Json::parse(R"([
      {"name":"S1","display":"Display 1","outcome":"completed"},
      {"name":"S2","display":"Display 2","outcome":"completed"},
      {"name":"S3","display":"Display 3","outcome":"failed",
       "error":"60000 MIM-File : x was not created! - program stops!"}])"));
  EXPECT_EQ(failed["messages"], Json::parse(R"([
      {"title":"xkmtool","text":"60020 unknown"},
      {"title":"Error","text":"60000 MIM-File : x was not created! - program stops!"}])"));
  EXPECT_EQ(failed["inputs"]["hex"]["size"], 12);
  EXPECT_TRUE(failed["container"].is_null() && failed["inputs"]["xml"]["sha256"].is_null());
  EXPECT_EQ(failed["version"], XKM_VERSION);
  const struct {
    const char* name;
    const char* outcome;
    size_t steps, messages;
    const char* ecu;
    Json containerSize;
  } rows[] = {{"failed", "failed", 3, 2, "", nullptr},
              {"stopped", "stopped", 2, 0, "", nullptr},
              {"completed", "completed", 3, 0, "ST10_ECU", 9}};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(trace[i]["outcome"], rows[i].outcome);
    EXPECT_EQ(trace[i]["steps"].size(), rows[i].steps);
    EXPECT_EQ(trace[i]["messages"].size(), rows[i].messages);
    EXPECT_EQ(trace[i]["ecu"], rows[i].ecu);
    EXPECT_EQ(trace[i]["container"].is_null() ? Json() : trace[i]["container"]["size"],
              rows[i].containerSize);
  }
}

TEST_F(RunnerTest, NoTraceLogNoFileAndAnUnwritableOneIsAMessage) {
  configure("");
  EXPECT_EQ(runner.RunProcess(), RunOutcome::Completed);
  EXPECT_TRUE(host.messages.empty());

  configure("no-such-folder/trace.log");
  EXPECT_EQ(runner.RunProcess(), RunOutcome::Completed);
  EXPECT_EQ(host.messages,
            (std::vector<test::RecordedMessage>{
                {"xkmtool", "60041 Das Ablaufprotokoll " + folder.file("no-such-folder") +
                                "/trace.log konnte nicht geschrieben werden: "
                                "cannot open: No such file or directory"}}));

  // An absolute path is taken as it is; a line broken off by an earlier
  // fault is ended before the next one.
  const std::string absolute = folder.write("elsewhere.log", "{\"broken\":");
  configure(absolute);
  EXPECT_EQ(runner.RunProcess(), RunOutcome::Completed);
  const std::string text = test::ReadFileBytes(absolute);
  ASSERT_EQ(text.substr(0, 12), "{\"broken\":\n{");
  EXPECT_EQ(Json::parse(text.substr(11))["outcome"], "completed");
}

const char* kProcessList = R"(<?xml version="1.0"?>
<LIB><PROCESSES>
  <PROCESS KEY="2"><MODULS><MODUL><DISPLAY>Other</DISPLAY><NAME>X</NAME><HELP>h</HELP></MODUL></MODULS></PROCESS>
  <PROCESS KEY="1"><COMMENT>Line A</COMMENT><MODULS>
    <MODUL><DISPLAY>Start</DISPLAY><NAME>Init</NAME><HELP>Prepares</HELP><COMMUNICATION/></MODUL>
    <MODUL><DISPLAY>Logistic data</DISPLAY><NAME>READ_LOGISTIC_DATA</NAME><HELP>Reads</HELP></MODUL>
  </MODULS></PROCESS>
</PROCESSES></LIB>)";

class StartupTest : public ::testing::Test {
 protected:
  StartupTest() {
    app.ExecutableFolder = folder.path();
    app.ExecutableName = "xkmtool";
    folder.write("xkmtool.ini", "[System]\r\nToolConfig=tools.ini\r\n");
    folder.write("LIB.xml", kProcessList);
    folder.write("Userdata.ini", test::UserDataIni());
    xml = folder.write("in/a.xml", "<x/>");
    hex = folder.write("in/a.hex", ":00000001FF\r\n");
    a2l = folder.write("in/a.a2l", "");
  }

  StartupResult start(const std::string& commandLine) { return RunStartup(app, host, commandLine); }

  test::StoreSandbox store;  // the operator's store stays in a scratch folder
  test::ScratchFolder folder;
  AppState app;
  test::RecordingHost host;
  std::string xml, hex, a2l;
};

TEST_F(StartupTest, EachFailureEndsStartUpWithItsOneBox) {
  const std::string inputs = xml + "," + hex + "," + a2l;
  const char* const noConfig = "No Config-File: xkmtool.ini found";
  // xkmtool.ini (null: the sound one), LIB.xml, the command line, the box,
  // Userdata.ini.
  const std::tuple<const char*, const char*, std::string, std::string, std::string> cases[] = {
      // No command line: the input dialog asks, and its Cancel ends start-up.
      {nullptr, kProcessList, "  ",
       "Information about XML-File, Hex/S19-File and A2L-File required!", test::UserDataIni()},
      {"[System]\r\nToolConfig=   \r\n", kProcessList, inputs, noConfig, test::UserDataIni()},
      {nullptr, kProcessList, xml + ", /nowhere/b.hex , /nowhere/c.a2l",
       "60000 File not found : /nowhere/b.hex",
       test::UserDataIni()},  // the first missing file, trimmed
      {nullptr, "<LIB><PROCESSES>", inputs,
       "Premature end of data in tag PROCESSES line 1 (line 1, column 17)", test::UserDataIni()},
      {nullptr,
       "<LIB><PROCESSES><PROCESS KEY='1'><MODULS><MODUL><DISPLAY>d</DISPLAY>"
       "<HELP>h</HELP></MODUL></MODULS></PROCESS></PROCESSES></LIB>",
       inputs, "91 Object variable or With block variable not set", test::UserDataIni()},
      // The operator's data fail after the process list was read: no step is kept.
      {nullptr,
       "<LIB><PROCESSES><PROCESS KEY='1'><MODULS><MODUL><DISPLAY>d</DISPLAY><NAME>Init</NAME>"
       "<HELP>h</HELP></MODUL></MODULS></PROCESS></PROCESSES></LIB>",
       inputs,
       "9 Subscript out of range (" + folder.file("Userdata.ini") +
           ": [Data] 1=USERNAME;Name;Name;1)",
       test::UserDataIni("1=USERNAME;Name;Name;1\r\n")},
  };
  for (const auto& [ini, processList, commandLine, message, userData] : cases) {
    SCOPED_TRACE(message);
    folder.write("xkmtool.ini", ini ? ini : "[System]\r\nToolConfig=tools.ini\r\n");
    folder.write("LIB.xml", processList);
    folder.write("Userdata.ini", userData);
    host.messages.clear();
    const StartupResult result = start(commandLine);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.steps.empty());
    EXPECT_EQ(host.messages, (std::vector<test::RecordedMessage>{{kStartupErrorTitle, message}}));
  }
  EXPECT_EQ(host.inputDialogCount, 1);

  folder.write("Userdata.ini", test::UserDataIni());
  host.messages.clear();
  host.inputDialogResult = {false, xml, hex, a2l};
  folder.write("LIB.xml", "<LIB><PROCESSES><PROCESS KEY='1'/></PROCESSES></LIB>");
  StartupResult result = start("");
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(app.InputA2lPath, a2l);
  EXPECT_TRUE(result.steps.empty());
  EXPECT_EQ(app.WindowTitle, "xkmtool");  // no COMMENT, title unchanged
}

TEST_F(StartupTest, ReadsTheConfigurationAndOffersTheUserDataFormUntilTheDataAreEntered) {
  StartupResult result = start(" " + xml + " , " + hex + "," + a2l + "  ");
  ASSERT_TRUE(result.ok) << result.failureMessage;
  EXPECT_EQ(app.ToolConfigPath, folder.file("tools.ini"));  // taken beside the executable
  EXPECT_EQ(app.InputXmlPath, xml);
  EXPECT_EQ(app.InputHexPath, hex);
  EXPECT_EQ(app.InputA2lPath, a2l);
  std::vector<std::vector<std::string>> steps;
  for (const auto& step : result.steps) steps.push_back({step.display, step.name, step.help});
  EXPECT_EQ(steps,
            (std::vector<std::vector<std::string>>{
                {"Start", "Init", "Prepares"}, {"Logistic data", "READ_LOGISTIC_DATA", "Reads"}}));
  EXPECT_EQ(app.WindowTitle, "xkmtool Line A");
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.inputDialogCount, 0);
  const std::string inputs = xml + "," + hex + "," + a2l;
  const test::RecordedMessage question{"User-Information", Message(0, 60312)};
  // The question was answered No: no form.
  EXPECT_EQ(host.userDataFormCount, 0);
  EXPECT_FALSE(app.UserDataObject->CheckUserData());
  host.questions.clear();
  host.answerYes = true;
  host.onUserDataForm = [](SessionTable& table, int) {
    table.setField(0, kUserDataValue, "Erika");
    return false;  // OK
  };
  for (int run = 0; run < 2; ++run) {  // entered once: the next start asks nothing
    ASSERT_TRUE(start(inputs).ok);
    EXPECT_EQ(host.questions, std::vector<test::RecordedMessage>(run ? 0 : 1, question));
    host.questions.clear();
    EXPECT_EQ(host.userDataFormCount, 1);
    EXPECT_EQ(app.UserInfoTable, app.UserDataObject->GetUserData());
    EXPECT_EQ(app.UserInfoTable->text(0, kUserDataValue), "Erika");
  }
}

TEST(ProgramNameOf, DropsTheExtensionOnly) {
  const std::pair<const char*, const char*> rows[] = {{"xkmtool.exe", "xkmtool"},
                                                      {"xkmtool", "xkmtool"},
                                                      {"xkm.tool.exe", "xkm.tool"},
                                                      {".xkmtool", ".xkmtool"}};
  for (const auto& [fileName, name] : rows) EXPECT_EQ(ProgramNameOf(fileName), name) << fileName;
}

}  // namespace
}  // namespace xkm
