#include "core/platform/process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/scratch_folder.h"

namespace xkm {
namespace {

TEST(SpawnAndWait, ReportsExitCodeAndSignal) {
  ProcessOutcome exited = SpawnAndWait({"sh", "-c", "exit 7"});  // found on PATH
  EXPECT_TRUE(exited.started);
  EXPECT_EQ(exited.exitCode, 7);
  EXPECT_EQ(exited.signal, 0);

  ProcessOutcome killed = SpawnAndWait({"/bin/sh", "-c", "kill -TERM $$"}, [] {});
  EXPECT_TRUE(killed.started);
  EXPECT_EQ(killed.signal, SIGTERM);
  EXPECT_EQ(killed.exitCode, -1);
}

#ifndef _WIN32  // Windows has no signal dispositions to pass on
// A parent that ignores SIGPIPE or blocks signals (as toolkits and shells may)
// passes neither on: a tool writing into a closed pipe must still end.
TEST(SpawnAndWait, TheChildStartsWithDefaultSignals) {
  auto* previous = ::signal(SIGPIPE, SIG_IGN);
  sigset_t blocked;
  sigset_t old;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  ::pthread_sigmask(SIG_BLOCK, &blocked, &old);
  const ProcessOutcome piped = SpawnAndWait({"sh", "-c", "kill -PIPE $$; exit 3"});
  const ProcessOutcome terminated = SpawnAndWait({"sh", "-c", "kill -TERM $$; exit 3"});
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  ::signal(SIGPIPE, previous);
  EXPECT_EQ(piped.signal, SIGPIPE);
  EXPECT_EQ(terminated.signal, SIGTERM);
}
#endif

TEST(SpawnAndWait, ProgramsThatCannotRunAreNotStarted) {
  test::ScratchFolder folder;
  std::string plain = folder.write("not-executable", "#!/bin/sh\nexit 0\n");
  EXPECT_FALSE(SpawnAndWait({}).started);
  EXPECT_FALSE(SpawnAndWait({folder.file("missing")}).started);
  EXPECT_FALSE(SpawnAndWait({"xkm-no-such-program-on-path"}).started);
  EXPECT_FALSE(SpawnAndWait({plain}).started);
}

TEST(SpawnAndWait, PassesPathAndArgumentsLiterally) {
  test::ScratchFolder folder;
  // Every character here would mean something to a shell.
  std::string script =
      folder.write("a;b $(touch x) 'q\"/args.sh",
                   "#!/bin/sh\n"
                   "out=\"$1\"; shift\n"
                   "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > \"$out\"\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  std::string trap = folder.file("trap");
  std::string out = folder.file("out.txt");

  ProcessOutcome outcome = SpawnAndWait(
      {script, out, "a;b", "$(touch " + trap + ")", "it's \"q\"", "*", "two  spaces", ""});
  ASSERT_TRUE(outcome.started);
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_EQ(test::ReadFileBytes(out),
            "[a;b]\n[$(touch " + trap + ")]\n[it's \"q\"]\n[*]\n[two  spaces]\n[]\n");
  EXPECT_FALSE(std::filesystem::exists(trap));
}

// A megabyte is more than a pipe holds: the child only ends when its output is
// read while it runs. Both with and without a caller to call while waiting.
TEST(SpawnAndWait, CaptureKeepsTheLastBytesOfEachStreamAndNeverBlocksTheChild) {
  const std::vector<std::string> chatty = {
      "sh", "-c",
      "head -c 1048576 /dev/zero | tr '\\0' a; printf END-OUT;"
      " head -c 100000 /dev/zero | tr '\\0' b >&2; printf END-ERR >&2; exit 4"};
  for (bool withCallback : {true, false}) {
    SCOPED_TRACE(withCallback);
    ProcessOutcome outcome =
        SpawnAndWait(chatty, withCallback ? std::function<void()>([] {}) : std::function<void()>(),
                     std::chrono::milliseconds(5), ChildOutput::Capture);
    EXPECT_EQ(outcome.exitCode, 4);
    EXPECT_EQ(outcome.stdoutTail, std::string(kCapturedTailBytes - 7, 'a') + "END-OUT");
    EXPECT_EQ(outcome.stderrTail, std::string(kCapturedTailBytes - 7, 'b') + "END-ERR");
  }

  ProcessOutcome quiet = SpawnAndWait(
      {"sh", "-c", "echo hi; echo oops >&2"}, [] {}, std::chrono::milliseconds(5),
      ChildOutput::Capture);
  EXPECT_EQ(quiet.stdoutTail, "hi\n");
  EXPECT_EQ(quiet.stderrTail, "oops\n");
}

// A background process that keeps the pipes open must not hold up the wait
// for the tool itself; it is released only after the wait has returned.
TEST(SpawnAndWait, CaptureDoesNotWaitForAGrandchildHoldingThePipes) {
  test::ScratchFolder folder;
  const std::string release = folder.file("release");
  ProcessOutcome outcome = SpawnAndWait(
      {"sh", "-c",
       "(i=0; while [ ! -e \"$0\" ] && [ $i -lt 6000 ]; do i=$((i+1)); sleep 0.01; done; echo "
       "late) &"
       " echo started",
       release},
      [] {}, std::chrono::milliseconds(5), ChildOutput::Capture);
  folder.write("release", "");
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_EQ(outcome.stdoutTail, "started\n");
}

// The child ends only once the flag file exists; it gives up (exit 9) after
// about 30 s rather than hang a test whose calls never come.
std::vector<std::string> UntilFlag(const std::string& flag, const std::string& then) {
  return {"sh", "-c",
          "i=0; while [ ! -e \"$0\" ]; do i=$((i+1)); [ $i -gt 3000 ] && exit 9; sleep 0.01; "
          "done; " +
              then,
          flag};
}

// Far more ticks than the sleeps could double before overflowing, with and
// without a process descriptor: the wait goes on, its sleeps bounded by the tick.
TEST(SpawnAndWait, WaitsThroughManyTicksWithEitherExitNotice) {
  for (ExitNotice notice : {ExitNotice::Automatic, ExitNotice::Sleeps}) {
    test::ScratchFolder folder;
    int calls = 0;
    ProcessOutcome outcome = SpawnAndWait(
        UntilFlag(folder.file("go"), "exit 4"),
        [&] {
          if (++calls == 100) folder.write("go", "");
        },
        std::chrono::milliseconds(1), ChildOutput::Inherit, notice);
    EXPECT_EQ(outcome.exitCode, 4);
    EXPECT_GE(calls, 100);
  }
}

// The processes whose parent is this one, running or ended but not reaped.
std::vector<pid_t> ChildrenOfThisProcess() {
  std::vector<pid_t> children;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;  // it has just ended
    // "pid (command) state ppid ...": the command may hold blanks and parentheses.
    std::istringstream rest(line.substr(line.rfind(')') + 1));
    char state = 0;
    pid_t parent = 0;
    if (rest >> state >> parent && parent == ::getpid()) children.push_back(std::stoi(name));
  }
  return children;
}

// An exception from the waiting side is passed on only after the child has
// ended and been reaped: no child is left running or unreaped.
TEST(SpawnAndWait, AnInterruptedWaitStillReapsTheChild) {
  struct Row {
    ExitNotice notice;
    ChildOutput output;
    const char* afterFlag;  // what the child does once the flag exists
  };
  const Row rows[] = {
      {ExitNotice::Automatic, ChildOutput::Inherit, "exit 0"},
      {ExitNotice::Sleeps, ChildOutput::Inherit, "exit 0"},
      // More output than a pipe holds, which nobody reads once the wait is left.
      {ExitNotice::Automatic, ChildOutput::Capture, "head -c 1048576 /dev/zero"},
  };
  for (const Row& row : rows) {
    test::ScratchFolder folder;
    EXPECT_THROW(SpawnAndWait(
                     UntilFlag(folder.file("go"), row.afterFlag),
                     [&] {
                       folder.write("go", "");
                       throw std::runtime_error("window closed");
                     },
                     std::chrono::milliseconds(1), row.output, row.notice),
                 std::runtime_error);
    EXPECT_EQ(ChildrenOfThisProcess(), std::vector<pid_t>{}) << row.afterFlag;
  }
}

}  // namespace
}  // namespace xkm
