#pragma once

namespace xkm {

// Exit codes of the program: of the batch mode and the library check, and the
// window's start-up failure.
enum ExitCode {
  kExitCompleted = 0,              // the run went through and showed no message box
  kExitStepFailed = 1,             // a step raised an error and the run ended
  kExitStartupFailed = 2,          // start-up failed, or the command line was wrong
  kExitCompletedWithMessages = 3,  // the run went through but showed message boxes
  kExitStopped = 4,                // stopped by request (see WatchStopRequests)
  kExitReportLost = 5,  // the run's own code was 0 or 3, but --report could not be written
};

}  // namespace xkm
