#include "core/toolchain/tool_chain.h"

#include <utility>
#include <vector>

#include "core/platform/error.h"
#include "core/platform/text/letter_case.h"
#include "core/resources/message_ids.h"
#include "core/session/conversions.h"

namespace xkm {
namespace {

using Step = void (clsToolChain::*)();

struct StepEntry {
  const char* name;
  Step step;
};

// The public steps, the only methods the process list may name.
const std::vector<StepEntry>& Steps() {
  static const std::vector<StepEntry> steps = {
      {step::kInit, &clsToolChain::Init},
      {step::kReadLogisticData, &clsToolChain::READ_LOGISTIC_DATA},
      {step::kConversion, &clsToolChain::RUN_BCB_CONVERSION},
      {step::kPacking, &clsToolChain::RUN_BCB2MIM_CONVERSION},
      {step::kContainer, &clsToolChain::BuildXKMContainer},
      {step::kCleanUp, &clsToolChain::CLEANUPSESSION},
      {step::kSgoConversion, &clsToolChain::BuildSGOContainer},
  };
  return steps;
}

const StepEntry* FindStep(const std::string& name) {
  for (const StepEntry& entry : Steps())
    if (EqualsIgnoringCase(entry.name, name)) return &entry;
  return nullptr;
}

}  // namespace

void RequirePreparedSession(const Session& session) {
  if (!session.preparationFailure.empty())
    throw Error(msg::kFailure, "No session was prepared: " + session.preparationFailure);
}

std::unique_ptr<StepTarget> MakeToolChain(Context& context, UpdateStateHandler updateState) {
  return std::make_unique<clsToolChain>(context, std::move(updateState));
}

clsToolChain::clsToolChain(Context& context, UpdateStateHandler updateState)
    : ctx_(context), updateState_(std::move(updateState)) {}

void clsToolChain::CallByName(const std::string& name) {
  const StepEntry* entry = FindStep(name);
  if (entry == nullptr) throw platform_error::ObjectDoesNotSupport("clsToolChain");
  currentStep_ = entry->name;
  (this->*(entry->step))();
}

void clsToolChain::UpdateState(const std::string& text) {
  if (updateState_) updateState_(text);
}

}  // namespace xkm
