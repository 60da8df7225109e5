#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "support/tool_runner.h"

namespace xkm {
namespace {

namespace stdfs = std::filesystem;

std::string Demo(const std::string& relative) {
  return std::string(XKM_SOURCE_DIR) + "/examples/demo/" + relative;
}

const char* const kAllSteps[] = {"Init",
                                 "READ_LOGISTIC_DATA",
                                 "RUN_BCB_CONVERSION",
                                 "RUN_BCB2MIM_CONVERSION",
                                 "BuildXKMContainer",
                                 "CLEANUPSESSION",
                                 "BuildSGOContainer"};

// The installed program with the demo configuration, the sample tools and one
// image's inputs in input/, as an operator's machine holds them.
class WholeProcess : public ::testing::Test {
 protected:
  WholeProcess() {
    for (const auto& entry : stdfs::directory_iterator(Demo("config")))
      tool.folder().write(entry.path().filename().string(),
                          test::ReadFileBytes(entry.path().string()));
    stdfs::create_directories(tool.folder().file("tools"));
    for (const char* name : {"brakel", "lenwatch", "qsr", "zoven", "xkm2sgo"})
      stdfs::copy_file(std::string(XKM_TOOLS_DIR) + "/" + name + XKM_EXE_SUFFIX,
                       tool.folder().file(std::string("tools/") + name + XKM_EXE_SUFFIX));
    setTools(test::ReadFileBytes(tool.folder().file("tools.ini")));
    tool.environment["XKM_TOOL_ARGV_LOG"] = tool.folder().file("argv.log");
  }

  // Runs the whole process on one image and its A2L file.
  test::ToolRun runOn(const std::string& image, const std::string& a2l) {
    for (const std::string& name : {std::string("flowdata_4711.xml"), image, a2l})
      tool.folder().write("input/" + name, test::ReadFileBytes(Demo("input/" + name)));
    return tool.run({"--batch", "--report", "r.json",
                     "input/flowdata_4711.xml,input/" + image + ",input/" + a2l});
  }

  void setTools(const std::string& tools) {
    tool.folder().write("tools.ini", test::WithProgramSuffix(tools));
  }

  nlohmann::json report() const {
    return nlohmann::json::parse(test::ReadFileBytes(tool.folder().file("r.json")));
  }
  std::string work(const std::string& name = {}) const {
    return tool.folder().file("input") + (name.empty() ? "" : "/" + name);
  }
  std::set<std::string> filesLeft() const {
    std::set<std::string> names;
    for (const auto& entry : stdfs::directory_iterator(work()))
      names.insert(entry.path().filename().string());
    return names;
  }
  // Every variable that session preparation and the logistic data write holds a value.
  static void expectEverySessionVariable(const nlohmann::json& session) {
    auto values = [&](const char* table) {
      std::map<std::string, nlohmann::json> result;
      for (const nlohmann::json& row : session[table]) result[row[0]] = row[1];
      return result;
    };
    const auto config = values("ConfigTable");
    for (const char* name :
         {"A2LFILE", "HEXFILE", "CONFIG_NUM", "CPU_TYPE", "BAUDRATE_TESTER", "BAUDRATE_ECU",
          "PFADZIELABLAGE", "QSR_TEMPLATE", "MIM_CONVERSION_YES_NO", "DATABLOCK_COUNT",
          "MCS_CONTENT", "RAW_CONTENT", "HEXFILESHORT", "HEXFILESHORT_WITHOUT_EXTENSION",
          "QSR_ADRESSINFO_TEMPLATE", "OPTIONS_KEY", "AST", "CNT_FILENAME", "BSL_TEMPLATE"}) {
      ASSERT_TRUE(config.count(name) && config.at(name).is_string()) << name;
      EXPECT_FALSE(config.at(name).get<std::string>().empty()) << name;
    }
    const auto data = values("DataTable");
    for (const char* name : {"ADRESSSGIDB1",
                             "ADRESSSGIDB3",
                             "ADRESSEPK",
                             "EPK",
                             "ECU",
                             "CUSTOMERORDERNUMBER",
                             "SOFTWAREPARTNUMBER",
                             "HARDWAREPARTNUMBER",
                             "PROJECTINFO",
                             "SGIDB1",
                             "SGIDB3",
                             "RECEIVER_COMPANY",
                             "RECEIVER_DEPARTMENT",
                             "RECEIVER_ROLE",
                             "RECEIVER_SURNAME",
                             "RECEIVER_FIRSTNAME",
                             "RECEIVER_ADDRESS",
                             "RECEIVER_PHONE",
                             "RECEIVER_FAX",
                             "RECEIVER_EMAIL",
                             "CS_BLOCK1",
                             "CS_BLOCK2",
                             "CS_TOTAL"}) {
      ASSERT_TRUE(data.count(name) && data.at(name).is_string()) << name;
      EXPECT_FALSE(data.at(name).get<std::string>().empty()) << name;
    }
    EXPECT_EQ(data.at("CHECKSUMME_GESAMT"), "");
    EXPECT_EQ(data.at("RECEIVER_ADDRESS"), "12345 Northtown");
    EXPECT_FALSE(session["SysConstTable"].empty());
    EXPECT_FALSE(session["MemorySegmentTable"].empty());
  }

