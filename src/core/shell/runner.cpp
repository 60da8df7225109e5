#include "core/shell/runner.h"

#include <ctime>

#include "core/platform/error.h"
#include "core/platform/os/system_info.h"
#include "core/resources/message_ids.h"
#include "core/shell/run_trace.h"

namespace xkm {

std::string LocalTimestamp() {
  const std::tm local = LocalCalendarTime(std::time(nullptr));
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S", &local);
  return buffer;
}

Runner::Runner(Context& context, StepTargetFactory makeToolChain)
    : host_(context.host),
      ctx_{context.app, context.session, host_},
      makeToolChain_(std::move(makeToolChain)) {}

void Runner::setSteps(std::vector<ProcessStep> steps) {
  steps_ = std::move(steps);
  // Filling the display leaves the help cell of the last step current.
  currentColumn_ = static_cast<int>(steps_.size()) - 1;
  currentRow_ = ProcessRow::Help;
}

std::string Runner::currentCellText() const {
  if (currentColumn_ < 0 || currentColumn_ >= static_cast<int>(steps_.size())) return {};
  const ProcessStep& step = steps_[static_cast<size_t>(currentColumn_)];
  switch (currentRow_) {
    case ProcessRow::Display:
      return step.display;
    case ProcessRow::Name:
      return step.name;
    case ProcessRow::Help:
      break;
  }
  return step.help;
}

void Runner::ToolChain_UpdateState(const std::string& text) {
  ctx_.host.observer().appendStateRow(StateRow{currentCellText(), LocalTimestamp(), text});
}

void Runner::Stop() {
  ctx_.app.StopRequested = true;
  // A second request only hurries a running tool; the row says it once.
  if (++ctx_.app.StopPresses == 1) ToolChain_UpdateState("Canceled by user");
}

void Runner::ReportChangedInputs() {
  MarkChangedInputs(record_.inputs);
  for (const InputFacts& input : record_.inputs)
    if (input.changed)
      ctx_.host.showMessage(std::to_string(msg::kInputChanged) + " " +
                                ctx_.message(msg::kInputChanged, {{"file", input.path}}),
                            kApplicationTitle);
}

namespace {

// Sets a flag for as long as the object lives: a run that ends by an
// exception never leaves the window thinking it still runs.
class RaisedFlag {
 public:
  explicit RaisedFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~RaisedFlag() { flag_ = false; }
  RaisedFlag(const RaisedFlag&) = delete;
  RaisedFlag& operator=(const RaisedFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace

RunOutcome Runner::RunProcess() {
  if (running_) return RunOutcome::Failed;
  const RaisedFlag running(running_);
  ToolChain =
      makeToolChain_(ctx_, [this](const std::string& text) { ToolChain_UpdateState(text); });
  ctx_.session.beginRun();
  ctx_.app.StopPresses = ctx_.app.StopRequested ? 1 : 0;
  record_ = RunRecord{};
  record_.start = std::chrono::system_clock::now();
  // Before the first step, so that the trace names the files the run used.
  const bool traced = !TraceLogPath(ctx_.app).empty();
  record_.inputs = TakeInputFacts(ctx_.app, traced);
  host_.messages().clear();
  ctx_.host.observer().runStarted();
  ctx_.host.observer().clearStateRows();

  const RunOutcome outcome = RunSteps();
  ToolChain->RunEnded(outcome == RunOutcome::Completed);
  ReportChangedInputs();
  record_.end = std::chrono::system_clock::now();
  record_.outcome = outcome;
  record_.messages = host_.messages();
  if (beforeTrace_) beforeTrace_(record_);
  // Written while the folder is still claimed, so that the trace describes
  // the container as this run left it.
  AppendRunTrace(ctx_, record_);
  // The working folder is free for the next run, here or elsewhere.
  ctx_.session.folderLock.release();
  ctx_.host.observer().setHelpText("");
  ctx_.host.observer().runFinished();
  return outcome;
}

RunOutcome Runner::RunSteps() {
  try {
    for (size_t i = 0; i < steps_.size(); ++i) {
      const int column = static_cast<int>(i);
      currentColumn_ = column;
      currentRow_ = ProcessRow::Display;
      ctx_.host.observer().stepStarted(column);
      ctx_.host.observer().setHelpText(steps_[i].help);
      currentRow_ = ProcessRow::Name;
      record_.steps.push_back({steps_[i].name, steps_[i].display, StepOutcome::Failed, ""});
      ToolChain->CallByName(steps_[i].name);
      record_.steps.back().outcome = StepOutcome::Completed;
      currentRow_ = ProcessRow::Display;
      ctx_.host.observer().stepFinished(column);
      currentRow_ = ProcessRow::Name;
      ctx_.host.processEvents();
      ctx_.host.processEvents();
      if (ctx_.app.StopRequested) return RunOutcome::Stopped;
    }
    return RunOutcome::Completed;
  } catch (const std::exception& e) {
    // Anything that is not one of our errors is still the step's failure;
    // one that follows a tool ended on request is the stop itself.
    const Error error = AsError(e);
    if (!record_.steps.empty()) record_.steps.back().error = error.numberAndDescription();
    if (ctx_.session.endedByStop) return RunOutcome::Stopped;
    ctx_.host.showMessage(error.numberAndDescription(), "Error");
    return RunOutcome::Failed;
  }
}

}  // namespace xkm
