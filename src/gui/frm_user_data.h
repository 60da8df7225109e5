#pragma once

#include <QDialog>

#include "core/session/host.h"
#include "core/userdata/user_data_form.h"

class QLabel;
class QPushButton;

namespace xkm {

class UserDataGrid;

// The user data form ("User-data"): a window over UserDataForm. Labels are
// read-only, values are edited in place; closing the window counts as Cancel.
class frmUserData : public QDialog {
  Q_OBJECT

 public:
  // `save` stores the values on OK; when it fails the form stays open with
  // what was typed and says that the values are not stored.
  frmUserData(SessionTable& rsData, int nLanguage, Host& host, QWidget* parent = nullptr,
              UserDataSaver save = {});

  bool bCancel() const { return form_.bCancel(); }
  // Esc and the close control: with values changed, asks whether to store them.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void InitGrid();
  void pbOk_Click();
  void pbCancel_Click();
  bool changed() const;
  void FitToRows();

  SessionTable& rsData_;
  Host& host_;
  int language_;
  std::vector<std::string> shownValues_;  // as the form opened
  UserDataSaver save_;
  UserDataForm form_;
  UserDataGrid* Grid;
  QPushButton* pbOK;
  QLabel* notStored_;
  bool filling_ = false;
};

}  // namespace xkm
