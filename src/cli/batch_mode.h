#pragma once

#include <iosfwd>
#include <string>

#include "core/session/app_state.h"

namespace xkm {

// Exit codes of the batch mode.
enum BatchExitCode {
  kExitCompleted = 0,              // the run went through and showed no message box
  kExitStepFailed = 1,             // a step raised an error and the run ended
  kExitStartupFailed = 2,          // start-up failed
  kExitCompletedWithMessages = 3,  // the run went through but showed message boxes
  kExitStopped = 4,                // stopped by request (see WatchStopRequests)
  kExitReportLost = 5,  // the run's own code was 0 or 3, but --report could not be written
};

struct BatchOptions {
  std::string commandLine;  // "XML,HEX,A2L"
  std::string reportPath;   // empty: no report
};

// Start-up and one run of the process without a window. `app` must know the
// executable's folder and name. Returns the exit code.
int RunBatch(AppState& app, const BatchOptions& options, std::ostream& out, std::ostream& err);

}  // namespace xkm
