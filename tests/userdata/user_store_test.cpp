#include "core/platform/os/user_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#ifdef _WIN32
#include <windows.h>
#endif

#include "core/platform/error.h"
#include "core/platform/os/regedit_text.h"
#include "core/userdata/registry.h"
#include "support/error_number.h"
#include "support/store_sandbox.h"

namespace xkm {
namespace {

using user_store::kCurrentUserRoot;
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
  const std::pair<const char*, std::string> reads[] = {{"Software\\Site|name", tricky},
                                                       {"Software\\Site|Empty", ""},
                                                       {"K|Lines", "one\r\ntwo"},
                                                       {"K|Nul", "ab"},
                                                       {"K|After", "x"},
                                                       {"Software\\Other|Name", ""},
                                                       {"Software\\Site|Other", ""},
                                                       {"Software|Name", ""}};  // no parent lookup
  for (const auto& [where, value] : reads) {
    const std::string w = where;
    EXPECT_EQ(RegReadString(kCurrentUserRoot, w.substr(0, w.find('|')), w.substr(w.find('|') + 1)),
              value)
        << where;
  }
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
  const std::tuple<const char*, int, const char*> cases[] = {
      {"REGEDIT4\n\n[K]\n\"A\"=\"1\"\ngarbage\n\"B\"=\"2\"\n", 5, "1|2"},
      {"Windows Registry Editor Version 5.00\n\n[K]\n\"A\"=\"1\"\n", 1, "1|"},
      {"REGEDIT4\n\"A\"=\"1\"\n", 2, "|"},                 // value before any key
      {"REGEDIT4\n[K]\n\"A\"=\"C:\\temp\"\n", 3, "|"},     // lone backslash
      {"REGEDIT4\n[K]\n\"A\"=\"open\n", 3, "|"},           // quote not closed
      {"REGEDIT4\n[K]\n\"A\"=\"1\" 2\n", 3, "|"},          // text after the value
      {"REGEDIT4\n[K]\n\"A\"=dword:123456789\n", 3, "|"},  // nine digits
      {"REGEDIT4\n[K]\n\"A\"=hex:1,zz\n", 3, "|"},
      // Reported where the value starts.
      {"REGEDIT4\n[K]\n\"A\"=hex:01,\\\n  zz\n\"B\"=\"2\"\n", 3, "|2"},
      {"REGEDIT4\n[K\n\"A\"=\"1\"\n[K]\n\"B\"=\"2\"\n", 2, "|2"},
  };
  for (const auto& [text, line, kept] : cases) {
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
    EXPECT_EQ(
        RegReadString(kCurrentUserRoot, "K", "A") + "|" + RegReadString(kCurrentUserRoot, "K", "B"),
        kept);
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
  std::string values;
  for (const char* name : {"big", "Blob", "Path", "None"})
    values += RegReadString(kCurrentUserRoot, "software\\SITE", name) + "|";
  EXPECT_EQ(values, "4464||%TEMP%||");
}
#endif

}  // namespace
}  // namespace xkm
