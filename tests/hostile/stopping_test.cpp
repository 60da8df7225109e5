#include <chrono>
#include <functional>
#include <filesystem>
#include <memory>
#include <thread>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif

#include "support/installed_process.h"

namespace xkm::test {
namespace {

namespace stdfs = std::filesystem;

// A run can always be stopped, its tools end with it, and its folder claim
// cannot be fooled. The checksum tool is a stand-in that marks its start,
// sleeps and would mark that it lived on.
class Stopping : public InstalledProcess {
 protected:
  Stopping() : demoTools_(ReadFileBytes(file("tools.ini"))) { installInputs("input"); }
  std::string work(const std::string& name) const { return file("input/" + name); }
  void useSlowChecksumTool(int sleepMs, const std::string& system = "") {
    write("xkmtool.ini", "[System]\nToolConfig=tools.ini\n" + system);
    writeStandInTool("slow_qsr", "touch=" + work("qsr.started") + "\nsleep=" +
                                     std::to_string(sleepMs) + "\ntouch=" + work("qsr.outlived"));
    setTools("[Tools]\nBrakel=tools/brakel\nLenwatch=tools/lenwatch\nQSR=tools/slow_qsr\n"
             "ZOVEN=tools/zoven\nXKM2SGO=tools/xkm2sgo\n");
  }
  ChildCommand demoCommand() const {
    return command({"--batch", "--report", file("r.json"),
                    "input/flowdata_4711.xml,input/ecu_st10.hex,input/ecu_st10.a2l"});
  }
  void useDemoTools() const { write("tools.ini", demoTools_); }
  bool appears(const std::string& path) const {
    for (int i = 0; i < 3000 && !stdfs::exists(path); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return stdfs::exists(path);
  }

 private:
  std::string demoTools_;
};

#ifndef _WIN32
// Without a grace period of 600 s the test's own time limit would end it.
TEST_F(Stopping, EveryStopSignalStopsTheRunWhileAToolHangs) {
  const struct {
    const char* name;
    int signal;
    bool toGroup;  // the terminal's Ctrl+C reaches the whole foreground group
  } rows[] = {{"SIGTERM", SIGTERM, false},
              {"SIGHUP (terminal closed)", SIGHUP, false},
              {"Ctrl+C", SIGINT, true}};
  useSlowChecksumTool(600000, "StopGrace=1\n");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    stdfs::remove(work("qsr.started"));
    ChildCommand command = demoCommand();
    command.ownProcessGroup = true;
    Child child(command);
    ASSERT_TRUE(appears(work("qsr.started")));
    child.signal(row.signal, row.toGroup);
    const ChildResult run = child.wait();
    EXPECT_EQ(run.exitCode, 4) << run.err;
    const nlohmann::json json = report();
    EXPECT_EQ(json["outcome"], "stopped");
    // Asked to end after the grace period, not hit by the Ctrl+C itself.
    EXPECT_EQ(json["tools"].back()["signal"], SIGTERM);
  }
}

TEST_F(Stopping, NoToolOutlivesAKilledRunAndTheNextRunClaimsTheFolder) {
  useSlowChecksumTool(3000);
  Child child(demoCommand());
  ASSERT_TRUE(appears(work("qsr.started")));
  child.kill();
  child.wait();
  // Long enough for a tool that lived on to mark it.
  std::this_thread::sleep_for(std::chrono::milliseconds(4500));
  EXPECT_FALSE(stdfs::exists(work("qsr.outlived")));
  useDemoTools();
  EXPECT_EQ(runDemo().exitCode, 0);
}

// A reader of the state lines that goes away (`| head -1`) ends nothing.
TEST_F(Stopping, AClosedStandardOutputDoesNotEndTheRun) {
  ChildCommand command = demoCommand();
  std::string line;
  for (const std::string& argument : command.argv) line += "'" + argument + "' ";
  command.argv = {"bash", "-c", "set -o pipefail; " + line + "| true"};
  const ChildResult run = RunChild(command);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(report()["outcome"], "completed");
}

// Anything but a free regular file at the lock's name ends the run before it
// writes anything, with the file and the reason.
TEST_F(Stopping, AFolderClaimThatCannotBeMadeEndsTheRun) {
  const std::string lock = work(".xkmtool.lock");
  const struct {
    const char* name;
    std::function<void()> plant;
    const char* reason;
  } rows[] = {
      {"link", [&] { stdfs::create_symlink(file("elsewhere"), lock); }, "a link, not a file"},
      {"folder", [&] { stdfs::create_directory(lock); }, "Is a directory"},
      {"FIFO", [&] { ::mkfifo(lock.c_str(), 0644); }, "not a regular file"},
      {"another program's lock on one byte", [&] {}, "locked by another program"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    stdfs::remove_all(lock);
    row.plant();
    // The last row: another program holds a lock on byte 5 while the run starts.
    const int other = ::open(lock.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK, 0644);
    struct flock range {};
    range.l_type = F_WRLCK;
    range.l_start = 5;
    range.l_len = 1;
    const bool locked = std::string(row.reason) == "locked by another program" &&
                        ::fcntl(other, F_OFD_SETLK, &range) == 0;
    const ChildResult run = runDemo();
    if (other >= 0) ::close(other);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Error: 60049 Der Ordner " + file("input") +
                           " kann nicht für diesen Lauf belegt werden: " + lock + ": " +
                           row.reason + "\n")
        << locked;
    EXPECT_EQ(argvLog(), "");
  }
}
#endif

TEST_F(Stopping, AToolPastItsTimeLimitIsEnded) {
  useSlowChecksumTool(600000, "ToolTimeout=1\n");
  const ChildResult run = runDemo();
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Error: 60000 Tool : QSR ran longer than its time limit of 1 s (ToolTimeout) "
                     "and was ended - program stops!\n");
  EXPECT_FALSE(stdfs::exists(work("qsr.outlived")));
}

}  // namespace
}  // namespace xkm::test
