#pragma once

#include <QStyledItemDelegate>
#include <QTableWidget>

namespace xkm {

// The grid of the user data form. Tab moves from value cell to value cell;
// moving forward out of the last one is reported, backward out of the first
// one does nothing.
class UserDataGrid : public QTableWidget {
  Q_OBJECT

 public:
  static constexpr int kValueColumn = 3;

  explicit UserDataGrid(QWidget* parent = nullptr);

  // Hands the text of an open editor to its cell and closes the editor.
  void commitOpenEditor();

  // The width the widest cell of a column needs.
  using QTableWidget::sizeHintForColumn;

  // Room for every row and column without scroll bars.
  QSize sizeHint() const override;

 signals:
  void leftLastCell();

 protected:
  QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
};

// Value cells are edited in a line that takes at most a given number of characters.
class LimitedLineDelegate : public QStyledItemDelegate {
 public:
  LimitedLineDelegate(int maxLength, QObject* parent)
      : QStyledItemDelegate(parent), maxLength_(maxLength) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;

 private:
  int maxLength_;
};

}  // namespace xkm
