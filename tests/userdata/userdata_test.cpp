#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>

#include "core/userdata/user_data.h"
#ifdef _WIN32
#include <windows.h>
#endif

#include "core/platform/error.h"
#include "core/platform/os/regedit_text.h"
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
  // Key 3 is missing, so key 4 is never read.
  std::vector<std::vector<std::string>> rows(table->rowCount());
  for (size_t row = 0; row < rows.size(); ++row)
    for (size_t column = 0; column < 5; ++column) rows[row].push_back(table->text(row, column));
  EXPECT_EQ(rows,
            (std::vector<std::vector<std::string>>{{"USERNAME", "Name", "1", "1", "Erika"},
                                                   {"DEPARTMENT", "Abteilung", "1", "0", ""}}));
  EXPECT_FALSE(data.CheckUserData());
  EXPECT_EQ(data.GetUserData(), table);  // the same object every time
}

TEST_F(UserDataTest, LanguageTwoGivesEnglishLabelsOthersGerman) {
  const std::pair<std::string, const char*> cases[] = {
      {"2", "Department"},
      {" 2 apples", "Department"},
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
  EXPECT_EQ(held->text(0, kUserDataValue), "");
  for (const char* name : {"USERNAME", "Flag"}) EXPECT_EQ(stored(name), "") << name;

  operatorTypes({{"USERNAME", "  Erika Muster  "}});
  EXPECT_TRUE(data.InputUserData(host));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(data.CheckUserData());
  // The hidden item is written back with the value read at Init (trimmed).
  EXPECT_EQ(stored("USERNAME"), "Erika Muster");
  EXPECT_EQ(stored("Flag"), "1");
  EXPECT_EQ(stored("SITE"), "Plant 7");
  // The holder of the table sees the edit: the form's values went into the same object.
  EXPECT_EQ(data.GetUserData(), held);
  EXPECT_EQ(held->text(0, kUserDataValue), "  Erika Muster  ");
  EXPECT_EQ(held->text(1, kUserDataValue), "  Plant 7");
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
  EXPECT_EQ(stored("OPERATOR"), "Max");
  EXPECT_EQ(stored("  OPERATOR"), "from before");
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
  std::vector<std::string> values() const {
    std::vector<std::string> texts;
    for (size_t r = 0; r < table.rowCount(); ++r) texts.push_back(table.text(r, kUserDataValue));
    return texts;
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
  std::vector<std::vector<std::string>> shown;
  for (const auto& row : form.rows())
    shown.push_back({row.name, row.mandatory, row.label, row.value});
  EXPECT_EQ(shown, (std::vector<std::vector<std::string>>{{"USERNAME", "1", "Name", "Erika"},
                                                          {"it's", "0", "Apostroph", ""}}));
  form.setValue(0, "  Erika  ");
  form.setValue(1, "quoted");
  EXPECT_TRUE(form.pbOk_Click());
  EXPECT_FALSE(form.bCancel());
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(values(), (std::vector<std::string>{"  Erika  ", " keep me ", "r", "quoted"}));
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
  // A refused OK writes nothing.
  EXPECT_EQ(values(), (std::vector<std::string>{"", "", "   ", ""}));
}

using user_store::kLocalMachineRoot;

class UserStoreTest : public ::testing::Test {
 protected:
  std::string storeText() const { return test::ReadFileBytes(sandbox.currentUserFile()); }
  void writeStore(const std::string& text) const {
    sandbox.folder().write("xkmtool/HKEY_CURRENT_USER.reg", text);
  }

  test::StoreSandbox sandbox;
  // Windows keeps the store in the registry; the text files are the POSIX store.
  const bool inFiles = !user_store::StoreFolder().empty();
};

class StoreFileTest : public UserStoreTest {
 protected:
  void SetUp() override {
    if (!inFiles) GTEST_SKIP() << "the registry has no store files";
  }
};

TEST_F(UserStoreTest, StringsRoundTripInRegeditSyntaxWithNamesThatIgnoreCase) {
  const std::string tricky = "C:\\Daten \"Q\" Müller ÄÖÜ";
  EXPECT_EQ(RegReadString(kCurrentUserRoot, "Software\\Site", "Name"), "");
  EXPECT_FALSE(std::filesystem::exists(sandbox.folder().file("xkmtool")));  // reading made nothing
  RegWriteString(kCurrentUserRoot, "Software\\Site", "Name", "first");
  RegWriteString(kCurrentUserRoot, "software\\SITE", "NAME", tricky);  // replaced in place
  RegWriteString(kCurrentUserRoot, "Software\\Site", "Empty", "");
  RegWriteString(kCurrentUserRoot, "Software\\Lang", "Language", "2");
  if (inFiles) {
    EXPECT_EQ(storeText(),
              "REGEDIT4\n\n[Software\\Site]\n\"Name\"=\"C:\\\\Daten \\\"Q\\\" Müller ÄÖÜ\"\n"
              "\"Empty\"=\"\"\n\n[Software\\Lang]\n\"Language\"=\"2\"\n");
  }
  RegWriteString(kCurrentUserRoot, "K", "Lines", "one\r\ntwo");
  RegWriteString(kCurrentUserRoot, "K", "Nul", std::string("ab\0cd", 5));
  RegWriteString(kCurrentUserRoot, "K", "After", "x");
  // The key, the name, the value read.
  const std::tuple<const char*, const char*, std::string> reads[] = {
      {"Software\\Site", "name", tricky},
      {"Software\\Site", "Empty", ""},
      {"K", "Lines", "one\r\ntwo"},
      {"K", "Nul", "ab"},
      {"K", "After", "x"},
      {"Software\\Other", "Name", ""},
      {"Software\\Site", "Other", ""},
      {"Software", "Name", ""}};  // no parent lookup
  for (const auto& [key, name, value] : reads)
    EXPECT_EQ(RegReadString(kCurrentUserRoot, key, name), value) << key << " " << name;
  EXPECT_EQ(RegReadString(kLocalMachineRoot, "Software\\Site", "Name"), "");
  if (!inFiles) return;
  // A name with a line break would split its line: refused.
  EXPECT_EQ(test::ErrorOf([] { RegWriteString(kCurrentUserRoot, "K", "a\nb", "x"); }).number(), 5);
  RegWriteString(kLocalMachineRoot, "K", "V", "machine");  // each root its own file
  EXPECT_EQ(RegReadString(kLocalMachineRoot, "K", "V"), "machine");
  EXPECT_TRUE(std::filesystem::exists(sandbox.folder().file("xkmtool/HKEY_LOCAL_MACHINE.reg")));
}

TEST_F(UserStoreTest, DwordsReadAsTheirLowSixteenBitsSigned) {
  const std::pair<uint32_t, const char*> cases[] = {{70000, "4464"},    {0xFFFFFFFFu, "-1"},
                                                    {0x8000, "-32768"}, {0x7FFF, "32767"},
                                                    {0x10000, "0"},     {2, "2"}};
  for (const auto& [stored, text] : cases) {
    user_store::SetDword(kCurrentUserRoot, "K", "N", stored);
    EXPECT_EQ(RegReadString(kCurrentUserRoot, "K", "N"), text) << stored;
  }
  if (inFiles) {
    EXPECT_EQ(storeText(), "REGEDIT4\n\n[K]\n\"N\"=dword:00000002\n");
  }
}

// The store file's text, on every system: each value kind a hand-written file
// may hold survives a read and a write; names compare without case.
TEST(RegeditText, HandWrittenValueKindsSurviveAWrite) {
  user_store::Store store = user_store::Parse(
      "K.reg",
      "REGEDIT4\r\n\r\n[K]\r\n\"Big\"=dword:00011170\r\n\"LittleEndian\"=hex(4):70,11,01,00\r\n"
      "\"AsHex\"=hex(1):41,42,00\r\n\"Binary\"=hex:01,02,\\\r\n  03\r\n@=\"default\"\r\n"
      "\"Spaced\" = \"ok\"   \r\n");
  user_store::PutValue(*user_store::FindKey(store, "k"), "NEW", {});
  user_store::PutValue(*user_store::FindKey(store, "k"), "new", {{}, "line\nbreak", 0});
  EXPECT_EQ(user_store::Format(store),
            "REGEDIT4\n\n[K]\n\"Big\"=dword:00011170\n\"LittleEndian\"=dword:00011170\n"
            "\"AsHex\"=\"AB\"\n\"Binary\"=hex:01,02,03\n@=\"default\"\n\"Spaced\"=\"ok\"\n"
            "\"NEW\"=hex(1):6c,69,6e,65,0a,62,72,65,61,6b,00\n");  // a line break cannot be quoted

  // What is wrong is said as well as where.
  EXPECT_EQ(
      test::ErrorOf([] { user_store::Parse("K.reg", "REGEDIT4\n[K]\n\"A\"=hex\n"); }).description(),
      "Invalid file format: K.reg, line 3: \":\" expected after hex");
}

// A damaged file names file and line and is never overwritten; recovery moves
// it aside unchanged and keeps whatever could be read.
TEST_F(StoreFileTest, ADamagedFileIsReportedThenMovedAsideKeepingWhatCanBeRead) {
  // The file; the line of the first damage; the values of A and B read after recovery.
  const std::tuple<const char*, int, const char*, const char*> cases[] = {
      {"REGEDIT4\n\n[K]\n\"A\"=\"1\"\ngarbage\n\"B\"=\"2\"\n", 5, "1", "2"},
      {"Windows Registry Editor Version 5.00\n\n[K]\n\"A\"=\"1\"\n", 1, "1", ""},
      {"REGEDIT4\n\"A\"=\"1\"\n", 2, "", ""},  // value before any key
      // Reported where the value starts.
      {"REGEDIT4\n[K]\n\"A\"=hex:01,\\\n  zz\n\"B\"=\"2\"\n", 3, "", "2"},
      {"REGEDIT4\n[K\n\"A\"=\"1\"\n[K]\n\"B\"=\"2\"\n", 2, "", "2"},
  };
  for (const auto& [text, line, keptA, keptB] : cases) {
    SCOPED_TRACE(text);
    std::filesystem::remove_all(sandbox.folder().file("xkmtool"));
    writeStore(text);
    const std::string where = "321 Invalid file format: " + sandbox.currentUserFile() + ", line " +
                              std::to_string(line) + ":";
    Error read = test::ErrorOf([] { RegReadString(kCurrentUserRoot, "K", "A"); });
    EXPECT_EQ(read.numberAndDescription().rfind(where, 0), 0u) << read.description();
    Error write = test::ErrorOf([] { RegWriteString(kCurrentUserRoot, "K", "A", "new"); });
    EXPECT_EQ(write.numberAndDescription(), read.numberAndDescription());
    EXPECT_EQ(storeText(), text);

    std::optional<user_store::Recovery> recovery =
        user_store::RecoverDamagedStore(kCurrentUserRoot);
    ASSERT_TRUE(recovery);
    EXPECT_NE(recovery->problem.find(where), std::string::npos) << recovery->problem;
    EXPECT_EQ(
        recovery->movedTo.rfind(sandbox.folder().file("xkmtool/HKEY_CURRENT_USER.damaged-"), 0),
        0u);
    EXPECT_EQ(test::ReadFileBytes(recovery->movedTo), text);  // never changed, never deleted
    EXPECT_EQ(RegReadString(kCurrentUserRoot, "K", "A"), keptA);
    EXPECT_EQ(RegReadString(kCurrentUserRoot, "K", "B"), keptB);
    EXPECT_FALSE(user_store::RecoverDamagedStore(kCurrentUserRoot));  // sound now
  }
  // A second damage within the same second does not take the first one's name.
  writeStore("REGEDIT4\n?\n");
  const std::string first = user_store::RecoverDamagedStore(kCurrentUserRoot)->movedTo;
  writeStore("REGEDIT4\n!\n");
  const std::string second = user_store::RecoverDamagedStore(kCurrentUserRoot)->movedTo;
  EXPECT_NE(first, second);
  EXPECT_EQ(test::ReadFileBytes(first), "REGEDIT4\n?\n");
  EXPECT_FALSE(user_store::RecoverDamagedStore(kLocalMachineRoot));  // no file: nothing to do
}

#ifndef _WIN32  // a store folder in the home folder is a POSIX notion
TEST_F(StoreFileTest, StoreFolderFollowsXdgConfigHomeThenHome) {
  EXPECT_EQ(user_store::StoreFolder(), sandbox.folder().path() + "/xkmtool");
  const char* home = std::getenv("HOME");
  std::string savedHome = home ? home : "";
  setenv("HOME", "/home/operator", 1);
  setenv("XDG_CONFIG_HOME", "relative/path", 1);  // only absolute paths count
  EXPECT_EQ(user_store::StoreFolder(), "/home/operator/.config/xkmtool");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(user_store::StoreFilePath(kLocalMachineRoot),
            "/home/operator/.config/xkmtool/HKEY_LOCAL_MACHINE.reg");
  if (home)
    setenv("HOME", savedHome.c_str(), 1);
  else
    unsetenv("HOME");
}
#endif

#ifdef _WIN32
// On Windows the operator's data live in the registry itself; here it is read
// and written with the Win32 calls, past the store's own code.
TEST(RegistryStore, StringsAreWrittenAsRegSzAndValuesSetByOthersReadAsTheirKind) {
  test::StoreSandbox sandbox;
  RegWriteString(kCurrentUserRoot, "Software\\Site\\User", "Name", "Müller, C:\\Aufträge");
  RegWriteString(user_store::kLocalMachineRoot, "Software\\Site\\User", "Name", "machine");
  wchar_t text[64] = {};
  DWORD size = sizeof text;
  DWORD type = 0;
  ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Site\\User", L"Name", RRF_RT_ANY, &type,
                           text, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD{REG_SZ});
  EXPECT_EQ(std::wstring(text), L"M\u00fcller, C:\\Auftr\u00e4ge");
  EXPECT_EQ(RegReadString(user_store::kLocalMachineRoot, "Software\\Site\\User", "Name"),
            "machine");

  const DWORD number = 70000;
  const BYTE binary[] = {1, 2, 3};
  const wchar_t expandable[] = L"%TEMP%";
  ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Site", L"Big", REG_DWORD, &number,
                    sizeof number);
  ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Site", L"Blob", REG_BINARY, binary,
                    sizeof binary);
  ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Site", L"Path", REG_EXPAND_SZ, expandable,
                    sizeof expandable);
  std::vector<std::string> values;
  for (const char* name : {"big", "Blob", "Path", "None"})
    values.push_back(RegReadString(kCurrentUserRoot, "software\\SITE", name));
  EXPECT_EQ(values, (std::vector<std::string>{"4464", "", "%TEMP%", ""}));
}
#endif

}  // namespace
}  // namespace xkm
