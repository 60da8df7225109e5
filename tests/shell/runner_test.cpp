#include "core/shell/runner.h"

#include <gtest/gtest.h>

#include "core/platform/error.h"
#include "support/recording_host.h"
#include "support/scripted_steps.h"

namespace xkm {
namespace {

class RunnerTest : public ::testing::Test {
 protected:
  RunnerTest()
      : context{app, session, host}, runner(context, [this](Context&, UpdateStateHandler report) {
          return std::make_unique<test::ScriptedSteps>(std::move(report), extra, called);
        }) {}

  void setSteps(int count) {
    std::vector<ProcessStep> steps;
    for (int i = 1; i <= count; ++i) {
      std::string n = std::to_string(i);
      steps.push_back({"Display " + n, "S" + n, "Help " + n});
    }
    runner.setSteps(steps);
  }

  AppState app;
  Session session;
  test::RecordingHost host;
  Context context;
  test::ScriptedSteps::Script extra;
  std::vector<std::string> called;
  Runner runner;
};

TEST_F(RunnerTest, RunsEveryStepInOrderAndTidiesUp) {
  setSteps(3);
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
  EXPECT_EQ(host.rows[2].modul + "|" + host.rows[2].action, "S2|Canceled by user");
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

}  // namespace
}  // namespace xkm
