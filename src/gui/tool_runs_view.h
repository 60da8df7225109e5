#pragma once

#include <QWidget>
#include <vector>

#include "core/session/tool_run.h"

class QPlainTextEdit;
class QTableWidget;

namespace xkm {

// The external tools of the last run, one row each (step, tool, how it ended,
// duration, command line); the chosen row's output below. It answers why a
// step found no file where the step's own message only says that.
class ToolRunsView : public QWidget {
  Q_OBJECT

 public:
  explicit ToolRunsView(QWidget* parent = nullptr);

  // Takes a copy, so later runs do not change what is shown.
  void showRuns(const std::vector<ToolRun>& runs);

  const QTableWidget& runsView() const { return *runsView_; }
  // Shows the output of row `row`.
  void selectRun(int row);
  QString outputText() const;

  // "exit 0", "signal 11", "not started".
  static QString ResultText(const ToolRun& run);

 private:
  void showOutput(int row);

  std::vector<ToolRun> runs_;
  QTableWidget* runsView_;
  QPlainTextEdit* output_;
};

}  // namespace xkm
