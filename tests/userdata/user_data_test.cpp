#include "core/userdata/user_data.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/platform/error.h"
#include "core/platform/os/user_store.h"
#include "core/session/host.h"
#include "core/userdata/registry.h"
#include "core/userdata/user_data_form.h"
#include "support/error_number.h"
#include "support/recording_host.h"
#include "support/store_sandbox.h"

namespace xkm {
namespace {

using user_store::kCurrentUserRoot;

constexpr const char* kDataPath = "Software\\Site\\UserData";
constexpr const char* kLanguagePath = "Software\\Site\\Settings";

std::string IniWithData(const std::string& data, const std::string& regKey = "-2147483647") {
  return "[System]\r\nRegKey=" + regKey + "\r\nLanguagePath=Software\\Site\\Settings\r\n" +
         "LanguageKey=Language\r\nDataPath=Software\\Site\\UserData\r\n[Data]\r\n" + data;
}

const std::string kStandardData =
    "1=USERNAME;Name;Name;1;1\r\n"
    "2=DEPARTMENT;Abteilung;Department;1;0;extra\r\n"
    "4=SKIPPED;Uebersprungen;Skipped;1;1\r\n";

class UserDataTest : public ::testing::Test {
 protected:
  UserDataTest() { useIni(IniWithData(kStandardData)); }

  void useIni(const std::string& text) { ini = config.write("Userdata.ini", text); }

  std::string stored(const std::string& name) const {
    return RegReadString(kCurrentUserRoot, kDataPath, name);
  }

  // The operator: types the given values (by item name) into the form and presses OK.
  void operatorTypes(std::map<std::string, std::string> edits) {
    host.onUserDataForm = [this, edits](SessionTable& table, int language) {
      UserDataForm form(table, language, host);
      form.InitGrid();
      for (size_t row = 0; row < form.rows().size(); ++row) {
        auto edit = edits.find(form.rows()[row].name);
        if (edit != edits.end()) form.setValue(row, edit->second);
      }
      if (!form.pbOk_Click()) form.pbCancel_Click();
      return form.bCancel();
    };
  }

