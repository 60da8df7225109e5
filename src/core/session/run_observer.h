#pragma once

#include <string>
#include <vector>

#include "core/session/tool_run.h"

namespace xkm {

// One row of the state display: the step shown at the moment of the report,
// the local time it was made (ISO 8601) and the report text.
struct StateRow {
  std::string modul;
  std::string start;
  std::string action;
};

// What a run shows while it goes on: the state display's rows and the
// process display. The window implements it itself; the batch mode prints
// the rows.
class RunObserver {
 public:
  virtual ~RunObserver() = default;

  virtual void appendStateRow(const StateRow& row) = 0;
  virtual void clearStateRows() {}
  virtual void runStarted() {}                  // Stop enabled, help pane shows text
  virtual void stepStarted(int /*column*/) {}   // the step's cell turns green
  virtual void stepFinished(int /*column*/) {}  // the step's cell back to rest colour
  virtual void setHelpText(const std::string& /*text*/) {}
  virtual void runFinished() {}  // help text cleared, Stop disabled
  // The run's external tools so far, each time one starts (`running`) or ends.
  virtual void toolRunsChanged(const std::vector<ToolRun>& /*runs*/) {}
};

}  // namespace xkm
