#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/shell/runner.h"

namespace xkm::test {

// Stands in for the tool chain: each step is recorded, reports "in <name>"
// and then does what the test's script says for its name (which may throw, as
// a failing step does).
class ScriptedSteps : public StepTarget {
 public:
  using Script = std::map<std::string, std::function<void(const UpdateStateHandler&)>>;
  ScriptedSteps(UpdateStateHandler report, Script& script, std::vector<std::string>& called)
      : report_(std::move(report)), script_(script), called_(called) {}

  void CallByName(const std::string& name) override {
    called_.push_back(name);
    report_("in " + name);
    if (auto it = script_.find(name); it != script_.end()) it->second(report_);
  }

 private:
  UpdateStateHandler report_;
  Script& script_;
  std::vector<std::string>& called_;
};

}  // namespace xkm::test
