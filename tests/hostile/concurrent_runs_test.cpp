#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "core/platform/os/system_info.h"
#include "support/installed_process.h"

namespace xkm::test {
namespace {

namespace stdfs = std::filesystem;

std::string Literal(const std::string& text) {
  return std::regex_replace(text, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
}

// Runs side by side, each a real xkmtool process. The converter stand-in
// holds a run inside RUN_BCB_CONVERSION (after Init has claimed the folder)
// until the test creates the file "release"; it announces that it waits by
// creating "waiting". Runs that are not gated pass straight through.
class ConcurrentRuns : public InstalledProcess {
 protected:
  ConcurrentRuns() {
    stdfs::copy_file(XKM_STAND_IN_EXE, toolFile("brakel-gate"));
    setTools(
        "[Tools]\nBrakel=tools/brakel-gate\nLenwatch=tools/lenwatch\nQSR=tools/qsr\n"
        "ZOVEN=tools/zoven\nXKM2SGO=tools/xkm2sgo\n");
    stdfs::create_directories(file("gate"));
  }
  ~ConcurrentRuns() override { release(); }

  ChildCommand demoCommand(const std::string& w, const std::string& name, bool gated) const {
    ChildCommand command =
        this->command({"--batch", "--report", file(name + ".json"),
                       w + "/flowdata_4711.xml," + w + "/ecu_st10.hex," + w + "/ecu_st10.a2l"});
    command.environment["XKM_STAND_IN"] =
        (gated ? "touch=" + file("gate/waiting") + "\nwait-for=" + file("gate/release") + "\n"
               : "") +
        "run=" + toolFile("brakel");
    return command;
  }

  // Waits for the gated run to reach its converter; false when it ended
  // first or never got there.
  bool waitUntilGated() const {
    for (int i = 0; i < 12000 && !stdfs::exists(file("gate/waiting")); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return stdfs::exists(file("gate/waiting"));
  }
  void release() const { write("gate/release", ""); }
  nlohmann::json reportOf(const std::string& name) const {
    return nlohmann::json::parse(ReadFileBytes(file(name + ".json")));
  }
};

TEST_F(ConcurrentRuns, SecondRunOnTheSameFolderRefusesAndTheFirstGoesOnUntouched) {
  const std::string folder = installInputs("input");
  Child first(demoCommand("input", "first", true));
  ASSERT_TRUE(waitUntilGated());

  ChildResult second = RunChild(demoCommand("input", "second", false));
  EXPECT_EQ(second.exitCode, 1);
  const std::string expected =
      "Error: 60040 Der Ordner " + Literal(folder) +
      " wird bereits von einem anderen Lauf benutzt \\(Prozess " + std::to_string(first.pid()) +
      " auf " + Literal(HostName()) +
      ", gestartet \\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d{4}\\) - "
      "bitte warten, bis dieser Lauf beendet ist\n";
  EXPECT_TRUE(std::regex_match(second.err, std::regex(expected))) << second.err;
  EXPECT_EQ(reportOf("second")["outcome"].dump() + reportOf("second")["tools"].dump(),
            "\"failed\"[]");

  release();
  EXPECT_EQ(first.wait().exitCode, 0);
  EXPECT_EQ(ReadFileBytes(file("input/") + kContainer), Expected("st10.xkm"));
  EXPECT_FALSE(stdfs::exists(file("input/.xkmtool.lock")));
}

// Eight runs at once, each in its own folder, all appending to one trace
// file: eight whole lines, each a valid JSON object for its own run. A lock
// wider than its folder would fail some of them.
TEST_F(ConcurrentRuns, EightRunsSideBySideEachAppendOneWholeTraceLine) {
  write("xkmtool.ini", "[System]\nToolConfig=tools.ini\nTraceLog=trace/runs.log\n");
  stdfs::create_directories(file("trace"));
  constexpr int kRuns = 8;
  std::vector<std::unique_ptr<Child>> runs;
  for (int i = 0; i < kRuns; ++i) {
    const std::string name = "run" + std::to_string(i);
    installInputs(name);
    runs.push_back(std::make_unique<Child>(demoCommand(name, name, false)));
  }
  std::multiset<long> pids;
  for (auto& run : runs) {
    pids.insert(run->pid());
    EXPECT_EQ(run->wait().exitCode, 0);
  }

  const std::string log = ReadFileBytes(file("trace/runs.log"));
  ASSERT_TRUE(!log.empty() && log.back() == '\n');
  std::istringstream lines(log);
  std::multiset<long> traced;
  std::set<std::string> hexFiles;
  for (std::string line; std::getline(lines, line);) {
    const nlohmann::json trace = nlohmann::json::parse(line);  // throws on a torn line
    traced.insert(trace["pid"].get<long>());
    hexFiles.insert(trace["inputs"]["hex"]["path"].get<std::string>());
    EXPECT_EQ(trace["outcome"], "completed");
  }
  EXPECT_EQ(traced, pids);  // one line per run
  EXPECT_EQ(hexFiles.size(), static_cast<size_t>(kRuns));
}

}  // namespace
}  // namespace xkm::test
