#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/session/session_table.h"

namespace xkm {

class Host;

// Columns of the user-data table. DisplayField and Mandatory hold whole
// numbers as their decimal text.
enum UserDataColumn : size_t {
  kUserDataName = 0,
  kUserDataField = 1,
  kUserDataDisplayField = 2,
  kUserDataMandatory = 3,
  kUserDataValue = 4,
};

// A fresh, empty user-data table: Name, Field, DisplayField, Mandatory, Value.
SessionTable MakeUserDataTable();

// The operator's data: which items exist comes from Userdata.ini, their
// values from the per-user store (registry routines).
class clsUserData {
 public:
  clsUserData();

  // Reads Userdata.ini (full path) and the stored values into the table.
  // Errors are passed on: 13 for a missing or non-numeric RegKey or flag,
  // 9 for a Data line of fewer than five fields or a negative language. A
  // damaged store is moved aside first and what could be read of it is used;
  // StoreNotice() then tells the operator where the old file went.
  void Init(const std::string& sIniFile);

  // After Init: what became of a damaged store, for a message; empty otherwise.
  const std::string& StoreNotice() const { return storeNotice_; }

  // Shows the entry form through the host; on OK stores every item's trimmed
  // value under its trimmed name and marks the data as entered, in one write.
  // True after OK; false after Cancel or when storing failed (the error is
  // shown in an "Error" box). The table takes the edited values only once
  // they are stored.
  bool InputUserData(Host& host);

  // True once the operator has confirmed the form (in this or an earlier run).
  bool CheckUserData() const { return entered_; }

  // The table itself, not a copy: the object stays the same across
  // InputUserData, so holders of it see the edited values.
  std::shared_ptr<SessionTable> GetUserData() const { return table_; }

  // 1 (German labels) or 2 (English); negative when the store says so.
  int32_t LanguageIndex() const { return languageIndex_; }

 private:
  void AddItem(int32_t root, const std::string& line);
  // Names of the mandatory items without a value.
  std::vector<std::string> LostMandatoryItems() const;
  std::string ReadStoredValue(int32_t root, const std::string& name) const;
  [[nodiscard]] bool Store(const SessionTable& table, Host& host);

  std::string registryRoot_;
  std::string languagePath_;
  std::string languageKey_;
  std::string dataPath_;
  int32_t languageIndex_ = 1;
  bool entered_ = false;
  std::string storeNotice_;
  std::shared_ptr<SessionTable> table_;
};

}  // namespace xkm
