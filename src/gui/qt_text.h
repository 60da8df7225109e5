#pragma once

#include <QFontMetrics>
#include <QString>
#include <QWidget>
#include <string>

namespace xkm {

inline QString ToQ(const std::string& text) {
  return QString::fromStdString(text);
}
inline std::string FromQ(const QString& text) {
  return text.toStdString();
}

// Widths given in characters of the widget's font, as the grids count them.
inline int CharactersWide(const QWidget& widget, double characters) {
  return static_cast<int>(characters * QFontMetrics(widget.font()).averageCharWidth() + 0.5);
}

}  // namespace xkm
