#include "core/shell/runner.h"

#include <ctime>

#include "core/platform/error.h"

namespace xkm {

std::string LocalTimestamp() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S", &local);
  return buffer;
}

Runner::Runner(Context& context, StepTargetFactory makeToolChain)
    : ctx_(context), makeToolChain_(std::move(makeToolChain)) {
  if (!makeToolChain_) {
    makeToolChain_ = [](Context& ctx, UpdateStateHandler updateState) {
      return std::make_unique<clsToolChain>(ctx, std::move(updateState));
    };
  }
}

void Runner::setSteps(std::vector<ProcessStep> steps) {
  steps_ = std::move(steps);
  // Filling the display leaves the help cell of the last step current.
  currentColumn_ = static_cast<int>(steps_.size()) - 1;
  currentRow_ = 3;
}

std::string Runner::currentCellText() const {
  if (currentColumn_ < 0 || currentColumn_ >= static_cast<int>(steps_.size())) return {};
  const ProcessStep& step = steps_[currentColumn_];
  switch (currentRow_) {
    case 1:
      return step.display;
    case 2:
      return step.name;
    default:
      return step.help;
  }
}

void Runner::ToolChain_UpdateState(const std::string& text) {
  ctx_.host.appendStateRow(StateRow{currentCellText(), LocalTimestamp(), text});
}

void Runner::Stop() {
  ctx_.app.StopRequested = true;
  ToolChain_UpdateState("Canceled by user");
}

RunOutcome Runner::RunProcess() {
  if (running_) return RunOutcome::Failed;
  running_ = true;
  ToolChain =
      makeToolChain_(ctx_, [this](const std::string& text) { ToolChain_UpdateState(text); });
  ctx_.host.runStarted();
  ctx_.host.clearStateRows();

  RunOutcome outcome = RunOutcome::Completed;
  const size_t count = steps_.size();
  try {
    for (size_t i = 0; i < count; ++i) {
      const int column = static_cast<int>(i);
      currentColumn_ = column;
      currentRow_ = 1;
      ctx_.host.stepStarted(column);
      ctx_.host.setHelpText(steps_[i].help);
      currentRow_ = 2;
      ToolChain->CallByName(steps_[i].name);
      currentRow_ = 1;
      ctx_.host.stepFinished(column);
      currentRow_ = 2;
      ctx_.host.processEvents();
      ctx_.host.processEvents();
      if (ctx_.app.StopRequested) {
        outcome = RunOutcome::Stopped;
        break;
      }
    }
  } catch (const Error& e) {
    ctx_.host.showMessage(e.numberAndDescription(), "Error");
    outcome = RunOutcome::Failed;
  } catch (const std::exception& e) {
    // Anything that is not one of our errors is still the step's failure.
    ctx_.host.showMessage(std::string("51 Internal error: ") + e.what(), "Error");
    outcome = RunOutcome::Failed;
  }
  ctx_.host.setHelpText("");
  ctx_.host.runFinished();
  running_ = false;
  return outcome;
}

}  // namespace xkm
