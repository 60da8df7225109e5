#include "core/userdata/user_data_form.h"

#include "core/platform/error.h"
#include "core/platform/text/letter_case.h"
#include "core/platform/text/text_pieces.h"
#include "core/session/conversions.h"
#include "core/session/host.h"

namespace xkm {
namespace {

const char* const kInitGridTitle = "Error in Function: 'frmUserData.InitGrid'";
const char* const kCheckTitle = "Error in Function: 'frmUserData.CheckEingaben'";
const char* const kOkTitle = "Error in Function: 'frmUserData.pbOk_Click'";

std::string Trimmed(const std::string& text) {
  return std::string(TrimBlanks(text));
}

// Runs one handler; a failure is shown in a box titled after the handler.
template <typename Handler>
bool Guarded(Host& host, const char* title, Handler handler) {
  try {
    return handler();
  } catch (const std::exception& e) {
    host.showMessage(AsError(e).numberAndDescription(), title);
  }
  return false;
}

}  // namespace

bool IsMissing(const UserDataGridRow& row) {
  return Val(row.mandatory) == 1 && IsBlank(row.value);
}

UserDataForm::UserDataForm(SessionTable& rsData, int nLanguage, Host& host)
    : rsData_(rsData), nLanguage_(nLanguage), host_(host) {}

void UserDataForm::InitGrid() {
  rows_.clear();
  Guarded(host_, kInitGridTitle, [this] {
    BuildGrid();
    return true;
  });
}

void UserDataForm::BuildGrid() {
  const size_t name = rsData_.columnIndex("Name");
  const size_t field = rsData_.columnIndex("Field");
  const size_t display = rsData_.columnIndex("DisplayField");
  const size_t mandatory = rsData_.columnIndex("Mandatory");
  const size_t value = rsData_.columnIndex("Value");
  for (size_t row = 0; row < rsData_.rowCount(); ++row) {
    if (Val(rsData_.text(row, display)) != 1) continue;
    rows_.push_back({Trimmed(rsData_.text(row, name)), Trimmed(rsData_.text(row, mandatory)),
                     Trimmed(rsData_.text(row, field)), Trimmed(rsData_.text(row, value))});
  }
}

void UserDataForm::setValue(size_t row, std::string text) {
  rows_.at(row).value = std::move(text);
}

size_t UserDataForm::firstMissing() const {
  size_t row = 0;
  while (row < rows_.size() && !IsMissing(rows_[row])) ++row;
  return row;
}

bool UserDataForm::CheckEingaben() {
  return Guarded(host_, kCheckTitle, [this] { return CheckMandatory(); });
}

bool UserDataForm::CheckMandatory() {
  if (rows_.empty()) return false;
  std::string missing;
  for (const UserDataGridRow& row : rows_) {
    if (IsMissing(row)) missing += row.label + "\r\n";
  }
  if (missing.empty()) return true;
  const char* prefix = nLanguage_ == 1 ? "Eingabe erforderlich : " : "Input required : ";
  host_.showMessage(prefix + std::string("\r\n\r\n") + missing, "Error");
  return false;
}

bool UserDataForm::pbOk_Click() {
  if (!CheckEingaben()) return false;
  return Guarded(host_, kOkTitle, [this] {
    WriteBack();
    bCancel_ = false;
    return true;
  });
}

void UserDataForm::WriteBack() {
  const size_t name = rsData_.columnIndex("Name");
  const size_t value = rsData_.columnIndex("Value");
  for (const UserDataGridRow& gridRow : rows_) {
    // The grid holds the trimmed name, so the table's name is compared trimmed
    // too (and without regard to case, as the table compares names); any
    // character, an apostrophe included, may be part of a name.
    size_t matches = 0;
    size_t match = 0;
    for (size_t row = 0; row < rsData_.rowCount(); ++row) {
      if (EqualsIgnoringCase(TrimBlanks(rsData_.text(row, name)), gridRow.name)) {
        ++matches;
        match = row;
      }
    }
    if (matches == 1) rsData_.setField(match, value, gridRow.value);
  }
}

}  // namespace xkm