  test::StoreSandbox sandbox;
  test::ScratchFolder config;
  test::RecordingHost host;
  std::string ini;
};

TEST_F(UserDataTest, InitReadsConsecutiveItemsAndTheirStoredValues) {
  RegWriteString(kCurrentUserRoot, kDataPath, "username", "Erika");
  clsUserData data;
  data.Init(ini);
  std::shared_ptr<SessionTable> table = data.GetUserData();
  EXPECT_EQ(table->columns(),
            (std::vector<std::string>{"Name", "Field", "DisplayField", "Mandatory", "Value"}));
  std::vector<std::string> rows;  // key 3 is missing, so key 4 is never read
  for (size_t row = 0; row < table->rowCount(); ++row)
    rows.push_back(table->text(row, 0) + "|" + table->text(row, 1) + "|" + table->text(row, 2) +
                   "|" + table->text(row, 3) + "|" + table->text(row, 4));
  EXPECT_EQ(rows,
            (std::vector<std::string>{"USERNAME|Name|1|1|Erika", "DEPARTMENT|Abteilung|1|0|"}));
  EXPECT_FALSE(data.CheckUserData());
  EXPECT_EQ(data.GetUserData(), table);  // the same object every time
}

TEST_F(UserDataTest, LanguageTwoGivesEnglishLabelsOthersGerman) {
  const std::pair<std::string, const char*> cases[] = {
      {"2", "Department"},
      {" 2 apples", "Department"},
      {"0", "Abteilung"},
      {"", "Abteilung"},
      {"2147483647", "Abteilung"}};  // the largest language number
  for (const auto& [stored, label] : cases) {
    RegWriteString(kCurrentUserRoot, kLanguagePath, "Language", stored);
    clsUserData data;
    data.Init(ini);
    EXPECT_EQ(data.GetUserData()->text(1, kUserDataField), label) << stored;
  }
}

TEST_F(UserDataTest, InitPassesOnTheErrorsOfBadConfiguration) {
  // The stored language; Userdata.ini; how the error begins.
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {"", IniWithData(kStandardData, "HKCU"), "13 Type mismatch"},
      {"", IniWithData("1=A;a;a;yes;1\r\n"), "13 "},
      {"", IniWithData("1=A;a;a;1;x\r\n"), "13 "},
      // A negative language has no label field; without items nothing asks for one.
      {"-1", IniWithData(kStandardData), "9 "},
      {"-1", IniWithData(""), ""},
      {"2147483648", IniWithData(kStandardData), "6 Overflow"},
  };
  for (const auto& [language, text, begins] : cases) {
    SCOPED_TRACE(text);
    RegWriteString(kCurrentUserRoot, kLanguagePath, "Language", language);
    const std::string path = config.write("u.ini", text);
    clsUserData data;
    const Error error = test::ErrorOf([&] { data.Init(path); });
    EXPECT_EQ(error.number() ? error.numberAndDescription().substr(0, begins.size()) : "", begins);
  }
}

TEST_F(UserDataTest, CancelWritesNothingAndOkStoresTrimmedValuesAndTheFlagForTheNextRun) {
  useIni(IniWithData("1=USERNAME;Name;Name;1;1\r\n2=SITE;Werk;Site;0;0\r\n"));
  RegWriteString(kCurrentUserRoot, kDataPath, "SITE", "  Plant 7");
  clsUserData data;
  data.Init(ini);
  std::shared_ptr<SessionTable> held = data.GetUserData();
  host.onUserDataForm = [](SessionTable& table, int) {
    table.setField(0, kUserDataValue, "edited, then cancelled");
    return true;
  };
  EXPECT_FALSE(data.InputUserData(host) || data.CheckUserData());
  EXPECT_EQ(held->text(0, kUserDataValue) + "|" + stored("USERNAME") + "|" + stored("Flag"), "||");

  operatorTypes({{"USERNAME", "  Erika Muster  "}});
  EXPECT_TRUE(data.InputUserData(host));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(data.CheckUserData());
  // The hidden item is written back with the value read at Init (trimmed).
  EXPECT_EQ(stored("USERNAME") + "|" + stored("Flag") + "|" + stored("SITE"),
            "Erika Muster|1|Plant 7");
  // The holder of the table sees the edit: the form's values went into the same object.
  EXPECT_EQ(data.GetUserData(), held);
  EXPECT_EQ(held->text(0, kUserDataValue) + "|" + held->text(1, kUserDataValue),
            "  Erika Muster  |  Plant 7");
  clsUserData nextRun;
  nextRun.Init(ini);
  EXPECT_TRUE(nextRun.CheckUserData());
  EXPECT_EQ(nextRun.GetUserData()->text(0, kUserDataValue), "Erika Muster");
}

// A form that fails (memory ran out) is said, and the data count as not entered.
TEST_F(UserDataTest, AFailingFormIsReported) {
  clsUserData data;
  data.Init(ini);
  host.onUserDataForm = [](SessionTable&, int) -> bool { throw std::bad_alloc(); };
  EXPECT_FALSE(data.InputUserData(host) || data.CheckUserData());
  EXPECT_EQ(host.messages, (std::vector<test::RecordedMessage>{{"Error", "7 Out of memory"}}));
}

TEST_F(UserDataTest, ANameWithBlanksIsStoredTrimmedAndTheValueLastStoredIsRead) {
  // Quoted, or the INI reader would take the blanks off the whole line.
  useIni(IniWithData("1=\"  OPERATOR;Bediener;Operator;1;0\"\r\n"));
  RegWriteString(kCurrentUserRoot, kDataPath, "  OPERATOR", "from before");
  clsUserData data;
  data.Init(ini);
  EXPECT_EQ(data.GetUserData()->text(0, kUserDataValue), "from before");
  operatorTypes({{"OPERATOR", "Max"}});
  ASSERT_TRUE(data.InputUserData(host));
  EXPECT_EQ(stored("OPERATOR") + "|" + stored("  OPERATOR"), "Max|from before");
  // The next run reads the value stored last, under the trimmed name, while
  // the old one under the untrimmed name is still there; an emptied value too.
  for (const char* value : {"Max", ""}) {
    RegWriteString(kCurrentUserRoot, kDataPath, "OPERATOR", value);
    clsUserData nextRun;
    nextRun.Init(ini);
    EXPECT_EQ(nextRun.GetUserData()->text(0, kUserDataValue), value);
  }
}

TEST_F(UserDataTest, AStoreThatCannotBeWrittenIsReportedNotIgnored) {
  if (user_store::StoreFolder().empty()) GTEST_SKIP() << "the registry has no store file";
  clsUserData data;
  data.Init(ini);
  const std::string damaged = "REGEDIT4\n\n[K]\nnonsense\n";
  sandbox.folder().write("xkmtool/HKEY_CURRENT_USER.reg", damaged);
  operatorTypes({{"USERNAME", "Erika"}});
  EXPECT_FALSE(data.InputUserData(host) || data.CheckUserData());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].title, "Error");
  EXPECT_EQ(host.messages[0].text.rfind(
                "321 Invalid file format: " + sandbox.currentUserFile() + ", line 4:", 0),
            0u)
      << host.messages[0].text;
  EXPECT_EQ(test::ReadFileBytes(sandbox.currentUserFile()), damaged);
}

