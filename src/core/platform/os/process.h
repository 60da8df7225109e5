#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace xkm {

// How much of each output stream a captured child keeps: its last bytes.
inline constexpr size_t kCapturedTailBytes = 4096;

struct ProcessOutcome {
  bool started = false;    // false when the program could not be started at all
  std::string startError;  // then the system's reason ("No such file or directory")
  // Exit status when it exited. Windows has no signals: a crash there is an
  // exit with the exception's status as a signed 32-bit number (0xC0000005
  // gives -1073741819, as %ERRORLEVEL% shows it).
  int exitCode = -1;
  int signal = 0;  // terminating signal, 0 when it exited (always 0 on Windows)
  // With ChildOutput::Capture: the last kCapturedTailBytes of each stream.
  std::string stdoutTail;
  std::string stderrTail;
};

enum class ChildOutput {
  Inherit,  // the child writes to our standard output and error
  Discard,  // the child's standard output and error go nowhere
  Capture,  // kept in the outcome (the last bytes of each), shown nowhere
};

// How a wait learns, between two calls of `whileWaiting`, that the child has
// ended: through a process descriptor where the kernel offers pidfd_open, else
// (or when asked) by sleeps that grow up to the tick. Windows always waits on
// the process handle.
enum class ExitNotice { Automatic, Sleeps };

// What the waiting side wants done with a running child; asked every tick.
enum class ChildAction {
  Wait,
  Terminate,  // asked to end: SIGTERM to its process group; on Windows its job is ended
  Kill,       // ended at once: SIGKILL to its process group; on Windows its job is ended
};
using ChildControl = std::function<ChildAction()>;

// How a child is run and waited for.
struct ChildRun {
  ChildOutput output = ChildOutput::Inherit;
  std::string workingFolder{};  // this program's current folder when empty
  // Called once a `tick` while the child runs, given the tick: a window waits
  // there for its own events, idle, and the child is looked at in between; a
  // caller that returns at once has the rest of the tick waited on the child.
  std::function<void(std::chrono::milliseconds)> whileWaiting{};
  std::chrono::milliseconds tick{30};
  ChildControl control{};  // asked after each `whileWaiting`
  ExitNotice notice = ExitNotice::Automatic;
};

// Starts a command line with the inherited environment, in the run's working
// folder (this program's stays as it is), never through a shell, its standard
// input reading nothing, and waits for it to end without a time limit. On
// Windows the text goes to CreateProcessW as it is, so the program parses it
// by its own rules; elsewhere it is split into argv by the Windows rules
// (SplitCommandLine) and argv[0] is searched on PATH when it holds no "/". An
// exception from `whileWaiting` or `control` ends the child and is passed on
// once it has ended. A blank command line is not started.
//
// No child outlives its run: on POSIX it runs in a process group of its own
// (so a terminal's Ctrl+C reaches this program, not the tool), dies with this
// program however it ends, and whatever it started is ended with it. On
// Windows every child runs in one job object that ends with this program.
ProcessOutcome RunCommandLine(const std::string& commandLine, const ChildRun& run = {});

}  // namespace xkm
