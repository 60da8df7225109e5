#include "gui/frm_check_library.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <vector>

#include "core/check/library_check.h"
#include "core/library/library_loader.h"
#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/resources/message_ids.h"
#include "gui/qt_text.h"

namespace xkm {
namespace {

QTableWidgetItem* Cell(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  return item;
}

QString Counted(int count, const char* what) {
  return QString("%1 %2%3").arg(count).arg(what).arg(count == 1 ? "" : "s");
}

}  // namespace

frmCheckLibrary::frmCheckLibrary(const std::string& libraryPath, QWidget* parent)
    : QDialog(parent) {
  setObjectName("frmCheckLibrary");
  setWindowTitle(QString(kCheckLibraryTitle) + " - " + QFileInfo(ToQ(libraryPath)).fileName());
  summary_ = new QLabel(this);
  summary_->setObjectName("lblSummary");
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  list_ = new QTableWidget(0, 4, this);
  list_->setObjectName("lstFindings");
  list_->setAccessibleName("Findings");
  list_->setHorizontalHeaderLabels({"Severity", "Line", "Column", "Text"});
  list_->verticalHeader()->hide();
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->horizontalHeader()->setStretchLastSection(true);
  list_->setWordWrap(false);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_);
  layout->addWidget(list_);
  layout->addWidget(buttons);
  resize(900, 400);
  fill(libraryPath);
}

void frmCheckLibrary::fill(const std::string& libraryPath) {
  std::vector<Finding> findings;
  try {
    findings = CheckLibraryFile(libraryPath);
  } catch (const Error& e) {
    summary_->setText(ToQ(libraryPath + ": " + e.numberAndDescription()));
    return;
  }
  int errors = 0;
  list_->setRowCount(static_cast<int>(findings.size()));
  for (int row = 0; row < list_->rowCount(); ++row) {
    const Finding& finding = findings[static_cast<size_t>(row)];
    if (finding.severity == Severity::Error) ++errors;
    list_->setItem(row, kSeverityColumn, Cell(SeverityName(finding.severity)));
    list_->setItem(row, kLineColumn, Cell(QString::number(finding.line)));
    list_->setItem(row, kColumnColumn, Cell(QString::number(finding.column)));
    list_->setItem(row, kTextColumn, Cell(ToQ(finding.text)));
    list_->item(row, kTextColumn)->setToolTip(ToQ(finding.text));
  }
  list_->resizeColumnsToContents();
  const int warnings = list_->rowCount() - errors;
  list_->setVisible(!findings.empty());
  summary_->setText(ToQ(libraryPath) + ": " + Counted(errors, "error") + ", " +
                    Counted(warnings, "warning") +
                    (findings.empty() ? " - no problems found" : ""));
}

// The library a run would load, or why a run would find none: the check is
// of the installation, not of some file.
void ShowLibraryCheck(QWidget* parent, const AppState& app, Host& host) {
  const std::string& folder = app.ExecutableFolder;
  std::vector<std::string> found;
  std::string problem;
  try {
    found = LibraryFilesIn(folder);
  } catch (const Error& e) {
    problem = e.description();
  }
  if (problem.empty() && found.size() == 1) {
    auto* form = new frmCheckLibrary(folder + fs::kSeparator + found.front(), parent);
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->open();
    return;
  }
  if (problem.empty()) {
    problem = found.empty() ? "No library (*.lbr) in " + folder
                            : std::to_string(found.size()) + " libraries (*.lbr) in " + folder +
                                  ", where a run needs one:";
    for (const std::string& name : found) problem += "\r\n" + name;
  }
  host.showMessage(
      problem + "\r\n\r\nA run stops at " + std::to_string(msg::kNoOrSeveralLibraries) + ".",
      kCheckLibraryTitle);
}

}  // namespace xkm
