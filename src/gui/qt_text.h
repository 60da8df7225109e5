#pragma once

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QString>
#include <QStyleOptionViewItem>
#include <QWidget>
#include <cmath>
#include <string>

namespace xkm {

inline QString ToQ(const std::string& text) {
  return QString::fromStdString(text);
}
inline std::string FromQ(const QString& text) {
  return text.toStdString();
}

// The width a grid cell needs to show its text uncut, as its delegate measures it.
inline int CellWidthNeeded(const QAbstractItemView& view, const QModelIndex& index) {
  QStyleOptionViewItem option;
  option.initFrom(&view);
  option.widget = &view;
  return view.itemDelegateForIndex(index)->sizeHint(option, index).width();
}

// Widths given in characters of the widget's font, as the grids count them.
inline int CharactersWide(const QWidget& widget, double characters) {
  return static_cast<int>(std::lround(characters * QFontMetrics(widget.font()).averageCharWidth()));
}

}  // namespace xkm
