#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "core/platform/os/user_store.h"
#include "core/shell/runner.h"
#include "gui/qt_host.h"
#include "support/recording_host.h"
#include "support/scratch_folder.h"
#include "support/scripted_steps.h"
#include "support/store_sandbox.h"

namespace xkm::test {

// Stands in for every modal box and form, so that no test waits for a click.
struct PromptRecorder {
  std::vector<RecordedMessage> messages;
  int forms = 0;            // user-data forms opened
  InputDialogResult input;  // what the input dialog hands back

  Prompts prompts() {
    Prompts p;
    p.message = [this](const std::string& text, const std::string& title) {
      messages.push_back({title, text});
    };
    p.question = [](const std::string&, const std::string&) { return false; };
    p.inputDialog = [this] { return input; };
    p.userDataForm = [this](SessionTable&, int) { return ++forms, true; };
    return p;
  }
};

template <typename T>
T* Child(const QObject& parent, const char* name) {
  T* child = parent.findChild<T*>(name);
  EXPECT_NE(child, nullptr) << "no child named " << name;
  return child;
}

// Runs `act` on the modal window that opens next, from inside its event loop;
// whatever `act` leaves open is closed afterwards, so no test can hang on it.
inline void WhenModalOpens(std::function<void(QWidget&)> act) {
  QTimer::singleShot(0, [act = std::move(act)] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) {
      ADD_FAILURE() << "no modal window opened";
      return;
    }
    QApplication::setActiveWindow(modal);
    act(*modal);
    if (modal->isVisible()) modal->close();
  });
}

// A click on a cell and typing straight after it, as an operator does.
inline void ClickAndType(QTableWidget& grid, int row, int column, const QString& text) {
  const QRect cell = grid.visualRect(grid.model()->index(row, column));
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
  QWidget* focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr) << "nothing has the keyboard focus";
  QTest::keyClicks(focus, text);
}

inline std::string CellText(const QTableWidget& grid, int row, int column) {
  const QTableWidgetItem* item = grid.item(row, column);
  return item ? item->text().toStdString() : std::string();
}

}  // namespace xkm::test
