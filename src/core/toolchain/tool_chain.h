#pragma once

#include <functional>
#include <string>

#include "core/session/context.h"
#include "core/session/session.h"
#include "core/session/step_target.h"

namespace xkm {

// The names of the process steps, as the process list names them.
namespace step {
inline constexpr const char* kInit = "Init";
inline constexpr const char* kReadLogisticData = "READ_LOGISTIC_DATA";
inline constexpr const char* kConversion = "RUN_BCB_CONVERSION";
inline constexpr const char* kPacking = "RUN_BCB2MIM_CONVERSION";
inline constexpr const char* kContainer = "BuildXKMContainer";
inline constexpr const char* kCleanUp = "CLEANUPSESSION";
inline constexpr const char* kSgoConversion = "BuildSGOContainer";
}  // namespace step

// The process steps the runner calls by name, one fresh object per run. A step
// takes no arguments, reports progress through UpdateState and stops the whole
// process only by throwing an Error (number msg::kFailure with a text).
class clsToolChain : public StepTarget {
 public:
  clsToolChain(Context& context, UpdateStateHandler updateState);

  // Calls the public step whose name equals `name` without regard to ASCII
  // case. A name that is no step raises error 438.
  void CallByName(const std::string& name) override;

  void Init();
  void READ_LOGISTIC_DATA();
  void RUN_BCB_CONVERSION();
  void RUN_BCB2MIM_CONVERSION();
  void BuildXKMContainer();
  void CLEANUPSESSION();
  void BuildSGOContainer();

  // A run that failed or was stopped leaves no container or SGO file of an
  // earlier run under the names of its order.
  void RunEnded(bool completed) override;

 private:
  // SetAsideEarlierOutputs in the folder this run claimed, when a plain file
  // name is known; a failure is shown, the run's outcome stands.
  void SetAsideEarlierOutputsOf(const std::string& name);
  void UpdateState(const std::string& text);
  // Logistic data that name no order: `missing` says what is not there.
  void ShowNoOrder(const char* missing);

  // Runs program + " " + arguments, waits for it to end and records the run
  // in the session under the current step and `toolKey`.
  void RunTool(const std::string& toolKey, const std::string& program, const std::string& arguments,
               const std::string& title);

  Context& ctx_;
  UpdateStateHandler updateState_;
  std::string currentStep_;  // the step CallByName runs, for the tool records
};

// The end of a failed step's text: the run ends there.
inline constexpr const char* kProgramStops = " - program stops!";

// A step that needs the prepared session (its folder, layout and names)
// names why there is none, rather than what is missing because of it, and
// writes nothing: msg::kFailure "No session was prepared: " and the first
// failure of the preparation.
void RequirePreparedSession(const Session& session);

// The value of a session variable of ConfigTable, as the preparation or an
// earlier step wrote it.
inline std::string Config(const Context& ctx, const char* name) {
  return ValueOf(ctx.session.ConfigTable, name);
}

// The tool chain of a real run, for the runner.
std::unique_ptr<StepTarget> MakeToolChain(Context& context, UpdateStateHandler updateState);

}  // namespace xkm
