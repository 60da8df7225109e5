#include "core/shell/run_trace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "core/platform/error.h"
#include "core/shell/runner.h"
#include "support/recording_host.h"
#include "support/scratch_folder.h"
#include "support/scripted_steps.h"

namespace xkm {
namespace {

using Json = nlohmann::json;

class RunTraceTest : public ::testing::Test {
 protected:
  RunTraceTest()
      : context{app, session, host},
        runner(context, [this](Context& runContext, UpdateStateHandler report) {
          steps = &runContext;
          return std::make_unique<test::ScriptedSteps>(std::move(report), script, called);
        }) {
    app.ExecutableFolder = folder.path();
    app.ExecutableName = "xkmtool";
    std::filesystem::create_directories(folder.file("logs"));
    app.InputHexPath = folder.write("ecu.hex", ":00000001FF\n");
    app.InputXmlPath = folder.file("missing.xml");
    runner.setSteps({{"Start", "Init", ""}, {"Convert", "RUN", ""}, {"Pack", "PACK", ""}});
  }

  void configure(const std::string& traceLog) const {
    folder.write("xkmtool.ini", "[System]\nToolConfig=tools.ini\nTraceLog=" + traceLog + "\n");
  }
  std::vector<Json> lines(const std::string& path) const {
    std::vector<Json> result;
    std::istringstream text(test::ReadFileBytes(path));
    for (std::string line; std::getline(text, line);) result.push_back(Json::parse(line));
    return result;
  }

  test::ScratchFolder folder;
  AppState app;
  Session session;
  test::RecordingHost host;
  Context context;
  test::ScriptedSteps::Script script;
  std::vector<std::string> called;
  Context* steps = nullptr;  // what the steps see
  Runner runner;
};

TEST_F(RunTraceTest, EveryRunAppendsOneLineWhateverItsEnd) {
  configure("logs/trace.log");
  script["RUN"] = [this](auto&) { steps->host.showMessage("60020 unknown", "xkmtool"); };
  script["PACK"] = [](auto&) {
    throw Error(60000, "MIM-File : x was not created! - program stops!");
  };
  EXPECT_EQ(runner.RunProcess(), RunOutcome::Failed);
  script.erase("PACK");
  script["RUN"] = [this](auto&) { runner.Stop(); };
  EXPECT_EQ(runner.RunProcess(), RunOutcome::Stopped);
  script.clear();
  app.StopRequested = false;  // as the library load of the next Init does
  InitSessionTables(session);
  WriteValue(session.DataTable, "ECU", "ST10_ECU");
  script["PACK"] = [this](auto&) { session.writtenContainer = folder.write("c.xkm", "container"); };
  EXPECT_EQ(runner.RunProcess(), RunOutcome::Completed);

  const std::vector<Json> trace = lines(folder.file("logs/trace.log"));
  ASSERT_EQ(trace.size(), 3u);
  const Json& failed = trace[0];
  EXPECT_EQ(failed["steps"], Json::parse(R"([
      {"name":"Init","display":"Start","outcome":"completed"},
      {"name":"RUN","display":"Convert","outcome":"completed"},
      {"name":"PACK","display":"Pack","outcome":"failed",
       "error":"60000 MIM-File : x was not created! - program stops!"}])"));
  EXPECT_EQ(failed["messages"], Json::parse(R"([
      {"title":"xkmtool","text":"60020 unknown"},
      {"title":"Error","text":"60000 MIM-File : x was not created! - program stops!"}])"));
  EXPECT_EQ(failed["inputs"]["hex"]["size"], 12);
  EXPECT_TRUE(failed["container"].is_null() && failed["inputs"]["xml"]["sha256"].is_null());
  EXPECT_EQ(failed["version"], XKM_VERSION);
  std::vector<std::string> summaries;
  for (const Json& line : trace)
    summaries.push_back(line["outcome"].dump() + " " + std::to_string(line["steps"].size()) + " " +
                        std::to_string(line["messages"].size()) + " " + line["ecu"].dump() + " " +
                        (line["container"].is_null() ? "null" : line["container"]["size"].dump()));
  EXPECT_EQ(summaries,
            (std::vector<std::string>{"\"failed\" 3 2 \"\" null", "\"stopped\" 2 0 \"\" null",
                                      "\"completed\" 3 0 \"ST10_ECU\" 9"}));
}

TEST_F(RunTraceTest, NoTraceLogNoFileAndAnUnwritableOneIsAMessage) {
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
