#include "gui/table_rows.h"

#include <QItemSelectionModel>
#include <QStringList>
#include <algorithm>

namespace xkm {

QString RowsAsText(const QTableWidget& table, WhichRows which, const QList<int>& columns,
                   const std::function<QString(const QTableWidgetItem&)>& cellText) {
  QList<int> rows;
  if (which == WhichRows::Chosen)
    for (const QModelIndex& index : table.selectionModel()->selectedRows()) rows << index.row();
  if (rows.isEmpty())
    for (int row = 0; row < table.rowCount(); ++row) rows << row;
  std::sort(rows.begin(), rows.end());
  QString text;
  for (int row : rows) {
    QStringList cells;
    for (int column : columns) cells << cellText(*table.item(row, column));
    text += cells.join('\t') + '\n';
  }
  return text;
}

}  // namespace xkm