// A damaged store that lost a mandatory value does not keep its "entered"
// flag: the form is offered at this start and the next, and the notice names
// what was lost. One that lost nothing mandatory keeps it.
TEST_F(UserDataTest, ARepairedStoreThatLostAMandatoryValueCountsAsNeverEntered) {
  if (user_store::StoreFolder().empty()) GTEST_SKIP() << "the registry has no store file";
  for (const bool lost : {true, false}) {
    SCOPED_TRACE(lost ? "name lost" : "name kept");
    sandbox.folder().write("xkmtool/HKEY_CURRENT_USER.reg",
                           std::string("REGEDIT4\n\n[Software\\Site\\UserData]\n") +
                               (lost ? "\"USERNAME\"=\"Jir" : "\"USERNAME\"=\"Jiri\"") +
                               "\n\"Flag\"=\"1\"\nnonsense\n");
    clsUserData repaired, nextStart;
    repaired.Init(ini);
    nextStart.Init(ini);
    EXPECT_EQ(std::make_tuple(
                  repaired.CheckUserData(), nextStart.CheckUserData(),
                  repaired.StoreNotice().find("Not recovered: USERNAME.") != std::string::npos),
              std::make_tuple(!lost, !lost, lost));
  }
}

class UserDataFormTest : public ::testing::Test {
 protected:
  UserDataFormTest() : table(MakeUserDataTable()) {}

  // Rows of name, label, display flag, mandatory flag and value.
  void add(std::vector<std::vector<std::string>> rows) {
    for (const auto& row : rows) {
      const size_t at = table.appendRow();
      for (size_t column = 0; column < row.size(); ++column)
        table.setField(at, column, row[column]);
    }
  }
  std::string values() const {
    std::string text;
    for (size_t row = 0; row < table.rowCount(); ++row)
      text += table.text(row, kUserDataValue) + "|";
    return text;
  }

  SessionTable table;
  test::RecordingHost host;
};

TEST_F(UserDataFormTest, TheGridShowsTheDisplayedItemsTrimmedAndOkWritesThemAsTyped) {
  add({{" USERNAME ", " Name ", "1", "1", "  Erika "},
       {"HIDDEN", "Versteckt", "0", "1", " keep me "},
       {"ROOM", "Raum", "2", "0", "r"},
       {"it's", "Apostroph", "1", "0", ""}});
  UserDataForm form(table, 1, host);
  form.InitGrid();
  form.InitGrid();  // built afresh, not appended to
  std::string shown;
  for (const auto& row : form.rows())
    shown += row.name + "," + row.mandatory + "," + row.label + "," + row.value + "|";
  EXPECT_EQ(shown, "USERNAME,1,Name,Erika|it's,0,Apostroph,|");
  form.setValue(0, "  Erika  ");
  form.setValue(1, "quoted");
  EXPECT_TRUE(form.pbOk_Click());
  EXPECT_FALSE(form.bCancel());
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(values(), "  Erika  | keep me |r|quoted|");
}

TEST_F(UserDataFormTest, MissingMandatoryValuesAreListedInTheFormsLanguage) {
  add({{"USERNAME", "Name", "1", "1", ""},
       {"PHONE", "Telefon", "1", "0", ""},
       {"DEPARTMENT", "Abteilung", "1", "1", "   "},  // blanks only count as empty
       {"HIDDEN", "Versteckt", "0", "1", ""}});       // not shown, not checked
  for (int language : {1, 2, 0}) {
    host.messages.clear();
    UserDataForm form(table, language, host);
    form.InitGrid();
    EXPECT_FALSE(form.pbOk_Click());
    EXPECT_TRUE(form.bCancel());
    const std::string prefix = language == 1 ? "Eingabe erforderlich : " : "Input required : ";
    EXPECT_EQ(
        host.messages,
        (std::vector<test::RecordedMessage>{{"Error", prefix + "\r\n\r\nName\r\nAbteilung\r\n"}}));
  }
  EXPECT_EQ(values(), "||   ||");  // a refused OK writes nothing
}

}  // namespace
}  // namespace xkm
