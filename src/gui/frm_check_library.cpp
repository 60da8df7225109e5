#include "gui/frm_check_library.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <vector>

#include "core/check/library_check.h"
#include "core/platform/error.h"
#include "core/platform/file_system.h"
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

// The library a run would load: the one name ending in ".lbr" (compared as a
// run compares it); empty when there is none or several.
std::string LibraryBesideExecutable(const AppState& app) {
  std::vector<std::string> found;
  try {
    for (const std::string& name : fs::ListFiles(app.ExecutableFolder))
      if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".lbr") == 0) found.push_back(name);
  } catch (const Error&) {
    return {};
  }
  return found.size() == 1 ? app.ExecutableFolder + fs::kSeparator + found.front() : std::string();
}

}  // namespace

frmCheckLibrary::frmCheckLibrary(const std::string& libraryPath, QWidget* parent)
    : QDialog(parent) {
  setObjectName("frmCheckLibrary");
  setWindowTitle("Check library - " + QFileInfo(ToQ(libraryPath)).fileName());
  summary_ = new QLabel(this);
  summary_->setObjectName("lblSummary");
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  list_ = new QTableWidget(0, 4, this);
  list_->setObjectName("lstFindings");
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
  summary_->setText(ToQ(libraryPath) + ": " + Counted(errors, "error") + ", " +
                    Counted(warnings, "warning"));
}

void ShowLibraryCheck(QWidget* parent, const AppState& app) {
  std::string path = LibraryBesideExecutable(app);
  if (path.empty()) {
    path = FromQ(QFileDialog::getOpenFileName(parent, "Check library", ToQ(app.ExecutableFolder),
                                              "Library (*.lbr *.LBR);;All files (*)"));
    if (path.empty()) return;
  }
  auto* form = new frmCheckLibrary(path, parent);
  form->setAttribute(Qt::WA_DeleteOnClose);
  form->open();
}

}  // namespace xkm
