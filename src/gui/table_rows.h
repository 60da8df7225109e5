#pragma once

#include <QList>
#include <QString>
#include <QTableWidget>
#include <functional>

namespace xkm {

// The rows chosen in `table` (every row when none is), in their order, as
// tab-separated lines of `columns`, each cell read by `cellText`: what a
// copy or a saved report holds.
QString ChosenRowsAsText(const QTableWidget& table, const QList<int>& columns,
                         const std::function<QString(const QTableWidgetItem&)>& cellText);

}  // namespace xkm
