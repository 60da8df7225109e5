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

// Starts a command line with the inherited environment, in `workingFolder`
// (this program's current folder when empty; this program's stays as it is),
// never through a shell, its standard input reading nothing, and waits for it
// to end without a time limit. On Windows the text goes to CreateProcessW as
// it is, so the program parses it by its own rules; elsewhere it is split into
// argv by the Windows rules (SplitCommandLine) and argv[0] is searched on PATH
// when it holds no "/". While waiting, `whileWaiting` is called every `tick`
// so that a window can repaint, and then `control`. An exception from
// `whileWaiting` ends the child and is passed on once it has ended. A blank
// command line is not started.
//
// No child outlives its run: on POSIX it runs in a process group of its own
// (so a terminal's Ctrl+C reaches this program, not the tool), dies with this
// program however it ends (the parent-death signal), and whatever it left
// running in its group is killed when it has ended. On Windows every child
// runs in one job object that ends with this program.
ProcessOutcome RunCommandLine(const std::string& commandLine,
                              const std::function<void()>& whileWaiting = {},
                              std::chrono::milliseconds tick = std::chrono::milliseconds(30),
                              ChildOutput output = ChildOutput::Inherit,
                              ExitNotice notice = ExitNotice::Automatic,
                              const ChildControl& control = {},
                              const std::string& workingFolder = {});

}  // namespace xkm
