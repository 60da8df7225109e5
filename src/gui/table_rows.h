#pragma once

#include <QList>
#include <QString>
#include <QTableWidget>
#include <functional>

namespace xkm {

// Which rows a text of a table holds: a copy takes the chosen ones (every
// row when none is), a saved report every row whatever is chosen.
enum class WhichRows { Chosen, All };

// Those rows of `table`, in their order, as tab-separated lines of
// `columns`, each cell read by `cellText`.
QString RowsAsText(const QTableWidget& table, WhichRows which, const QList<int>& columns,
                   const std::function<QString(const QTableWidgetItem&)>& cellText);

}  // namespace xkm
