#include "core/userdata/user_data.h"

#include <cmath>
#include <optional>
#include <vector>

#include "core/platform/error.h"
#include "core/platform/os/ini_reader.h"
#include "core/platform/os/user_store.h"
#include "core/platform/text/text_pieces.h"
#include "core/session/conversions.h"
#include "core/session/host.h"
#include "core/userdata/registry.h"

namespace xkm {
namespace {

constexpr const char* kSource = "clsUserData";

std::vector<std::string> SplitAtSemicolons(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t semicolon = text.find(';', start);
    parts.push_back(
        text.substr(start, semicolon == std::string::npos ? semicolon : semicolon - start));
    if (semicolon == std::string::npos) return parts;
    start = semicolon + 1;
  }
}

// The leading number of the stored language text as a whole number (half to
// even); 0 and 3 or more mean German.
int32_t LanguageFromText(const std::string& text) {
  double number = std::nearbyint(Val(text));
  if (!(number >= -2147483648.0 && number <= 2147483647.0)) throw platform_error::Overflow(kSource);
  int32_t index = static_cast<int32_t>(number);
  return index == 0 || index >= 3 ? 1 : index;
}

// A conversion failure of a configuration line, with the file and the line
// it came from: "13 Type mismatch" alone leaves the operator guessing.
template <typename Work>
auto WithPlace(const std::string& file, const std::string& line, Work work) {
  try {
    return work();
  } catch (const Error& e) {
    throw Error(e.number(), e.description() + " (" + file + ": " + line + ")", e.source());
  }
}

std::string DamagedStoreNotice(const user_store::Recovery& recovery,
                               const std::vector<std::string>& lost) {
  std::string notice = "The stored user data could not be read: " + recovery.problem +
                       "\r\n\r\nThe damaged file was kept as " + recovery.movedTo +
                       ". The program goes on with the values that could be read; please check "
                       "the user data.";
  if (lost.empty()) return notice;
  notice += "\r\n\r\nNot recovered:";
  for (const std::string& item : lost) notice += (item == lost.front() ? " " : ", ") + item;
  return notice + ". They count as never entered.";
}

}  // namespace

SessionTable MakeUserDataTable() {
  return SessionTable({"Name", "Field", "DisplayField", "Mandatory", "Value"});
}

clsUserData::clsUserData() : table_(std::make_shared<SessionTable>(MakeUserDataTable())) {}

void clsUserData::Init(const std::string& sIniFile) {
  *table_ = MakeUserDataTable();
  registryRoot_ = ReadIniValue(sIniFile, "System", "RegKey", "");
  languagePath_ = ReadIniValue(sIniFile, "System", "LanguagePath", "");
  languageKey_ = ReadIniValue(sIniFile, "System", "LanguageKey", "");
  dataPath_ = ReadIniValue(sIniFile, "System", "DataPath", "");

  const int32_t root = WithPlace(sIniFile, "[System] RegKey=" + registryRoot_,
                                 [&] { return ToLong(registryRoot_); });
  storeNotice_.clear();
  const std::optional<user_store::Recovery> recovery = user_store::RecoverDamagedStore(root);
  languageIndex_ = LanguageFromText(RegReadString(root, languagePath_, languageKey_));
  entered_ = RegReadString(root, dataPath_, "Flag") == "1";

  for (int i = 1;; ++i) {
    std::string line = ReadIniValue(sIniFile, "Data", std::to_string(i), "");
    if (IsBlank(line)) break;
    WithPlace(sIniFile, "[Data] " + std::to_string(i) + "=" + line, [&] {
      AddItem(root, line);
      return 0;
    });
  }
  if (recovery) {
    // A flag that outlived a lost mandatory value would keep the form away
    // and let runs go out without it.
    const std::vector<std::string> lost =
        entered_ ? LostMandatoryItems() : std::vector<std::string>();
    storeNotice_ = DamagedStoreNotice(*recovery, lost);
    if (!lost.empty()) {
      RegWriteStrings(root, dataPath_, {{"Flag", "0"}});
      entered_ = false;
    }
  }
}

std::vector<std::string> clsUserData::LostMandatoryItems() const {
  std::vector<std::string> lost;
  const SessionTable& table = *table_;
  for (size_t row = 0; row < table.rowCount(); ++row)
    if (ToLong(table.text(row, kUserDataMandatory)) != 0 &&
        IsBlank(table.text(row, kUserDataValue)))
      lost.push_back(table.text(row, kUserDataName));
  return lost;
}

void clsUserData::AddItem(int32_t root, const std::string& line) {
  std::vector<std::string> fields = SplitAtSemicolons(line);
  // The label is field 2 for German, 3 for English: a negative language has none.
  if (fields.size() < 5 || languageIndex_ < 1) throw platform_error::SubscriptOutOfRange(kSource);
  const int32_t display = ToLong(fields[3]);
  const int32_t mandatory = ToLong(fields[4]);

  SessionTable& table = *table_;
  size_t row = table.appendRow();
  table.setField(row, kUserDataName, fields[0]);
  table.setField(row, kUserDataField, fields[static_cast<size_t>(languageIndex_)]);
  table.setField(row, kUserDataDisplayField, std::to_string(display));
  table.setField(row, kUserDataMandatory, std::to_string(mandatory));
  table.setField(row, kUserDataValue, ReadStoredValue(root, fields[0]));
}

std::string clsUserData::ReadStoredValue(int32_t root, const std::string& name) const {
  // OK stores under the trimmed name, so a value there is the one written
  // last; the name as configured counts only while there is none.
  const std::string trimmed(TrimBlanks(name));
  if (trimmed != name && user_store::FindValue(root, dataPath_, trimmed))
    return RegReadString(root, dataPath_, trimmed);
  return RegReadString(root, dataPath_, name);
}

bool clsUserData::Store(const SessionTable& table, Host& host) {
  try {
    std::vector<std::pair<std::string, std::string>> values;
    for (size_t row = 0; row < table.rowCount(); ++row) {
      values.emplace_back(TrimBlanks(table.text(row, kUserDataName)),
                          TrimBlanks(table.text(row, kUserDataValue)));
    }
    values.emplace_back("Flag", "1");
    RegWriteStrings(ToLong(registryRoot_), dataPath_, values);
    return true;
  } catch (const Error& e) {
    host.showMessage(e.numberAndDescription() + "\r\n\r\nThe user data are not stored.", "Error");
  }
  return false;
}

bool clsUserData::InputUserData(Host& host) {
  try {
    // The form edits a copy, so that a Cancel or a failed store leaves the
    // table as it was.
    SessionTable edited = *table_;
    bool stored = false;
    const UserDataSaver save = [this, &host, &stored](const SessionTable& table) {
      stored = Store(table, host);
      return stored;
    };
    if (host.showUserDataForm(edited, languageIndex_, save)) return false;
    if (!stored && !save(edited)) return false;
    *table_ = std::move(edited);
    entered_ = true;
    return true;
  } catch (const std::exception& e) {
    host.showMessage(AsError(e).numberAndDescription(), "Error");
  }
  return false;
}

}  // namespace xkm
