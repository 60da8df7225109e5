#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "support/installed_process.h"

namespace xkm::test {
namespace {

namespace stdfs = std::filesystem;

// The installed program with the demo configuration and the sample tools, run
// on one image and its A2L file in input/, as on an operator's machine.
class WholeProcess : public InstalledProcess {
 protected:
  ChildResult runOn(const std::string& image, const std::string& a2l) {
    for (const std::string& name : {std::string("flowdata_4711.xml"), image, a2l})
      write("input/" + name, DemoInput(name));
    return runBatch("input/flowdata_4711.xml,input/" + image + ",input/" + a2l, "input");
  }
  // The report without the times, which differ from run to run, and with the
  // working folder as "W" and the program's folder as "R".
  std::string stableReport() const {
    nlohmann::json json = report();
    for (auto& row : json["rows"]) row.erase("start");
    for (auto& tool : json["tools"]) {
      tool.erase("durationMs");
#ifdef _WIN32  // Windows programs end their lines with CR LF and carry a suffix
      tool["stdout"] = ReplaceAll(tool["stdout"].get<std::string>(), "\r\n", "\n");
      tool["commandLine"] = ReplaceAll(tool["commandLine"].get<std::string>(), ".exe\"", "\"");
#endif
    }
    GenericStrings(json);
    return ReplaceAll(ReplaceAll(json.dump(1) + "\n", Generic(file("input")), "W"), Generic(root()),
                      "R");
  }
  static void GenericStrings(nlohmann::json& json) {
    if (json.is_string())
      json = Generic(json.get<std::string>());
    else if (json.is_structured())
      for (auto& item : json) GenericStrings(item);
  }
};

TEST_F(WholeProcess, IntelHexImageOnTheFrequencyLayout) {
  ChildResult run = runOn("ecu_st10.hex", "ecu_st10.a2l");
  ASSERT_EQ(std::to_string(run.exitCode) + run.err, "0");
  EXPECT_EQ(ReadFileBytes(file("input/" + kContainer)), Expected("st10.xkm"));
  EXPECT_EQ(ReplaceAll(Generic(argvLog()), Generic(file("input")), "W"),
            "brakel <W/BRAKEL_ST10.ctl>\nlenwatch <W/ecu_st10_1.bcb>\nlenwatch <W/ecu_st10_2.bcb>\n"
            "qsr <-b> <W/CS_ST10.qsr> <W/ecu_st10.hex>\n"
            "zoven <-o> <W/ecu_st10.hex_blk_1_mim> <W/ecu_st10_1.bcb>\n"
            "zoven <-o> <W/ecu_st10.hex_blk_2_mim> <W/ecu_st10_2.bcb>\nxkm2sgo <-l> <" +
                kContainer + ">\n");
  // Clean-up leaves the inputs, the container, its SGO form and the checksum tool's log.
  std::set<std::string> left;
  for (const auto& entry : stdfs::directory_iterator(file("input")))
    left.insert(entry.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"flowdata_4711.xml", "ecu_st10.hex", "ecu_st10.a2l",
                                         kContainer, "4711-0815_SW0102.sgo", "ecu_st10_QSR.LOG"}));
  // Rows, steps, every session table, the layout trace and each tool run.
  EXPECT_EQ(stableReport(), Expected("st10.report.json"));
  // The state lines are the only thing on standard output.
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 10);
}

TEST_F(WholeProcess, S19ImageOnTheFixedLayout) {
  ChildResult run = runOn("ecu_tc.s19", "ecu_tc.a2l");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(file("input/" + kContainer)), Expected("tc.xkm"));
  EXPECT_EQ(stableReport(), Expected("tc.report.json"));
}

// Each way a tool can let the run down stops it with the step's exact text.
TEST_F(WholeProcess, StopsWithTheStepsExactText) {
  const std::string tools =
      "[Tools]\nBrakel=tools/brakel\nLenwatch=tools/lenwatch\nQSR=tools/qsr\nZOVEN=tools/zoven\n"
      "XKM2SGO=tools/xkm2sgo\n";
  // XKM_TOOL_FAIL_<tool>=<mode>, or a tools.ini edit "from>to"; the box text, W/ the working folder
  const std::pair<std::string, std::string> rows[] = {
      {"Lenwatch=tools/lenwatch\n>", "No Entry for tool : Lenwatch found in configuration"},
      {"tools/brakel>tools/nothing", "Tool : Brakel not found"},
      {"QSR=crash", "Checksum-File : W/CS.LOG not found!"}};
  const auto plain = environment;
  for (const auto& [failure, expected] : rows) {
    SCOPED_TRACE(failure);
    environment = plain;
    const size_t arrow = failure.find('>'), equals = failure.find('=');
    const bool edit = arrow != std::string::npos;
    setTools(edit ? Replaced(tools, failure.substr(0, arrow), failure.substr(arrow + 1)) : tools);
    if (!edit)
      environment["XKM_TOOL_FAIL_" + failure.substr(0, equals)] = failure.substr(equals + 1);
    stdfs::remove_all(file("input"));
    ChildResult run = runOn("ecu_st10.hex", "ecu_st10.a2l");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Generic(run.err), "Error: 60000 " +
                                    ReplaceAll(expected, "W/", Generic(file("input/"))) +
                                    " - program stops!\n");
    EXPECT_EQ(report()["outcome"], "failed");
  }
}

TEST_F(WholeProcess, AContainerThatCannotBeWrittenLeavesNoPartialFile) {
  // A folder in the container's place makes the final rename fail.
  stdfs::create_directories(file("input/" + kContainer));
  ChildResult run = runOn("ecu_st10.hex", "ecu_st10.a2l");
  EXPECT_EQ(run.exitCode, 1);
  const nlohmann::json messages = report()["messages"];
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1]["text"], Generic("60000 Der Container " + file("input/" + kContainer) +
                                         " wurde in diesem Lauf nicht erstellt - program stops!"));
}

}  // namespace
}  // namespace xkm::test
