#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/session/context.h"

namespace xkm {

using UpdateStateHandler = std::function<void(const std::string& text)>;

// What the runner calls steps on: by name, at run time.
class StepTarget {
 public:
  virtual ~StepTarget() = default;
  virtual void CallByName(const std::string& name) = 0;
  // After the last step: whether the run completed (not stopped or failed).
  virtual void RunEnded(bool /*completed*/) {}
};

// Makes the object of one run; the front end chooses which.
using StepTargetFactory = std::function<std::unique_ptr<StepTarget>(Context&, UpdateStateHandler)>;

}  // namespace xkm
