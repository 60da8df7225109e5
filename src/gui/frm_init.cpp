#include "gui/frm_init.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/session/utilities.h"
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

void frmInit::browse(QLineEdit* field, const QString& filter) {
  QString chosen = QFileDialog::getOpenFileName(this, QString(), QString(), filter);
  // A cancelled chooser leaves the field as it was.
  if (!IsBlank(FromQ(chosen))) field->setText(chosen);
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
