#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/session/session_table.h"

namespace xkm {

class Host;

// What the window of the user data form shows, in one place.
inline constexpr const char* kUserDataFormTitle = "User-data";
inline constexpr const char* kUserDataOkCaption = "&Ok";
inline constexpr const char* kUserDataCancelCaption = "&Cancel";
inline constexpr const char* kUserDataColumnTitle = " ";  // title of the label and value columns
inline constexpr int kUserDataLabelWidth = 15;            // characters
inline constexpr int kUserDataValueWidth = 28;            // characters
inline constexpr int kUserDataValueMaxLength = 255;       // characters

// One row of the form's grid. Name and mandatory flag are the hidden columns
// 1 and 2; the label (column 3) is read-only; the value (column 4) is edited.
struct UserDataGridRow {
  std::string name;
  std::string mandatory;
  std::string label;
  std::string value;
};

// A mandatory row whose value is blank: OK is refused while there is one.
bool IsMissing(const UserDataGridRow& row);

// The logic of the user data form (frmUserData), free of any user-interface
// toolkit: a window builds its grid from rows(), hands the operator's edits
// to setValue() and calls the button handlers. Messages go through the host.
class UserDataForm {
 public:
  // `rsData` is the table to show; OK writes the edited values into it.
  // `nLanguage` 1 gives German message texts, any other value English.
  UserDataForm(SessionTable& rsData, int nLanguage, Host& host);

  // Builds the grid afresh: one row per table row whose DisplayField is 1, in
  // table order, with name, label and value trimmed. A failure is shown in a
  // box titled "Error in Function: 'frmUserData.InitGrid'".
  void InitGrid();

  // The grid; when it has rows the cursor starts in the value of row 0.
  const std::vector<UserDataGridRow>& rows() const { return rows_; }
  // The operator's text in the value cell of `row` (0-based), kept as typed.
  void setValue(size_t row, std::string text);

  // The first row that is missing (see IsMissing), or rows().size().
  size_t firstMissing() const;

  // The mandatory check: false when the grid has no rows, or when a mandatory
  // value is blank (then one "Error" box lists the labels).
  [[nodiscard]] bool CheckEingaben();

  // OK: when the check passes, writes each grid value as typed into the one
  // table row of that name (hidden items are not touched), clears bCancel
  // and returns true (the window closes). Otherwise returns false and the
  // window stays open.
  [[nodiscard]] bool pbOk_Click();

  // Cancel, and closing the window by its own control: the table is not touched.
  void pbCancel_Click() { bCancel_ = true; }

  // True unless OK succeeded last.
  bool bCancel() const { return bCancel_; }

 private:
  void BuildGrid();
  bool CheckMandatory();
  void WriteBack();

  SessionTable& rsData_;
  int nLanguage_;
  Host& host_;
  bool bCancel_ = true;
  std::vector<UserDataGridRow> rows_;
};

}  // namespace xkm
