#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/shell/input_files.h"

namespace xkm {

enum class RunOutcome { Completed, Stopped, Failed };

// "completed", "stopped" or "failed".
const char* RunOutcomeName(RunOutcome outcome);

enum class StepOutcome { Completed, Failed };

// One step as the run took it: completed, or failed with the error the runner
// showed.
struct StepRecord {
  std::string name;
  std::string display;
  StepOutcome outcome = StepOutcome::Failed;
  std::string error;
};

struct MessageRecord {
  std::string title;
  std::string text;
};

// The report a batch run wrote for its caller, as the trace records it.
struct ReportRecord {
  std::string path;
  bool written = false;
  std::string reason;  // why it was not
};

// What one run did, for its trace: the session holds the rest.
struct RunRecord {
  std::chrono::system_clock::time_point start;
  std::chrono::system_clock::time_point end;
  std::vector<StepRecord> steps;        // the steps that were started, in order
  std::vector<MessageRecord> messages;  // every message box of the run
  RunOutcome outcome = RunOutcome::Completed;
  std::vector<InputFacts> inputs;      // as the run started, and what changed
  std::optional<ReportRecord> report;  // a batch run's --report
};

}  // namespace xkm
