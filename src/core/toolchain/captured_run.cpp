#include "core/toolchain/captured_run.h"

#include <chrono>

#include "core/session/host.h"

namespace xkm {

ToolRun RunAndCapture(Host& host, const std::string& commandLine, const ChildControl& control,
                      const std::string& workingFolder) {
  ToolRun run;
  run.commandLine = commandLine;
  const auto start = std::chrono::steady_clock::now();
  // A tool's output never reaches the state lines and messages this program
  // prints; it is kept for the record of the run instead.
  ProcessOutcome outcome =
      RunCommandLine(commandLine, {.output = ChildOutput::Capture,
                                   .workingFolder = workingFolder,
                                   .whileWaiting = [&host](auto time) { host.waitForEvents(time); },
                                   .control = control});
  run.durationMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now() - start)
                       .count();
  run.started = outcome.started;
  run.startError = std::move(outcome.startError);
  run.exitCode = outcome.exitCode;
  run.signal = outcome.signal;
  run.stdoutTail = std::move(outcome.stdoutTail);
  run.stderrTail = std::move(outcome.stderrTail);
  return run;
}

}  // namespace xkm
