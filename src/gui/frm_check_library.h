#pragma once

#include <QDialog>
#include <string>

#include "core/session/app_state.h"
#include "core/session/host.h"

class QLabel;
class QTableWidget;

namespace xkm {

// The findings of a library check, one row each: severity, line, column and
// text, with a count above them. The check runs when the form is made.
class frmCheckLibrary : public QDialog {
  Q_OBJECT

 public:
  enum Column { kSeverityColumn = 0, kLineColumn, kColumnColumn, kTextColumn };

  explicit frmCheckLibrary(const std::string& libraryPath, QWidget* parent = nullptr);

  QTableWidget* findingList() const { return list_; }
  QLabel* summary() const { return summary_; }

 private:
  void fill(const std::string& libraryPath);
  void SetUpCopy();
  void copyRows();

  QLabel* summary_ = nullptr;
  QTableWidget* list_ = nullptr;
};

inline constexpr const char* kCheckLibraryTitle = "Check library";

// The File menu's "Check library…": checks the library a run would load (the
// one "*.lbr" file beside the executable) and shows the findings without
// blocking the window; with none or several there, says so as a run would.
void ShowLibraryCheck(QWidget* parent, const AppState& app, Host& host);

}  // namespace xkm
