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
#include "core/platform/user_store.h"
#include "core/session/utilities.h"
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

frmInit::frmInit(Host& host, QWidget* parent) : QDialog(parent), host_(host) {
  setObjectName("frmInit");
  setWindowTitle("Init");
  auto* grid = new QGridLayout;
  setLayout(grid);
  addRow(0, "XML-File", txtXMLFile, "txtXMLFile", "pbSelectXML", "XML-Files (*.xml)");
  addRow(1, "Hex/S19-File", txtHexfile, "txtHexfile", "pbSelectHex", "Hex-Files (*.hex *.s19)");
  addRow(2, "A2L-File", txtA2LFile, "txtA2LFile", "pbSelectA2L", "A2L-Files (*.a2l)");
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

void frmInit::addRow(int row, const char* label, QLineEdit*& field, const char* fieldName,
                     const char* buttonName, const QString& filter) {
  auto* grid = static_cast<QGridLayout*>(layout());
  field = new QLineEdit;
  field->setObjectName(fieldName);
  auto* caption = new QLabel(label);
  caption->setBuddy(field);
  auto* select = new QPushButton("...");
  select->setObjectName(buttonName);
  select->setFixedWidth(CharactersWide(*select, 5));
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
  inputs_ = InputDialogResult{false, xml, hex, a2l};
  accept();
}

void frmInit::reject() {
  inputs_.cancelled = true;
  QDialog::reject();
}

}  // namespace xkm
