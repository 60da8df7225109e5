#pragma once

#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#include "core/session/session.h"

class QListWidget;
class QTableWidget;

namespace xkm {

// A read-only look at the session tables as a run left them: the list of
// tables on the left, the chosen table's rows on the right.
class SessionView : public QWidget {
  Q_OBJECT

 public:
  explicit SessionView(QWidget* parent = nullptr);

  // Takes a copy of the tables, so later runs do not change what is shown.
  void showTables(const Session& session, const SessionTable& userInfo);

  QStringList tableNames() const;
  // Shows the named table; false when there is none of that name.
  bool selectTable(const QString& name);
  const QTableWidget& rowsView() const { return *rowsView_; }

 private:
  void showTable(int index);

  std::vector<std::pair<std::string, SessionTable>> tables_;
  QListWidget* tableList_;
  QTableWidget* rowsView_;
};

}  // namespace xkm
