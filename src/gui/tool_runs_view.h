#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "core/session/tool_run.h"

class QPlainTextEdit;
class QTableWidget;

namespace xkm {

// The external tools of the current or last run, one row each (step, tool,
// how it ended, duration, command line), added as each starts; the chosen
// row's output below. It answers why a step found no file where the step's
// own message only says that, and shows a tool that hangs while it hangs.
class ToolRunsView : public QWidget {
  Q_OBJECT

 public:
  explicit ToolRunsView(QWidget* parent = nullptr);

  // Takes a copy, so later runs do not change what is shown. A running tool
  // shows its time so far, counted on.
  void showRuns(const std::vector<ToolRun>& runs);

  // "running", "exit 0", "failed: exit 2", "failed: signal 15",
  // "not started: No such file or directory".
  static QString ResultText(const ToolRun& run);
  static bool Failed(const ToolRun& run);

 private:
  void selectRun(int row);
  void showOutput(int row);
  void showRunningTime();

  std::vector<ToolRun> runs_;
  QTableWidget* runsView_;
  QPlainTextEdit* output_;
  QTimer ticker_;
  QElapsedTimer runningFor_;
};

}  // namespace xkm
