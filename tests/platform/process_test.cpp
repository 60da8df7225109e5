#include "core/platform/os/process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <stdexcept>
#ifndef _WIN32
#include <sys/wait.h>

#include <cerrno>
#endif

#include "core/platform/os/file_system.h"
#include "core/platform/os/path.h"
#include "core/platform/text/text_pieces.h"
#include "support/child_process.h"
#include "support/scratch_folder.h"

namespace xkm {
namespace {

using std::chrono::milliseconds;

using Waiting = std::function<void(milliseconds)>;
const Waiting Idle = [](milliseconds) {};

std::string StandIn(const std::string& actions) {
  return "\"" XKM_STAND_IN_EXE "\" " + actions;
}

#ifndef _WIN32  // signal dispositions are a POSIX notion
// A parent that ignores SIGPIPE or blocks signals (as toolkits and shells may)
// passes neither on: a tool writing into a closed pipe must still end.
TEST(RunCommandLine, TheChildStartsWithDefaultSignals) {
  auto* previous = ::signal(SIGPIPE, SIG_IGN);
  sigset_t blocked, old;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  ::pthread_sigmask(SIG_BLOCK, &blocked, &old);
  const int piped = RunCommandLine("sh -c \"kill -PIPE $$; exit 3\"").signal;
  const int terminated = RunCommandLine("sh -c \"kill -TERM $$; exit 3\"").signal;
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  ::signal(SIGPIPE, previous);
  EXPECT_EQ(std::make_pair(piped, terminated), std::make_pair(SIGPIPE, SIGTERM));
}
#endif

TEST(RunCommandLine, ReportsHowTheChildEnded) {
  test::ScratchFolder folder;
  const std::string notAProgram = "\"" + folder.write("plain.txt", "exit 0\n") + "\"";
  const std::pair<std::string, int> rows[] = {// the exit code; -1: not started
                                              {StandIn("exit=7"), 7},
                                              {StandIn(""), 0},
                                              {"", -1},
                                              {"  \t ", -1},
                                              {notAProgram, -1},
                                              {"\"" + folder.file("missing") + "\" -x", -1},
                                              {"xkm-no-such-program-on-path", -1}};
  for (const auto& [commandLine, exitCode] : rows) {
    const ProcessOutcome outcome = RunCommandLine(commandLine);
    EXPECT_EQ(std::make_tuple(outcome.started, outcome.exitCode, outcome.signal),
              std::make_tuple(exitCode >= 0, exitCode, 0))
        << commandLine;
  }
  // The child works in the folder it is given; this process stays where it is.
  const std::string here = fs::CurrentFolder();
  RunCommandLine(StandIn("touch=made"), {.workingFolder = folder.path()});
  EXPECT_TRUE(std::filesystem::exists(folder.file("made")) && fs::CurrentFolder() == here);
  // A crash: a signal here, an exception status on Windows.
  const ProcessOutcome trapped = RunCommandLine(StandIn("trap"), {.whileWaiting = Idle});
  EXPECT_TRUE(trapped.signal == SIGILL || trapped.exitCode == static_cast<int>(0xC000001D));
}

// The child ends only once the flag file exists, which the calls create: they
// are certain to happen while it runs. Far more ticks than the sleeps could
// double before overflowing, with either exit notice.
TEST(RunCommandLine, CallsWhileWaitingUntilTheChildEnds) {
  for (ExitNotice notice : {ExitNotice::Automatic, ExitNotice::Sleeps}) {
    test::ScratchFolder folder;
    int calls = 0;
    ProcessOutcome outcome = RunCommandLine(
        StandIn("\"wait-for=" + folder.file("go") + "\" exit=3"), {.whileWaiting =
                                                                       [&](milliseconds) {
                                                                         if (++calls == 100)
                                                                           folder.write("go", "");
                                                                       },
                                                                   .tick = milliseconds(1),
                                                                   .notice = notice});
    EXPECT_EQ(outcome.exitCode, 3);
    EXPECT_GE(calls, 100);
  }
}

// A megabyte is more than a pipe holds: the child only ends when its output is
// read while it runs. Both with and without a caller to call while waiting.
TEST(RunCommandLine, CaptureKeepsTheLastBytesOfEachStreamAndNeverBlocksTheChild) {
  const std::string tail(kCapturedTailBytes - 7, 'a'), errTail(kCapturedTailBytes - 7, 'b');
  for (bool withCallback : {true, false}) {
    ProcessOutcome outcome = RunCommandLine(
        StandIn("fill-out=1048576:a out=END-OUT fill-err=100000:b err=END-ERR exit=4"),
        {.output = ChildOutput::Capture,
         .whileWaiting = withCallback ? Idle : Waiting(),
         .tick = milliseconds(5)});
    EXPECT_EQ(std::make_tuple(outcome.exitCode, outcome.stdoutTail, outcome.stderrTail),
              std::make_tuple(4, tail + "END-OUT", errTail + "END-ERR"))
        << withCallback;
  }
  ProcessOutcome quiet = RunCommandLine(
      StandIn("out=hi\\n err=oops\\n"),
      {.output = ChildOutput::Capture, .whileWaiting = Idle, .tick = milliseconds(5)});
  EXPECT_EQ(quiet.stdoutTail + quiet.stderrTail, "hi\noops\n");
}

// A background process that keeps the pipes open must not hold up the wait
// for the tool itself; it is released only after the wait has returned.
TEST(RunCommandLine, CaptureDoesNotWaitForAGrandchildHoldingThePipes) {
  if (std::string(XKM_EXE_SUFFIX) == ".exe")
    GTEST_SKIP() << "needs a POSIX shell to leave a background process";
  test::ScratchFolder folder;
  ProcessOutcome outcome = RunCommandLine(
      "/bin/sh -c \"(" XKM_STAND_IN_EXE " \\\"wait-for=$0\\\" out=late) & echo started\" \"" +
          folder.file("release") + "\"",
      {.output = ChildOutput::Capture, .whileWaiting = Idle, .tick = milliseconds(5)});
  folder.write("release", "");
  EXPECT_EQ(std::make_pair(outcome.exitCode, outcome.stdoutTail),
            std::make_pair(0, std::string("started\n")));
}

#ifndef _WIN32  // sessions and process groups are POSIX's
// Whatever a tool started is ended with it, also what left its process group
// for a session of its own: once the wait returns, none of it runs on.
TEST(RunCommandLine, NothingTheToolStartedOutlivesIt) {
  const std::string helper = "sh -c 'echo $$ > \"$1\"; exec sleep 60' helper \"$1\"";
  const struct {
    const char* name;
    std::string start;
  } rows[] = {{"in its process group", helper + " &"},
              {"in a session of its own", "setsid " + helper + " &"},
              {"orphaned at once, in a session of its own", "(setsid " + helper + " &)"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    test::ScratchFolder folder;
    const std::string script =
        folder.write("tool.sh", row.start + "\nwhile [ ! -s \"$1\" ]; do sleep 0.01; done\n");
    const std::string pidFile = folder.file("helper.pid");
    const ProcessOutcome outcome =
        RunCommandLine("/bin/sh \"" + script + "\" \"" + pidFile + "\"", {.whileWaiting = Idle});
    ASSERT_EQ(outcome.exitCode, 0);
    const pid_t helperPid = std::stoi(test::ReadFileBytes(pidFile));
    errno = 0;
    EXPECT_EQ(std::make_pair(::kill(helperPid, 0), errno), std::make_pair(-1, ESRCH));
  }
}
#endif

// An exception from the waiting side is passed on only after the child has
// ended and been reaped: no child is left running or unreaped.
// A wait left by an exception (the window going away) ends the child: no tool
// runs on unattended, none is left unreaped.
TEST(RunCommandLine, AnInterruptedWaitEndsTheChild) {
  const std::tuple<ExitNotice, ChildOutput, const char*> rows[] = {
      {ExitNotice::Automatic, ChildOutput::Inherit, "sleep=60000 touch=ended"},
      {ExitNotice::Sleeps, ChildOutput::Inherit, "sleep=60000 touch=ended"},
      // More output than a pipe holds, which may no longer be read.
      {ExitNotice::Automatic, ChildOutput::Capture, "fill-out=1048576:x sleep=60000 touch=ended"}};
  for (const auto& [notice, output, afterFlag] : rows) {
    SCOPED_TRACE(afterFlag);
    test::ScratchFolder folder;
    const std::string commandLine =
        ReplaceAll(StandIn("\"wait-for=" + folder.file("go") + "\" " + afterFlag), "=ended",
                   "=\"" + folder.file("ended") + "\"");
    const auto closeWindow = [&](milliseconds) {
      folder.write("go", "");
      throw std::runtime_error("window closed");
    };
    EXPECT_THROW(RunCommandLine(commandLine, {.output = output,
                                              .whileWaiting = closeWindow,
                                              .tick = milliseconds(1),
                                              .notice = notice}),
                 std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(folder.file("ended")));
#ifndef _WIN32  // a probe only: no child of this process is left, ended or not
    errno = 0;
    const int reaped = ::waitpid(-1, nullptr, WNOHANG);
    EXPECT_EQ(std::make_pair(reaped, errno), std::make_pair(-1, ECHILD));
#endif
  }
}

}  // namespace
}  // namespace xkm
