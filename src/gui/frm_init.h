#pragma once

#include <QDialog>
#include <string>

#include "core/session/host.h"
#include "gui/qt_host.h"

class QLineEdit;
class QPushButton;

namespace xkm {

// The missing-input message of the input dialog: one line (ending in CR LF)
// per blank field, Hex first, then A2L, then XML. Empty when all are filled.
// Where the operator's last chosen folder is kept (current-user root).
inline constexpr const char* kLastFolderKey = "Software\\xkmtool\\Init";
inline constexpr const char* kLastFolderValue = "LastFolder";
inline constexpr const char* kInputDialogTitle = "Init";

std::string MissingInputMessage(const std::string& xml, const std::string& hex,
                                const std::string& a2l);

// The input file dialog ("Init"): the three input paths, each typed or
// chosen with its "..." button. Closing the window counts as Cancel. The file
// chooser starts in the folder of a file already named in a field, else in the
// folder last chosen from (kept per user in the user store), else in the
// current folder.
class frmInit : public QDialog {
  Q_OBJECT

 public:
  explicit frmInit(QtHost& host, QWidget* parent = nullptr);

  // The paths as typed (untrimmed) after OK; cancelled otherwise.
  const InputDialogResult& inputs() const { return inputs_; }
  bool bCancel() const { return inputs_.cancelled; }

  void reject() override;  // Cancel, Esc and the close control

 private:
  void pbOK_Click();
  struct InputRow {
    const char* label;
    const char* filter;
    Qt::Key chooserKey;  // with Alt
  };
  void addRow(int row, const InputRow& input, QLineEdit*& field, const char* fieldName,
              const char* buttonName);
  void browse(QLineEdit* field, const QString& filter);
  QString startFolder(const QLineEdit* field) const;

  QtHost& host_;
  InputDialogResult inputs_;
  QLineEdit* txtXMLFile = nullptr;
  QLineEdit* txtHexfile = nullptr;
  QLineEdit* txtA2LFile = nullptr;
};

}  // namespace xkm
