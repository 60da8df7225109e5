#pragma once

#include <QColor>
#include <QPalette>
#include <QTableWidget>

namespace xkm {

// The colour of the window's grids at rest.
inline const QColor kRestColour(255, 224, 192);

inline void PaintBackground(QTableWidget& grid, const QColor& colour) {
  QPalette palette = grid.palette();
  palette.setColor(QPalette::Base, colour);
  grid.setPalette(palette);
}

// A cell that can be chosen and copied, never edited.
inline QTableWidgetItem* ReadOnlyItem(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

}  // namespace xkm
