#include "core/shell/runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "core/platform/error.h"
#include "core/shell/run_trace.h"
#include "support/recording_host.h"
#include "support/scratch_folder.h"
#include "support/scripted_steps.h"

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

}  // namespace
}  // namespace xkm
