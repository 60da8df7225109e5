#pragma once

#include <QTableWidget>
#include <vector>

#include "core/session/host.h"
#include "core/shell/process_step.h"
#include "gui/table_rows.h"

class QAction;

namespace xkm {

// The Reports tab: one row per report of the run (step, time, text), each
// text whole as its tooltip. Ctrl+C and the context menu copy whole rows;
// the context menu also offers "Save report…", which the window carries out.
class ReportGrid : public QTableWidget {
 public:
  explicit ReportGrid(QWidget* parent = nullptr);

  // The newest row comes into view without sliding the grid sideways.
  void appendRow(const StateRow& row);
  // The step column wide enough for every step's name.
  void fitStepNames(const std::vector<ProcessStep>& steps);
  // The column names, then those rows, tab-separated, with the whole texts
  // and the date of each.
  QString text(WhichRows which) const;
  QAction& saveAction() const { return *save_; }

 private:
  QString rows(WhichRows which) const;

  QAction* save_ = nullptr;
};

}  // namespace xkm
