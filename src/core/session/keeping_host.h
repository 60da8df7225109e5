#pragma once

#include <string>
#include <vector>

#include "core/session/host.h"
#include "core/session/run_observer.h"

namespace xkm {

// A host without a user interface: it keeps the text of each box a run
// would show, answers every question No and cancels every dialog. For what
// runs beside a window or without one and must not ask: a preview, the
// benchmarks, the fuzzers.
class KeepingHost : public Host, public RunObserver {
 public:
  void showMessage(const std::string& text, const std::string& /*title*/) override {
    messages.push_back(text);
  }
  bool askYesNo(const std::string& /*text*/, const std::string& /*title*/) override {
    return false;
  }
  void processEvents() override {}
  void setBusyPointer(bool /*busy*/) override {}
  RunObserver& observer() override { return *this; }
  void appendStateRow(const StateRow& /*row*/) override {}
  InputDialogResult showInputDialog() override { return {}; }

  std::vector<std::string> messages;
};

}  // namespace xkm
