#pragma once

#include <QDialog>

#include "core/userdata/user_data_form.h"

class QPushButton;

namespace xkm {

class UserDataGrid;

// The user data form ("User-data"): a window over UserDataForm. Labels are
// read-only, values are edited in place; closing the window counts as Cancel.
class frmUserData : public QDialog {
  Q_OBJECT

 public:
  frmUserData(SessionTable& rsData, int nLanguage, Host& host, QWidget* parent = nullptr);

  bool bCancel() const { return form_.bCancel(); }
  void reject() override;  // Cancel, Esc and the close control

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void InitGrid();
  void pbOk_Click();

  UserDataForm form_;
  UserDataGrid* Grid;
  QPushButton* pbOK;
  bool filling_ = false;
};

}  // namespace xkm
