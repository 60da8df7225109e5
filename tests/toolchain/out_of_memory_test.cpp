#include <gtest/gtest.h>

#include <new>

#include "core/shell/runner.h"
#include "core/toolchain/tool_chain.h"
#include "toolchain_fixture.h"

namespace xkm {
namespace {

// A host on which memory runs out when a chosen report is shown.
struct ExhaustingHost : test::RecordingHost {
  void appendStateRow(const StateRow& row) override {
    if (row.action == exhaustOn) throw std::bad_alloc();
    RecordingHost::appendStateRow(row);
  }
  std::string exhaustOn;
};

struct OutOfMemoryTest : ::testing::Test, test::ToolchainFixture {
  OutOfMemoryTest() {
    InitSessionTables(session);
    WriteValue(session.ConfigTable, "PFADZIELABLAGE", folder.path());
    WriteValue(session.ConfigTable, "DATABLOCK_COUNT", "0");
    app.InputXmlPath = folder.write("flow.xml", "<FromFlow/>");
  }
  // Runs the step, then the clean-up, with memory running out at `report`.
  RunOutcome run(const std::string& step, const std::string& report) {
    host.exhaustOn = report;
    Runner runner(ctx, MakeToolChain);
    runner.setSteps({{step, step, ""}, {"CLEANUPSESSION", "CLEANUPSESSION", ""}});
    return runner.RunProcess();
  }

  ExhaustingHost host;
  Context ctx{app, session, host};
};

// Memory running out reads "7 Out of memory" wherever a number is shown; the
// steps that wrap their failures keep the text; the steps that never stop the
// run let the clean-up follow.
TEST_F(OutOfMemoryTest, EveryStepNamesItAndOnlyStoppingStepsStopTheRun) {
  const std::string stops = "60000 Out of memory - program stops!";
  const std::tuple<const char*, const char*, test::RecordedMessage, bool> rows[] = {
      {"BuildXKMContainer", "Erstelle XKM-Container ...", {"xkmtool", "7 Out of memory"}, true},
      {"READ_LOGISTIC_DATA", "Lese logistische Daten", {"Error", "7 Out of memory"}, true},
      {"Init", "Start", {"Error", "60000 Out of memory"}, false},
      {"RUN_BCB_CONVERSION", "Konvertiere in BCB-Format", {"Error", stops}, false},
      {"RUN_BCB2MIM_CONVERSION", "Konvertiere in MIM-Format", {"Error", stops}, false},
      {"CLEANUPSESSION", "Lösche temporäre Dateien", {"Error", "60000 Out of memory"}, false}};
  for (const auto& [step, report, message, cleanedUp] : rows) {
    host.messages.clear();
    const RunOutcome outcome = run(step, report);
    const bool ended = !host.actions().empty() && host.actions().back() == "Bearbeitung beendet";
    EXPECT_EQ(host.messages, std::vector<test::RecordedMessage>{message}) << step;
    EXPECT_EQ(std::make_pair(outcome, ended),
              std::make_pair(cleanedUp ? RunOutcome::Completed : RunOutcome::Failed, cleanedUp))
        << step;
  }
}

}  // namespace
}  // namespace xkm
