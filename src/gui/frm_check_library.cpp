#include "gui/frm_check_library.h"

#include <QAction>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "core/check/library_check.h"
#include "core/library/library_loader.h"
#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/resources/message_ids.h"
#include "gui/qt_text.h"
#include "gui/table_rows.h"

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
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // A finding's text is read whole: it wraps within the dialog's width, and
  // its rows grow with it whenever that width changes.
  list_->horizontalHeader()->setStretchLastSection(true);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setWordWrap(true);
  connect(list_->horizontalHeader(), &QHeaderView::sectionResized, list_, [this](int column) {
    if (column == kTextColumn) list_->resizeRowsToContents();
  });
  SetUpCopy();
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
  for (int column : {kSeverityColumn, kLineColumn, kColumnColumn})
    list_->resizeColumnToContents(column);
  list_->resizeRowsToContents();
  const int warnings = list_->rowCount() - errors;
  list_->setVisible(!findings.empty());
  summary_->setText(ToQ(libraryPath) + ": " + Counted(errors, "error") + ", " +
                    Counted(warnings, "warning") +
                    (findings.empty() ? " - no problems found" : ""));
}

// Ctrl+C and the context menu copy whole rows, tab-separated, so that a
// finding goes into a mail or a ticket as it stands.
void frmCheckLibrary::SetUpCopy() {
  auto* copy = new QAction("&Copy", list_);
  copy->setObjectName("copyFindings");
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  connect(copy, &QAction::triggered, this, &frmCheckLibrary::copyRows);
  list_->addAction(copy);
  list_->setContextMenuPolicy(Qt::ActionsContextMenu);
}

// The selected rows, or all when none is.
void frmCheckLibrary::copyRows() {
  QList<int> columns;
  for (int column = 0; column < list_->columnCount(); ++column) columns << column;
  QGuiApplication::clipboard()->setText(
      RowsAsText(*list_, WhichRows::Chosen, columns,
                 [](const QTableWidgetItem& item) { return item.text(); }));
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
