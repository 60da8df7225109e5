#include "gui/frm_preview.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/platform/error.h"
#include "core/platform/text/cp1252.h"
#include "core/preview/preview_folder.h"
#include "core/session/config_names.h"
#include "core/session/context.h"
#include "core/session/keeping_host.h"
#include "gui/qt_text.h"

namespace xkm {
namespace {

QPlainTextEdit* TextPage(const QString& text, const QString& name) {
  auto* page = new QPlainTextEdit(text);
  page->setReadOnly(true);
  page->setLineWrapMode(QPlainTextEdit::NoWrap);
  page->setAccessibleName(name);
  return page;
}

std::string Overview(const OrderPreview& preview, const Session& session,
                     const std::vector<std::string>& messages) {
  std::string text = "Layout: " + session.prepared.layout +
                     "\nECU: " + ValueOf(session.DataTable, data::kEcu) +
                     "\nConfiguration: " + ValueOf(session.ConfigTable, config::kConfigNum) +
                     "\n\nLayout rules tried:\n";
  for (const LayoutTraceEntry& entry : session.layoutTrace)
    text += "  rule " + std::to_string(entry.position) +
            (entry.matched ? std::string(" matched")
                           : ": " + entry.condition + " expected \"" + entry.expected +
                                 "\", found \"" + entry.actual + "\"") +
            "\n";
  text += "\nTool command lines, in order:\n";
  for (const std::string& line : preview.commandLines) text += "  " + line + "\n";
  text += "\nMessages a run would show:\n";
  for (const std::string& message : messages) text += "  " + message + "\n";
  if (messages.empty()) text += "  none\n";
  return text;
}

}  // namespace

frmPreview::frmPreview(const OrderPreview& preview, const Session& session,
                       const std::vector<std::string>& messages, QWidget* parent)
    : QDialog(parent), files_(preview.files) {
  setObjectName("frmPreview");
  setWindowTitle(kPreviewTitle);
  summary_ = new QLabel(this);
  summary_->setObjectName("lblPreviewSummary");
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  summary_->setWordWrap(true);
  summary_->setText(preview.reachesTools
                        ? ToQ("A run would reach its tools with these files. Nothing was written.")
                        : ToQ("A run would stop before its tools: " + preview.failure));
  summary_->setAccessibleName(summary_->text());
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("tabPreview");
  tabs_->addTab(TextPage(ToQ(Overview(preview, session, messages)), "Layout"), "&Layout");
  for (const PreviewFile& file : preview.files)
    tabs_->addTab(TextPage(ToQ(DecodeCp1252(file.bytes)), ToQ(file.name)), ToQ(file.name));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  QPushButton* save = buttons->addButton("&Save to folder…", QDialogButtonBox::ActionRole);
  save->setObjectName("btnSavePreview");
  save->setEnabled(!files_.empty());
  connect(save, &QPushButton::clicked, this, &frmPreview::saveClicked);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
  resize(900, 500);
}

std::string frmPreview::saveTo(const std::string& folder) const {
  if (std::string refusal = PrepareEmptyFolder(folder); !refusal.empty()) return refusal;
  try {
    WritePreviewFiles(folder, files_);
  } catch (const Error& e) {
    return folder + ": " + e.numberAndDescription();
  }
  return {};
}

void frmPreview::saveClicked() {
  const QString folder = QFileDialog::getExistingDirectory(this, "Save the preview into a folder");
  if (folder.isEmpty()) return;
  const std::string refusal = saveTo(folder.toStdString());
  QMessageBox::information(this, kPreviewTitle,
                           refusal.empty() ? "Saved in " + folder : ToQ(refusal));
}

void ShowPreview(QWidget* parent, AppState& app, const std::vector<ProcessStep>& steps) {
  KeepingHost host;
  Session session;
  Context context{app, session, host};
  const OrderPreview preview = PreviewOrder(context, steps);
  auto* form = new frmPreview(preview, session, host.messages, parent);
  form->setAttribute(Qt::WA_DeleteOnClose);
  form->open();
}

}  // namespace xkm
