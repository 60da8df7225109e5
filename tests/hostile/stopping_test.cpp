#include <chrono>
#include <filesystem>
#include <functional>
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
  Stopping() { installInputs("input"); }
  // With `thenWork`, the real checksum tool runs after the sleep.
  void useSlowChecksumTool(int sleepMs, const std::string& system = "", bool thenWork = false) {
    write("xkmtool.ini", "[System]\nToolConfig=tools.ini\n" + system);
    stdfs::remove(toolFile("slow_qsr"));
    writeStandInTool(
        "slow_qsr",
        "touch=" + work("qsr.started") + "\nsleep=" + std::to_string(sleepMs) +
            (thenWork ? "\nrun=" + toolFile("qsr") : "\ntouch=" + work("qsr.outlived")));
    setTools(
        "[Tools]\nBrakel=tools/brakel\nLenwatch=tools/lenwatch\nQSR=tools/slow_qsr\n"
        "ZOVEN=tools/zoven\nXKM2SGO=tools/xkm2sgo\n");
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
  const struct {
    const char* name;
    int signal;
    bool toGroup;  // the terminal's Ctrl+C reaches the whole foreground group
    bool hangs;
  } rows[] = {{"SIGTERM, the tool finishes", SIGTERM, false, false},
              {"SIGTERM, the tool hangs", SIGTERM, false, true},
              {"SIGHUP (terminal closed)", SIGHUP, false, true},
              {"Ctrl+C", SIGINT, true, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    stdfs::remove_all(file("input"));
    installInputs("input");
    useSlowChecksumTool(row.hangs ? 600000 : 1500, row.hangs ? "StopGrace=1\n" : "", !row.hangs);
    ChildCommand command = demoCommand();
    command.ownProcessGroup = true;
    Child child(command);
    ASSERT_TRUE(appears(work("qsr.started")));
    child.signal(row.signal, row.toGroup);
    const ChildResult run = child.wait();
    EXPECT_EQ(run.exitCode, 4) << run.err;
    // Asked to end after the grace period, never hit by the Ctrl+C itself.
    EXPECT_EQ(report()["tools"].back()["signal"],
              row.hangs ? nlohmann::json(SIGTERM) : nlohmann::json());
    // Within the grace the step under way finished: its checksums were imported.
    EXPECT_EQ(stdfs::exists(work("CS.LOG")), !row.hangs);
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
  setTools(
      "[Tools]\nBrakel=tools/brakel\nLenwatch=tools/lenwatch\nQSR=tools/qsr\n"
      "ZOVEN=tools/zoven\nXKM2SGO=tools/xkm2sgo\n");
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
  setTools(
      "[Tools]\nBrakel=tools/brakel\nLenwatch=tools/lenwatch\nQSR=tools/qsr\n"
      "ZOVEN=tools/zoven\nXKM2SGO=tools/late_xkm2sgo\n");
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
  const struct {
    const char* name;
    std::function<void()> plant;
    bool lockedByOther;  // another program locks byte 5 of the file
    const char* reason;
  } rows[] = {
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
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    stdfs::remove_all(lock);
    row.plant();
    const int other =
        row.lockedByOther ? ::open(lock.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW, 0644) : -1;
    const struct flock range = {F_WRLCK, SEEK_SET, 5, 1, 0};
    if (row.lockedByOther) ::fcntl(other, F_OFD_SETLK, &range);
    EXPECT_EQ(runDemo().err, "Error: 60049 Der Ordner " + file("input") +
                                 " kann nicht für diesen Lauf belegt werden: " + lock + ": " +
                                 row.reason + "\n");
    if (row.lockedByOther) ::close(other);
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
  const struct {
    const char* name;
    bool held;
    std::string err;
  } rows[] = {{"held", true,
               "Error: 60040 Der Ordner " + file("input") +
                   " wird bereits von einem anderen Lauf benutzt (Prozess 4711 auf other-pc, "
                   "gestartet 2026-12-07T08:00:00+0100) - bitte warten, bis dieser Lauf beendet "
                   "ist\n"},
              {"left behind", false, ""}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    write("input/.xkmtool.lock", "pid=4711\nhost=other-pc\nstarted=2026-12-07T08:00:00+0100\n");
    ASSERT_EQ(::chown(lock.c_str(), 65534, 65534), 0);
    ::chmod(lock.c_str(), 0644);
    const int other = ::open(lock.c_str(), O_RDWR);
    const struct flock claim = {F_WRLCK, SEEK_SET, 0, 1, 0};
    if (row.held) ::fcntl(other, F_OFD_SETLK, &claim);
    EXPECT_EQ(runDemo("input", {.withoutFileCapabilities = true}).err, row.err);
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
  write("tools.ini", Replaced(ReadFileBytes(file("tools.ini")), "tools/qsr", "tools/qsr-unclaims"));
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

}  // namespace
}  // namespace xkm::test