  std::string argvLog() const { return test::ReadFileBytes(tool.folder().file("argv.log")); }

  test::InstalledTool tool;
};

TEST_F(WholeProcess, IntelHexImageOnTheFrequencyLayout) {
  test::ToolRun run = runOn("ecu_st10.hex", "ecu_st10.a2l");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");

  const std::string container = "4711-0815_SW0102.xkm";
  EXPECT_EQ(test::ReadFileBytes(work(container)),
            test::ReadFileBytes(std::string(XKM_TEST_DATA) + "/expected/st10.xkm"));
  const std::string w = work();
  EXPECT_EQ(argvLog(), "brakel <" + w +
                           "/BRAKEL_ST10.ctl>\n"
                           "lenwatch <" +
                           w +
                           "/ecu_st10_1.bcb>\n"
                           "lenwatch <" +
                           w +
                           "/ecu_st10_2.bcb>\n"
                           "qsr <-b> <" +
                           w + "/CS_ST10.qsr> <" + w +
                           "/ecu_st10.hex>\n"
                           "zoven <-o> <" +
                           w + "/ecu_st10.hex_blk_1_mim> <" + w +
                           "/ecu_st10_1.bcb>\n"
                           "zoven <-o> <" +
                           w + "/ecu_st10.hex_blk_2_mim> <" + w +
                           "/ecu_st10_2.bcb>\n"
                           "xkm2sgo <-l> <" +
                           container + ">\n");
  // Clean-up leaves the inputs, the container, its SGO form and the checksum tool's log.
  EXPECT_EQ(filesLeft(),
            (std::set<std::string>{"flowdata_4711.xml", "ecu_st10.hex", "ecu_st10.a2l", container,
                                   "4711-0815_SW0102.sgo", "ecu_st10_QSR.LOG"}));

  nlohmann::json json = report();
  std::vector<std::string> actions;
  for (const auto& row : json["rows"]) actions.push_back(row["action"]);
  EXPECT_EQ(actions,
            (std::vector<std::string>{
                "Start", "Hexfile : " + w + "/ecu_st10.hex", "A2L-File : " + w + "/ecu_st10.a2l",
                "Lese Informationen aus A2L-Datei ...", "Lese logistische Daten",
                "Konvertiere in BCB-Format", "Konvertiere in MIM-Format",
                "Erstelle XKM-Container ...", "Lösche temporäre Dateien", "Bearbeitung beendet"}));
  EXPECT_EQ(json["rows"][5]["modul"], "RUN_BCB_CONVERSION");
  expectEverySessionVariable(json["session"]);
  EXPECT_EQ(json["outcome"], "completed");
  // The state lines are the only thing on standard output.
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 10);
}

TEST_F(WholeProcess, S19ImageOnTheFixedLayout) {
  test::ToolRun run = runOn("ecu_tc.s19", "ecu_tc.a2l");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(test::ReadFileBytes(work("4711-0815_SW0102.xkm")),
            test::ReadFileBytes(std::string(XKM_TEST_DATA) + "/expected/tc.xkm"));
  EXPECT_NE(argvLog().find("zoven <-o> <" + work("ecu_tc.s19_blk_2_mim") + "> <" +
                           work("ecu_tc_2.bcb") + ">\n"),
            std::string::npos);
  EXPECT_EQ(report()["session"]["ConfigTable"][21][1], "AST_TC_2BLOCK");
}

struct StopCase {
  const char* name;
  std::map<std::string, std::string> environment;
  std::string tools;     // empty: the demo's
  std::string expected;  // the box text, with W for the working folder
};

class ProcessStops : public WholeProcess, public ::testing::WithParamInterface<StopCase> {};

TEST_P(ProcessStops, WithTheStepsExactText) {
  const StopCase& stop = GetParam();
  for (const auto& [name, value] : stop.environment) tool.environment[name] = value;
  if (!stop.tools.empty()) setTools(stop.tools);
  test::ToolRun run = runOn("ecu_st10.hex", "ecu_st10.a2l");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Error: " + test::ReplaceMarker(stop.expected, "W/", work() + "/") + "\n");
  EXPECT_EQ(report()["outcome"], "failed");
}

const char* const kToolsWithoutLenwatch =
    "[Tools]\nBrakel=tools/brakel\nQSR=tools/qsr\nZOVEN=tools/zoven\nXKM2SGO=tools/xkm2sgo\n";
const char* const kToolsWithMissingBrakel =
    "[Tools]\nBrakel=tools/nothing\nLenwatch=tools/lenwatch\nQSR=tools/qsr\nZOVEN=tools/zoven\n"
    "XKM2SGO=tools/xkm2sgo\n";

INSTANTIATE_TEST_SUITE_P(
    Failures, ProcessStops,
    ::testing::Values(
        StopCase{"NoToolsEntry",
                 {},
                 kToolsWithoutLenwatch,
                 "60000 No Entry for tool : Lenwatch found in configuration - program stops!"},
        StopCase{"ToolFileMissing",
                 {},
                 kToolsWithMissingBrakel,
                 "60000 Tool : Brakel not found - program stops!"},
        StopCase{"BcbFileMissing",
                 {{"XKM_TOOL_FAIL_BRAKEL", "nofiles"}},
                 "",
                 "60000 File : W/ecu_st10_1.bcb not found! - program stops!"},
        StopCase{"ChecksumLogMissing",
                 {{"XKM_TOOL_FAIL_QSR", "crash"}},
                 "",
                 "60000 Checksum-File : W/CS.LOG not found! - program stops!"},
        StopCase{"MimFileNotCreated",
                 {{"XKM_TOOL_FAIL_ZOVEN", "nofiles"}},
                 "",
                 "60000 MIM-File : W/ecu_st10.hex_blk_1_mim was not created! - program stops!"}),
    [](const ::testing::TestParamInfo<StopCase>& caseInfo) {
      return std::string(caseInfo.param.name);
    });

TEST_F(WholeProcess, ToolsJudgedByTheirFilesNotTheirExitCodes) {
  tool.environment["XKM_TOOL_FAIL_LENWATCH"] = "crash";
  tool.environment["XKM_TOOL_FAIL_QSR"] = "exit";
  test::ToolRun run = runOn("ecu_st10.hex", "ecu_st10.a2l");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(stdfs::exists(work("4711-0815_SW0102.xkm")));
}

TEST_F(WholeProcess, AContainerThatCannotBeWrittenLeavesNoPartialFile) {
  // A folder in the container's place makes the final rename fail.
  stdfs::create_directories(work("4711-0815_SW0102.xkm"));
  test::ToolRun run = runOn("ecu_st10.hex", "ecu_st10.a2l");
  EXPECT_EQ(run.exitCode, 1);
  nlohmann::json json = report();
  ASSERT_EQ(json["messages"].size(), 2u);
  EXPECT_EQ(json["messages"][0]["title"], "xkmtool");
  EXPECT_EQ(json["messages"][1]["text"],
            "60000 SGO-File : 4711-0815_SW0102.xkm was not created! - program stops!");
  for (const std::string& name : filesLeft()) EXPECT_EQ(name.find(".xkm-tmp"), std::string::npos);
}

}  // namespace
}  // namespace xkm
