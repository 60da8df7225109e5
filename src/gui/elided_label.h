#pragma once

#include <QLabel>

namespace xkm {

// A one-line label that shortens its text to the width it gets, so that a
// narrow window keeps its status bar in order; text() stays whole, which is
// what a screen reader reads. A text that fits is drawn by QLabel itself, so
// that it can still be selected.
class ElidedLabel : public QLabel {
  Q_OBJECT

 public:
  // Shortened no further than `fewestCharacters`, or the whole text where it
  // is shorter: the layout squeezes the other labels first.
  ElidedLabel(Qt::TextElideMode mode, double fewestCharacters, QWidget* parent = nullptr);

  // The text as it is drawn at the current width.
  QString shownText() const;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Qt::TextElideMode mode_;
  double fewestCharacters_;
};

}  // namespace xkm
