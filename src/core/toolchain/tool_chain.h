#pragma once

#include <functional>
#include <string>

#include "core/session/context.h"

namespace xkm {

using UpdateStateHandler = std::function<void(const std::string& text)>;

// What the runner calls steps on: by name, at run time.
class StepTarget {
 public:
  virtual ~StepTarget() = default;
  virtual void CallByName(const std::string& name) = 0;
};

// The process steps the runner calls by name, one fresh object per run. A step
// takes no arguments, reports progress through UpdateState and stops the whole
// process only by throwing an Error (number 60000 with a text).
class clsToolChain : public StepTarget {
 public:
  clsToolChain(Context& context, UpdateStateHandler updateState);

  // Calls the public step whose name equals `name` without regard to ASCII
  // case. A name that is no step raises error 438.
  void CallByName(const std::string& name) override;
  static bool IsStep(const std::string& name);

 private:
  void UpdateState(const std::string& text);

  Context& ctx_;
  UpdateStateHandler updateState_;
};

}  // namespace xkm
