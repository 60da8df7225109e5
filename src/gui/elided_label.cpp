#include "gui/elided_label.h"

#include <QPainter>
#include <QStyle>
#include <algorithm>

#include "gui/qt_text.h"

namespace xkm {

ElidedLabel::ElidedLabel(Qt::TextElideMode mode, double fewestCharacters, QWidget* parent)
    : QLabel(parent), mode_(mode), fewestCharacters_(fewestCharacters) {}

QString ElidedLabel::shownText() const {
  return fontMetrics().elidedText(text(), mode_, contentsRect().width());
}

QSize ElidedLabel::minimumSizeHint() const {
  const QSize whole = QLabel::minimumSizeHint();
  return {std::min(whole.width(), CharactersWide(*this, fewestCharacters_)), whole.height()};
}

void ElidedLabel::paintEvent(QPaintEvent* event) {
  const QString shown = shownText();
  if (shown == text()) {
    QLabel::paintEvent(event);
    return;
  }
  QPainter painter(this);
  drawFrame(&painter);
  style()->drawItemText(
      &painter, contentsRect(),
      static_cast<int>(QStyle::visualAlignment(layoutDirection(), alignment()).toInt()), palette(),
      isEnabled(), shown, foregroundRole());
}

}  // namespace xkm
