#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "core/platform/text/text_pieces.h"
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

// A tool the configuration does not name, or names wrongly, stops the run
// with the step's exact text.
TEST_F(WholeProcess, StopsWithTheStepsExactText) {
  // The change to the installed tools.ini; the stop.
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"Lenwatch=", "Unused=", "No Entry for tool : Lenwatch found in configuration"},
      {"tools/brakel", "tools/nothing", "Tool : Brakel not found"}};
  for (const auto& [from, to, stop] : rows) {
    SCOPED_TRACE(stop);
    changeTools(from, to);
    stdfs::remove_all(file("input"));
    ChildResult run = runOn("ecu_st10.hex", "ecu_st10.a2l");
    EXPECT_EQ(run.err, StopText(stop));
  }
}

}  // namespace
}  // namespace xkm::test
