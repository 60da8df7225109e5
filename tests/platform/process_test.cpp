#include "core/platform/process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "core/platform/path.h"
#include "support/child_process.h"
#include "support/scratch_folder.h"

namespace xkm {
namespace {

std::string StandIn(const std::string& actions) {
  return "\"" XKM_STAND_IN_EXE "\" " + actions;
}

// What a crash looks like: a signal here, an exception status on Windows.
bool Trapped(const ProcessOutcome& outcome) {
  constexpr unsigned kIllegalInstruction = 0xC000001D;
  return outcome.signal == SIGILL || outcome.exitCode == static_cast<int>(kIllegalInstruction);
}

#ifndef _WIN32  // signal dispositions are a POSIX notion
// A parent that ignores SIGPIPE or blocks signals (as toolkits and shells may)
// passes neither on: a tool writing into a closed pipe must still end.
TEST(RunCommandLine, TheChildStartsWithDefaultSignals) {
  auto* previous = ::signal(SIGPIPE, SIG_IGN);
  sigset_t blocked;
  sigset_t old;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  ::pthread_sigmask(SIG_BLOCK, &blocked, &old);
  const ProcessOutcome piped = RunCommandLine("sh -c \"kill -PIPE $$; exit 3\"");
  const ProcessOutcome terminated = RunCommandLine("sh -c \"kill -TERM $$; exit 3\"");
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  ::signal(SIGPIPE, previous);
  EXPECT_EQ(piped.signal, SIGPIPE);
  EXPECT_EQ(terminated.signal, SIGTERM);
}
#endif

TEST(RunCommandLine, ReportsHowTheChildEnded) {
  test::ScratchFolder folder;
  const std::string notAProgram = folder.write("plain.txt", "exit 0\n");
  struct Row {
    std::string commandLine;
    bool started;
    int exitCode;
  };
  const Row rows[] = {
      {StandIn("exit=7"), true, 7},
      {StandIn(""), true, 0},
      {"", false, -1},
      {"  \t ", false, -1},
      {"\"" + folder.file("missing") + "\" -x", false, -1},
      {"xkm-no-such-program-on-path", false, -1},
      {"\"" + notAProgram + "\"", false, -1},
  };
  for (const Row& row : rows) {
    const ProcessOutcome outcome = RunCommandLine(row.commandLine);
    EXPECT_EQ(outcome.started, row.started) << row.commandLine;
    EXPECT_EQ(outcome.exitCode, row.exitCode) << row.commandLine;
    EXPECT_EQ(outcome.signal, 0) << row.commandLine;
  }
  EXPECT_TRUE(Trapped(RunCommandLine(StandIn("trap"), [] {})));
}

// The program path holds blanks and letters beyond ASCII, the arguments hold
// what a shell would act on; everything arrives as written.
TEST(RunCommandLine, PassesPathAndArgumentsLiterally) {
  test::ScratchFolder folder;
  const std::string program = folder.file("Aufträge Müller/stand in" XKM_EXE_SUFFIX);
  folder.write("Aufträge Müller/stand in" XKM_EXE_SUFFIX, test::ReadFileBytes(XKM_STAND_IN_EXE));
  std::filesystem::permissions(fs::NativePath(program), std::filesystem::perms::owner_all);
  const std::string out = folder.file("Ölwanne args.txt");
  const std::string trap = folder.file("trap");

  ProcessOutcome outcome =
      RunCommandLine("\"" + program + "\" \"args=" + out + "\" -- a;b \"$(touch " + trap +
                     ")\" \"it's \\\"q\\\"\" * \"two  spaces\" \"\" C:\\dir\\ \"end\\\\\"");
  ASSERT_TRUE(outcome.started);
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_EQ(test::ReadFileBytes(out), "[a;b]\n[$(touch " + trap +
                                          ")]\n[it's \"q\"]\n[*]\n[two  spaces]\n[]\n"
                                          "[C:\\dir\\]\n[end\\]\n");
  EXPECT_FALSE(std::filesystem::exists(trap));
}

// The child ends only once the flag file exists, which the calls create: they
// are certain to happen while it runs. Far more ticks than the sleeps could
// double before overflowing, with either exit notice.
TEST(RunCommandLine, CallsWhileWaitingUntilTheChildEnds) {
  for (ExitNotice notice : {ExitNotice::Automatic, ExitNotice::Sleeps}) {
    test::ScratchFolder folder;
    int calls = 0;
    ProcessOutcome outcome = RunCommandLine(
        StandIn("\"wait-for=" + folder.file("go") + "\" exit=3"),
        [&] {
          if (++calls == 100) folder.write("go", "");
        },
        std::chrono::milliseconds(1), ChildOutput::Inherit, notice);
    EXPECT_EQ(outcome.exitCode, 3);
    EXPECT_GE(calls, 100);
  }
}

// A megabyte is more than a pipe holds: the child only ends when its output is
// read while it runs. Both with and without a caller to call while waiting.
TEST(RunCommandLine, CaptureKeepsTheLastBytesOfEachStreamAndNeverBlocksTheChild) {
  const std::string chatty =
      StandIn("fill-out=1048576:a out=END-OUT fill-err=100000:b err=END-ERR exit=4");
  for (bool withCallback : {true, false}) {
    SCOPED_TRACE(withCallback);
    ProcessOutcome outcome = RunCommandLine(
        chatty, withCallback ? std::function<void()>([] {}) : std::function<void()>(),
        std::chrono::milliseconds(5), ChildOutput::Capture);
    EXPECT_EQ(outcome.exitCode, 4);
    EXPECT_EQ(outcome.stdoutTail, std::string(kCapturedTailBytes - 7, 'a') + "END-OUT");
    EXPECT_EQ(outcome.stderrTail, std::string(kCapturedTailBytes - 7, 'b') + "END-ERR");
  }

  ProcessOutcome quiet = RunCommandLine(
      StandIn("out=hi\\n err=oops\\n"), [] {}, std::chrono::milliseconds(5), ChildOutput::Capture);
  EXPECT_EQ(quiet.stdoutTail, "hi\n");
  EXPECT_EQ(quiet.stderrTail, "oops\n");
}

// A background process that keeps the pipes open must not hold up the wait
// for the tool itself; it is released only after the wait has returned.
TEST(RunCommandLine, CaptureDoesNotWaitForAGrandchildHoldingThePipes) {
  if (std::string(XKM_EXE_SUFFIX) == ".exe")
    GTEST_SKIP() << "needs a POSIX shell to leave a background process";
  test::ScratchFolder folder;
  const std::string release = folder.file("release");
  ProcessOutcome outcome = RunCommandLine(
      "/bin/sh -c \"(" XKM_STAND_IN_EXE " \\\"wait-for=$0\\\" out=late) & echo started\" \"" +
          release + "\"",
      [] {}, std::chrono::milliseconds(5), ChildOutput::Capture);
  folder.write("release", "");
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_EQ(outcome.stdoutTail, "started\n");
}

// The processes whose parent is this one, running or ended but not reaped.
std::vector<int> ChildrenOfThisProcess() {
  std::vector<int> children;
  std::error_code noProc;  // no /proc: no processes that could be left unreaped
  const std::string self = std::filesystem::read_symlink("/proc/self", noProc).string();
  if (noProc) return children;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;  // it has just ended
    // "pid (command) state ppid ...": the command may hold blanks and parentheses.
    std::istringstream rest(line.substr(line.rfind(')') + 1));
    char state = 0;
    std::string parent;
    if (rest >> state >> parent && parent == self) children.push_back(std::stoi(name));
  }
  return children;
}

// An exception from the waiting side is passed on only after the child has
// ended and been reaped: no child is left running or unreaped.
TEST(RunCommandLine, AnInterruptedWaitStillWaitsForTheChild) {
  struct Row {
    ExitNotice notice;
    ChildOutput output;
    const char* afterFlag;  // what the child does once the flag exists
  };
  const Row rows[] = {
      {ExitNotice::Automatic, ChildOutput::Inherit, "sleep=100 touch=ended"},
      {ExitNotice::Sleeps, ChildOutput::Inherit, "sleep=100 touch=ended"},
      // More output than a pipe holds, which may no longer be read.
      {ExitNotice::Automatic, ChildOutput::Capture, "fill-out=1048576:x"},
  };
  for (const Row& row : rows) {
    test::ScratchFolder folder;
    const std::string commandLine =
        test::ReplaceMarker(StandIn("\"wait-for=" + folder.file("go") + "\" " + row.afterFlag),
                            "=ended", "=\"" + folder.file("ended") + "\"");
    EXPECT_THROW(RunCommandLine(
                     commandLine,
                     [&] {
                       folder.write("go", "");
                       throw std::runtime_error("window closed");
                     },
                     std::chrono::milliseconds(1), row.output, row.notice),
                 std::runtime_error);
    if (row.output == ChildOutput::Inherit) {
      EXPECT_TRUE(std::filesystem::exists(folder.file("ended")));
    }
    EXPECT_EQ(ChildrenOfThisProcess(), std::vector<int>{}) << row.afterFlag;
  }
}

}  // namespace
}  // namespace xkm
