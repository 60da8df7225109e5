#include "gui/session_view.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QSplitter>
#include <QTableWidget>
#include <algorithm>

#include "gui/qt_text.h"

namespace xkm {

SessionView::SessionView(QWidget* parent) : QWidget(parent) {
  setObjectName("SessionView");
  tableList_ = new QListWidget;
  tableList_->setObjectName("SessionTables");
  tableList_->setAccessibleName("Session tables");
  rowsView_ = new QTableWidget;
  rowsView_->setObjectName("SessionRows");
  rowsView_->setAccessibleName("Rows of the chosen table");
  rowsView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  rowsView_->setSelectionBehavior(QAbstractItemView::SelectRows);
  rowsView_->setAlternatingRowColors(true);
  rowsView_->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
  rowsView_->horizontalHeader()->setStretchLastSection(true);

  auto* splitter = new QSplitter;
  splitter->addWidget(tableList_);
  splitter->addWidget(rowsView_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({CharactersWide(*this, 26), CharactersWide(*this, 100)});
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter);

  connect(tableList_, &QListWidget::currentRowChanged, this, &SessionView::showTable);
}

void SessionView::showTables(const Session& session, const SessionTable& userInfo) {
  const int shown = tableList_->currentRow();
  tables_ = {
      {"ConfigTable", session.ConfigTable},     {"SysConstTable", session.SysConstTable},
      {"DataTable", session.DataTable},         {"MemorySegmentTable", session.MemorySegmentTable},
      {"UserDataTable", session.UserDataTable}, {"UserInfoTable", userInfo}};
  tableList_->clear();
  for (const auto& [name, table] : tables_)
    tableList_->addItem(QString("%1 (%2)").arg(ToQ(name)).arg(table.rowCount()));
  // Names and counts uncut, whatever the font.
  tableList_->setMinimumWidth(tableList_->sizeHintForColumn(0) + 2 * tableList_->frameWidth() +
                              CharactersWide(*tableList_, 2));
  tableList_->setCurrentRow(shown < 0 ? 0 : shown);
  showTable(tableList_->currentRow());
}

QStringList SessionView::tableNames() const {
  QStringList names;
  for (const auto& entry : tables_) names << ToQ(entry.first);
  return names;
}

bool SessionView::selectTable(const QString& name) {
  const int index = static_cast<int>(tableNames().indexOf(name));
  if (index < 0) return false;
  tableList_->setCurrentRow(index);
  return true;
}

void SessionView::showTable(int index) {
  rowsView_->clear();
  rowsView_->setRowCount(0);
  if (index < 0 || index >= static_cast<int>(tables_.size())) return;
  const SessionTable& table = tables_[static_cast<size_t>(index)].second;

  QStringList headers;
  for (const std::string& column : table.columns()) headers << ToQ(column);
  rowsView_->setColumnCount(static_cast<int>(headers.size()));
  rowsView_->setHorizontalHeaderLabels(headers);
  rowsView_->setRowCount(static_cast<int>(table.rowCount()));
  for (size_t row = 0; row < table.rowCount(); ++row) {
    for (size_t column = 0; column < table.columnCount(); ++column) {
      const SessionTable::Field& field = table.field(row, column);
      auto* item = new QTableWidgetItem(field ? ToQ(*field) : QString());
      if (!field) item->setToolTip("null");
      rowsView_->setItem(static_cast<int>(row), static_cast<int>(column), item);
    }
  }
  rowsView_->resizeColumnsToContents();
  for (int column = 0; column < rowsView_->columnCount(); ++column)
    rowsView_->setColumnWidth(column,
                              std::min(rowsView_->columnWidth(column), CharactersWide(*this, 60)));
}

}  // namespace xkm
