#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/command_options.h"
#include "support/scratch_folder.h"
#include "support/tool_runner.h"

namespace xkm {
namespace {

class BatchModeTest : public ::testing::Test {
 protected:
  BatchModeTest() {
    tool.folder().write("xkmtool.ini", "[System]\r\nToolConfig=tools.ini\r\n");
    tool.folder().write("Userdata.ini",
                        "[System]\r\nRegKey=-2147483647\r\nLanguagePath=Software\\Site\r\n"
                        "LanguageKey=Language\r\nDataPath=Software\\Site\\UserData\r\n"
                        "[Data]\r\n1=USERNAME;Name;Name;1;1\r\n");
    setSteps("");
    inputs = tool.folder().write("in/a.xml", "<x/>") + "," + tool.folder().write("in/a.hex", "") +
             "," + tool.folder().write("in/a.a2l", "");
  }

  void setSteps(const std::string& moduls) {
    tool.folder().write("LIB.xml", "<LIB><PROCESSES><PROCESS KEY=\"1\"><MODULS>" + moduls +
                                       "</MODULS></PROCESS></PROCESSES></LIB>");
  }

  nlohmann::json report() const {
    return nlohmann::json::parse(test::ReadFileBytes(tool.folder().file("r.json")));
  }

  test::InstalledTool tool;
  std::string inputs;
};

TEST_F(BatchModeTest, AnUnknownStepEndsTheRunWithError438) {
  setSteps("<MODUL><DISPLAY>Bogus</DISPLAY><NAME>bogus</NAME><HELP>h</HELP></MODUL>");
  test::ToolRun run = tool.run({"--batch", "--report", "r.json", inputs});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Error: 438 Object doesn't support this property or method\n");
  nlohmann::json json = report();
  EXPECT_EQ(json["outcome"], "failed");
  EXPECT_EQ(json["steps"][0]["name"], "bogus");
  EXPECT_EQ(json["messages"][0]["title"], "Error");
}

TEST_F(BatchModeTest, StartUpFailuresExitWithTwoAndStillReport) {
  test::ToolRun run = tool.run({"--batch", "--report", "r.json"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err,
            "Error while initializing application: Information about XML-File, Hex/S19-File and "
            "A2L-File required!\n");
  EXPECT_EQ(report()["outcome"], "startup-failed");

  run = tool.run({"--batch", "a.xml,b.hex"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "Error while initializing application: 60000 Wrong parameter: a.xml,b.hex\n");

  std::remove(tool.folder().file("Userdata.ini").c_str());
  run = tool.run({"--batch", inputs});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "Error while initializing application: 13 Type mismatch\n");

  std::remove(tool.folder().file("xkmtool.ini").c_str());
  run = tool.run({"--batch", inputs});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "Error while initializing application: No Config-File: xkmtool.ini found\n");
}

TEST_F(BatchModeTest, TheReportLandsWhereItWasAskedForAndArgumentsJoinWithBlanks) {
  test::ScratchFolder elsewhere;
  // The command line may come as several words: they are joined by single blanks.
  std::vector<std::string> arguments{"--batch", "--report=rel.json"};
  for (size_t begin = 0, comma = 0; comma != std::string::npos; begin = comma + 1) {
    comma = inputs.find(',', begin);
    if (begin > 0) arguments.push_back(",");
    arguments.push_back(inputs.substr(begin, comma - begin));
  }
  test::ToolRun run = tool.run(arguments, elsewhere.path());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(elsewhere.file("rel.json")));
}

TEST(CommandOptions, OptionsComeFirst) {
  CommandOptions options = ParseCommandOptions({"--batch", "--report", "r.json", "a,", "b,c"});
  EXPECT_EQ(options.action, CommandAction::Batch);
  EXPECT_EQ(options.reportPath, "r.json");
  EXPECT_EQ(options.commandLine, "a, b,c");
  EXPECT_EQ(ParseCommandOptions({"--batch", "--frob"}).action, CommandAction::Invalid);
  EXPECT_EQ(ParseCommandOptions({"--report"}).action, CommandAction::Invalid);
  EXPECT_EQ(ParseCommandOptions({"x,--batch"}).action, CommandAction::Gui);
}

}  // namespace
}  // namespace xkm
