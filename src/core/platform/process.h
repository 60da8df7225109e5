#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace xkm {

// How much of each output stream a captured child keeps: its last bytes.
inline constexpr size_t kCapturedTailBytes = 4096;

struct ProcessOutcome {
  bool started = false;  // false when the program could not be started at all
  int exitCode = -1;     // exit status when it exited normally
  int signal = 0;        // terminating signal, 0 when it exited normally
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
// (or when asked) by sleeps that grow up to the tick.
enum class ExitNotice { Automatic, Sleeps };

// Starts argv[0] (searched on PATH when it holds no "/") with argv, the inherited
// environment and current folder, never through a shell, and waits for it to end
// without a time limit. While waiting, `whileWaiting` is called every
// `tick` so that a window can repaint. An exception from `whileWaiting` is
// passed on once the child has ended.
ProcessOutcome SpawnAndWait(const std::vector<std::string>& argv,
                            const std::function<void()>& whileWaiting = {},
                            std::chrono::milliseconds tick = std::chrono::milliseconds(30),
                            ChildOutput output = ChildOutput::Inherit,
                            ExitNotice notice = ExitNotice::Automatic);

}  // namespace xkm
