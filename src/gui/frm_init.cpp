#include "gui/frm_init.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/os/user_store.h"
#include "core/platform/text/text_pieces.h"
#include "core/shell/startup.h"
#include "core/userdata/registry.h"
#include "gui/qt_text.h"

namespace xkm {

std::string MissingInputMessage(const std::string& xml, const std::string& hex,
                                const std::string& a2l) {
  std::string message;
  if (IsBlank(hex)) message += "Input in Hex/S19-File required\r\n";
  if (IsBlank(a2l)) message += "Input in A2L-File required\r\n";
  if (IsBlank(xml)) message += "Input in XML-File required\r\n";
  return message;
}

namespace {

bool Exists(const QLineEdit& field) {
  try {
    return fs::FileExists(InputPathOf(FromQ(field.text())));
  } catch (const Error&) {
    return false;  // not a path that names one file ("\\x.hex" on Windows)
  }
}

QLineEdit* FirstAbsent(std::initializer_list<QLineEdit*> fields) {
  for (QLineEdit* field : fields)
    if (!Exists(*field)) return field;
  return nullptr;
}

}  // namespace

frmInit::frmInit(QtHost& host, QWidget* parent) : QDialog(parent), host_(host) {
  setObjectName("frmInit");
  setWindowTitle(kInputDialogTitle);
  auto* grid = new QGridLayout;
  setLayout(grid);
  // Alt+letter goes to a field, Alt+digit opens its chooser; Tab goes from
  // field to field, so that a blank typed there never presses a button.
  addRow(0, {"&XML-File", "XML-Files (*.xml)", Qt::Key_1}, txtXMLFile, "txtXMLFile", "pbSelectXML");
  addRow(1, {"&Hex/S19-File", "Hex-Files (*.hex *.s19)", Qt::Key_2}, txtHexfile, "txtHexfile",
         "pbSelectHex");
  addRow(2, {"&A2L-File", "A2L-Files (*.a2l)", Qt::Key_3}, txtA2LFile, "txtA2LFile", "pbSelectA2L");
  grid->setColumnMinimumWidth(1, CharactersWide(*this, 60));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* pbOK = new QPushButton("&Ok");
  pbOK->setObjectName("pbOK");
  pbOK->setDefault(true);
  auto* pbCancel = new QPushButton("&Cancel");
  pbCancel->setObjectName("pbCancel");
  buttons->addWidget(pbOK);
  buttons->addWidget(pbCancel);
  grid->addLayout(buttons, 3, 0, 1, 3);

  connect(pbOK, &QPushButton::clicked, this, &frmInit::pbOK_Click);
  connect(pbCancel, &QPushButton::clicked, this, &frmInit::reject);
}

void frmInit::addRow(int row, const InputRow& input, QLineEdit*& field, const char* fieldName,
                     const char* buttonName) {
  auto* grid = static_cast<QGridLayout*>(layout());
  field = new QLineEdit;
  field->setObjectName(fieldName);
  auto* caption = new QLabel(input.label);
  caption->setBuddy(field);
  field->setAccessibleName(caption->text().remove('&'));
  auto* select = new QPushButton("...");
  select->setObjectName(buttonName);
  select->setFixedWidth(CharactersWide(*select, 5));
  select->setFocusPolicy(Qt::NoFocus);
  select->setShortcut(QKeySequence(Qt::ALT | input.chooserKey));
  select->setAccessibleName("Choose " + field->accessibleName());
  select->setToolTip(select->accessibleName() + " (" +
                     select->shortcut().toString(QKeySequence::NativeText) + ")");
  const QString filter = input.filter;
  grid->addWidget(caption, row, 0);
  grid->addWidget(field, row, 1);
  grid->addWidget(select, row, 2);
  QLineEdit* target = field;
  connect(select, &QPushButton::clicked, this, [this, target, filter] { browse(target, filter); });
}

QString frmInit::startFolder(const QLineEdit* field) const {
  const QLineEdit* const fields[] = {field, txtXMLFile, txtHexfile, txtA2LFile};
  for (const QLineEdit* named : fields) {
    const QString path = named->text().trimmed();
    if (path.isEmpty()) continue;
    const QFileInfo file(path);
    if (file.absoluteDir().exists()) return file.absolutePath();
  }
  // The remembered folder is a convenience: a store that cannot be read
  // leaves the current folder.
  try {
    QString last =
        ToQ(RegReadString(user_store::kCurrentUserRoot, kLastFolderKey, kLastFolderValue));
    if (!last.isEmpty() && QDir(last).exists()) return last;
  } catch (const Error&) {
  }
  return QDir::currentPath();
}

void frmInit::browse(QLineEdit* field, const QString& filter) {
  QFileDialog chooser(this, QString(), startFolder(field), filter);
  chooser.setObjectName("fileChooser");
  chooser.setFileMode(QFileDialog::ExistingFile);
  chooser.setAcceptMode(QFileDialog::AcceptOpen);
  // A cancelled chooser leaves the field as it was.
  if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
  const QString chosen = chooser.selectedFiles().first();
  if (IsBlank(FromQ(chosen))) return;
  field->setText(chosen);
  try {
    RegWriteString(user_store::kCurrentUserRoot, kLastFolderKey, kLastFolderValue,
                   FromQ(QFileInfo(chosen).absolutePath()));
  } catch (const Error&) {
  }
}

void frmInit::pbOK_Click() {
  const std::string xml = FromQ(txtXMLFile->text());
  const std::string hex = FromQ(txtHexfile->text());
  const std::string a2l = FromQ(txtA2LFile->text());
  const std::string missing = MissingInputMessage(xml, hex, a2l);
  if (!missing.empty()) {
    host_.showMessage(missing, "Input required");
    return;
  }
  // A mistyped name would fail steps later as a missing working file: the
  // operator hears of it now, and may still go on (a file still being copied),
  // but only on purpose: Return, pressed by habit, keeps the dialog open.
  if (QLineEdit* absent = FirstAbsent({txtXMLFile, txtHexfile, txtA2LFile});
      absent && !host_.askYesNo("File not found:\r\n" + FromQ(absent->text().trimmed()) +
                                    "\r\n\r\nUse the paths anyway?",
                                kInputDialogTitle, QtHost::DefaultAnswer::No)) {
    absent->setFocus();
    return;
  }
  inputs_ = InputDialogResult{false, xml, hex, a2l};
  accept();
}

void frmInit::reject() {
  inputs_.cancelled = true;
  QDialog::reject();
}

}  // namespace xkm
