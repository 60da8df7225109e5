#include "core/platform/os/process.h"

#include <algorithm>
#include <exception>

#include "core/platform/os/running_child.h"

namespace xkm {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

bool IsBlankLine(const std::string& line) {
  return line.find_first_not_of(" \t") == std::string::npos;
}

milliseconds Until(Clock::time_point moment) {
  return std::max(milliseconds(0), std::chrono::duration_cast<milliseconds>(moment - Clock::now()));
}

}  // namespace

ProcessOutcome RunCommandLine(const std::string& commandLine, const ChildRun& run) {
  ProcessOutcome outcome;
  if (IsBlankLine(commandLine)) return outcome;
  const std::unique_ptr<RunningChild> owned = MakeChild(run.output, run.notice);
  RunningChild& child = *owned;
  if (!child.start(commandLine, run.workingFolder, outcome.startError)) return outcome;
  outcome.started = true;

  const bool attended = run.whileWaiting || run.control;
  // Captured output is read as it comes, so that a full pipe never blocks the child.
  const milliseconds unattendedWait = run.output == ChildOutput::Capture ? run.tick : kUntilEnded;
  std::exception_ptr interrupted;
  Clock::time_point nextTurn = Clock::now();
  const auto nextWait = [&] {
    if (interrupted) return run.tick;
    return attended ? Until(nextTurn) : unattendedWait;
  };
  while (!child.waitUpTo(nextWait())) {
    if (!attended || interrupted || Clock::now() < nextTurn) continue;
    nextTurn = Clock::now() + run.tick;
    try {
      if (run.whileWaiting) run.whileWaiting(run.tick);
      if (run.control) child.ask(run.control());
    } catch (...) {
      interrupted = std::current_exception();
      child.ask(ChildAction::Kill);
    }
  }
  child.finish(outcome);
  if (interrupted) std::rethrow_exception(interrupted);
  return outcome;
}

}  // namespace xkm
