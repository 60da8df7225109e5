#include "gui/user_data_grid.h"

#include <QLineEdit>

namespace xkm {

UserDataGrid::UserDataGrid(QWidget* parent) : QTableWidget(parent) {}

void UserDataGrid::commitOpenEditor() {
  if (QWidget* editor = indexWidget(currentIndex())) {
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
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
