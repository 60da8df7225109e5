#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/session/context.h"
#include "core/session/step_target.h"
#include "core/shell/message_log_host.h"
#include "core/shell/process_step.h"
#include "core/shell/run_record.h"

namespace xkm {

// Runs the steps of the process list one after another on a fresh tool chain,
// turns their reports into state rows and stops between steps on request.
class Runner {
 public:
  using StepTargetFactory = xkm::StepTargetFactory;

  // `makeToolChain` makes the object of each run (MakeToolChain for a real one).
  Runner(Context& context, StepTargetFactory makeToolChain);

  void setSteps(std::vector<ProcessStep> steps);
  const std::vector<ProcessStep>& steps() const { return steps_; }

  // Runs every step; a step's error ends the run with an "Error" box. At the
  // end the run is appended to the trace log when the program's INI file
  // names one. Calling it while a run is in progress does nothing (returns
  // Failed).
  RunOutcome RunProcess();
  // Called at the end of a run, before its trace line is written, so that the
  // line can tell what became of the run's report (RunRecord::report).
  void setBeforeTrace(std::function<void(RunRecord&)> beforeTrace) {
    beforeTrace_ = std::move(beforeTrace);
  }
  // What the last run did (steps, messages, times, outcome).
  const RunRecord& lastRun() const { return record_; }
  bool running() const { return running_; }

  // The Stop button: sets StopRequested and reports "Canceled by user".
  void Stop();

  // A step report: one state row naming the step shown at that moment.
  void ToolChain_UpdateState(const std::string& text);

 private:
  // Calls the steps in order until one fails or a Stop was asked for.
  RunOutcome RunSteps();
  // An input that changed during the run makes its container doubtful: a
  // message names it.
  void ReportChangedInputs();
  // The text of the process display's current cell.
  std::string currentCellText() const;

  // The steps see the user interface through a host that keeps every
  // message for the run's record.
  MessageLogHost host_;
  Context ctx_;
  std::vector<ProcessStep> steps_;
  StepTargetFactory makeToolChain_;
  std::unique_ptr<StepTarget> ToolChain;
  int currentColumn_ = -1;
  // The rows of the process display whose cell is current while a step runs.
  enum class ProcessRow { Display, Name, Help };
  ProcessRow currentRow_ = ProcessRow::Help;
  bool running_ = false;
  RunRecord record_;
  std::function<void(RunRecord&)> beforeTrace_;
};

// The local time as ISO 8601 text, for the "Start" column.
std::string LocalTimestamp();

}  // namespace xkm
