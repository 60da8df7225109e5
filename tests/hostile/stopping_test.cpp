#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif

#include "core/platform/os/system_info.h"
#include "support/installed_process.h"

namespace xkm::test {
namespace {

namespace stdfs = std::filesystem;

// A run can always be stopped, its tools end with it, and its folder claim
// cannot be fooled. The checksum tool is a stand-in that marks its start,
// sleeps and would mark that it lived on.
class Stopping : public InstalledProcess {
 protected:
  Stopping() { installInputs("input"); }
  // With `thenWork`, the real checksum tool runs after the sleep.
  void useSlowChecksumTool(int sleepMs, const std::string& system = "", bool thenWork = false) {
    write("xkmtool.ini", "[System]\nToolConfig=tools.ini\n" + system);
    stdfs::remove(toolFile("slow_qsr"));
    writeStandInTool(
        "slow_qsr",
        "touch=" + work("qsr.started") + "\nsleep=" + std::to_string(sleepMs) +
            (thenWork ? "\nrun=" + toolFile("qsr") : "\ntouch=" + work("qsr.outlived")));
    changeTools("tools/qsr", "tools/slow_qsr");
  }
  ChildCommand demoCommand() const {
    return command({"--batch", "--report", file("r.json"),
                    "input/flowdata_4711.xml,input/ecu_st10.hex,input/ecu_st10.a2l"});
  }
  bool appears(const std::string& path) const {
    for (int i = 0; i < 3000 && !stdfs::exists(path); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return stdfs::exists(path);
  }
};

#ifndef _WIN32
// A tool that finishes within the grace period completes its step; one that
// hangs is asked to end after it. Either way the run ends stopped.
TEST_F(Stopping, EveryStopSignalStopsTheRunWhileAToolRuns) {
  // The signal, whether to the whole group (the terminal's Ctrl+C reaches the
  // whole foreground group), whether the tool hangs.
  const std::tuple<const char*, int, bool, bool> rows[] = {
      {"SIGTERM, the tool finishes", SIGTERM, false, false},
      {"SIGHUP (terminal closed), the tool hangs", SIGHUP, false, true},
      {"Ctrl+C, the tool hangs", SIGINT, true, true}};
  for (const auto& [name, signal, toGroup, hangs] : rows) {
    SCOPED_TRACE(name);
    stdfs::remove_all(file("input"));
    installInputs("input");
    useSlowChecksumTool(hangs ? 600000 : 1500, hangs ? "StopGrace=1\n" : "", !hangs);
    ChildCommand command = demoCommand();
    command.ownProcessGroup = true;
    Child child(command);
    ASSERT_TRUE(appears(work("qsr.started")));
    child.signal(signal, toGroup);
    const ChildResult run = child.wait();
    EXPECT_EQ(run.exitCode, 4) << run.err;
    // Asked to end after the grace period, never hit by the Ctrl+C itself.
    EXPECT_EQ(report()["tools"].back()["signal"],
              hangs ? nlohmann::json(SIGTERM) : nlohmann::json());
    // Within the grace the step under way finished: its checksums were imported.
    EXPECT_EQ(stdfs::exists(work("CS.LOG")), !hangs);
  }
}

TEST_F(Stopping, NoToolOutlivesAKilledRunAndItsLockIsTakenOver) {
  useSlowChecksumTool(3000);
#ifndef _WIN32  // nor anything it started: here a process in a session of its own
  writeScriptTool("slow_qsr", "touch '" + work("qsr.started") +
                                  "'\nsetsid sh -c 'sleep 3; touch \"$0\"' '" +
                                  work("qsr.outlived") + "' &\nsleep 3\n");
#endif
  Child child(demoCommand());
  ASSERT_TRUE(appears(work("qsr.started")));
  child.kill();
  child.wait();
  // Long enough for a tool that lived on to mark it.
  std::this_thread::sleep_for(std::chrono::milliseconds(4500));
  EXPECT_FALSE(stdfs::exists(work("qsr.outlived")));
  // The lock file it left is held by nobody: the next run takes it over.
  changeTools("tools/qsr", "tools/qsr");
  EXPECT_EQ(runDemo().exitCode, 0);
}

#ifndef _WIN32
// A converter that leaves a helper in a session of its own, which would
// rewrite the SGO file after the run reported it: the helper ends with the
// converter's step.
TEST_F(Stopping, AToolsHelperInASessionOfItsOwnEndsWithTheTool) {
  const std::string sgo = work("4711-0815_SW0102.sgo");
  writeScriptTool("late_xkm2sgo", "'" + toolFile("xkm2sgo") +
                                      "' \"$@\"\nsetsid sh -c 'sleep 1; echo late > \"$0\"' '" +
                                      sgo + "' &\n");
  changeTools("tools/xkm2sgo", "tools/late_xkm2sgo");
  ASSERT_EQ(runDemo().exitCode, 0);
  const std::string converted = ReadFileBytes(sgo);
  // Long enough for a helper that lived on to write.
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  EXPECT_EQ(ReadFileBytes(sgo), converted);
}
#endif

// A reader of the state lines that goes away (`| head -1`) ends nothing.
TEST_F(Stopping, AClosedStandardOutputDoesNotEndTheRun) {
  ChildCommand command = demoCommand();
  std::string line;
  for (const std::string& argument : command.argv) line += "'" + argument + "' ";
  command.argv = {"bash", "-c", "set -o pipefail; " + line + "| true"};
  const ChildResult run = RunChild(command);
  EXPECT_EQ(run.exitCode, 0) << run.err;
}

// Anything but a free regular file at the lock's name ends the run before it
// writes anything, with the file and the reason.
TEST_F(Stopping, AFolderClaimThatCannotBeMadeEndsTheRun) {
  const std::string lock = work(".xkmtool.lock");
  const std::string privateFile = write("private.txt", "SECRET");
  ::chmod(privateFile.c_str(), 0600);
  // What is put at the lock's name; whether another program locks byte 5 of it.
  const std::tuple<const char*, std::function<void()>, bool, const char*> rows[] = {
      {"link", [&] { stdfs::create_symlink(file("elsewhere"), lock); }, false,
       "a link, not a file"},
      {"hard link to a private file", [&] { stdfs::create_hard_link(privateFile, lock); }, false,
       "a hard link, not a file of its own"},
      {"folder", [&] { stdfs::create_directory(lock); }, false, "Is a directory"},
      {"FIFO", [&] { ::mkfifo(lock.c_str(), 0644); }, false, "not a regular file"},
      {"another program's lock on one byte", [&] {}, true, "locked by another program"},
      {"another program's lock over an ended run's text",
       [&] { write("input/.xkmtool.lock", "pid=1\nhost=elsewhere\nstarted=2026-12-07\n"); }, true,
       "locked by another program"},
  };
  for (const auto& [name, plant, lockedByOther, reason] : rows) {
    SCOPED_TRACE(name);
    stdfs::remove_all(lock);
    plant();
    const int other =
        lockedByOther ? ::open(lock.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW, 0644) : -1;
    const struct flock range = {F_WRLCK, SEEK_SET, 5, 1, 0};
    if (lockedByOther) ::fcntl(other, F_OFD_SETLK, &range);
    EXPECT_EQ(runDemo().err, "Error: 60049 Der Ordner " + file("input") +
                                 " kann nicht für diesen Lauf belegt werden: " + lock + ": " +
                                 reason + "\n");
    if (lockedByOther) ::close(other);
  }
  // Never written through: the file the hard link named is as it was.
  struct stat info {};
  ::stat(privateFile.c_str(), &info);
  EXPECT_EQ(std::make_pair(ReadFileBytes(privateFile), info.st_mode & 07777),
            std::make_pair(std::string("SECRET"), 0600u));
}

// Another user's claim: while its run holds it, the run is refused and names
// that run; a file its run left behind is taken over.
TEST_F(Stopping, AnotherUsersClaimIsHonouredOrTakenOver) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can hand a file to another user";
  const std::string lock = work(".xkmtool.lock");
  const std::pair<bool, std::string> rows[] = {
      {true, "Error: 60040 Der Ordner " + file("input") +
                 " wird bereits von einem anderen Lauf benutzt (Prozess 4711 auf other-pc, "
                 "gestartet 2026-12-07T08:00:00+0100) - bitte warten, bis dieser Lauf beendet "
                 "ist\n"},
      {false, ""}};
  for (const auto& [held, err] : rows) {
    SCOPED_TRACE(held ? "held" : "left behind");
    write("input/.xkmtool.lock", "pid=4711\nhost=other-pc\nstarted=2026-12-07T08:00:00+0100\n");
    ASSERT_EQ(::chown(lock.c_str(), 65534, 65534), 0);
    ::chmod(lock.c_str(), 0644);
    const int other = ::open(lock.c_str(), O_RDWR);
    const struct flock claim = {F_WRLCK, SEEK_SET, 0, 1, 0};
    if (held) ::fcntl(other, F_OFD_SETLK, &claim);
    EXPECT_EQ(runDemo("input", {.withoutFileCapabilities = true}).err, err);
    ::close(other);
  }
}

// Another program holds the whole lock file and never writes a description:
// the run waits for one only until it is stopped.
TEST_F(Stopping, AStopEndsTheWaitForTheFolderClaim) {
  const std::string lock = work(".xkmtool.lock");
  const int other = ::open(lock.c_str(), O_RDWR | O_CREAT, 0644);
  const struct flock whole = {F_WRLCK, SEEK_SET, 0, 0, 0};
  ::fcntl(other, F_OFD_SETLK, &whole);
  Child child(demoCommand());
  std::this_thread::sleep_for(std::chrono::seconds(1));
  child.signal(SIGTERM, false);
  EXPECT_EQ(child.wait().exitCode, 4);
  ::close(other);
}
#endif

// A tool that removes the claim could let a second run in: the run stops.
TEST_F(Stopping, AClaimRemovedByAToolStopsTheRun) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows keeps a removed file that the claim holds open until the claim ends";
#endif
  writeStandInTool("qsr-unclaims", "run=" + toolFile("qsr") + "\nremove=" + work(".xkmtool.lock"));
  changeTools("tools/qsr", "tools/qsr-unclaims");
  EXPECT_EQ(Generic(runDemo().err),
            Generic(StopText("60050 Die Belegung " + work(".xkmtool.lock") +
                             " wurde während des Laufs entfernt - ein anderer Lauf kann im "
                             "Ordner gearbeitet haben")));
}

TEST_F(Stopping, AToolPastItsTimeLimitIsEnded) {
  useSlowChecksumTool(600000, "ToolTimeout=1\n");
  const ChildResult run = runDemo();
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err,
            "Error: 60000 Tool : QSR ran longer than its time limit of 1 s (ToolTimeout) "
            "and was ended - program stops!\n");
}

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
    changeTools("tools/brakel", "tools/brakel-gate");
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
