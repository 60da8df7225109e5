#include "gui/user_data_grid.h"

#include <QHeaderView>
#include <QLineEdit>

namespace xkm {

UserDataGrid::UserDataGrid(QWidget* parent) : QTableWidget(parent) {}

void UserDataGrid::commitOpenEditor() {
  if (QWidget* editor = indexWidget(currentIndex())) {
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

QSize UserDataGrid::sizeHint() const {
  const int frame = 2 * frameWidth();
  const int header = horizontalHeader()->isHidden() ? 0 : horizontalHeader()->sizeHint().height();
  return {horizontalHeader()->length() + frame, verticalHeader()->length() + header + frame};
}

// A click on the cell that is already current would open its editor only
// after the double-click interval, and keys typed meanwhile would be lost:
// the editor opens at once, so every keystroke lands in it.
bool UserDataGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  if (trigger == SelectedClicked) trigger = CurrentChanged;
  return QTableWidget::edit(index, trigger, event);
}

QModelIndex UserDataGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
  const QModelIndex current = currentIndex();
  if (!current.isValid() || (cursorAction != MoveNext && cursorAction != MovePrevious))
    return QTableWidget::moveCursor(cursorAction, modifiers);

  const int step = cursorAction == MoveNext ? 1 : -1;
  const int row = current.row() + step;
  if (row >= rowCount()) {
    emit leftLastCell();
    return {};
  }
  if (row < 0) return current;
  return model()->index(row, kValueColumn);
}

QWidget* LimitedLineDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
  QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
  if (auto* line = qobject_cast<QLineEdit*>(editor)) line->setMaxLength(maxLength_);
  return editor;
}

}  // namespace xkm
