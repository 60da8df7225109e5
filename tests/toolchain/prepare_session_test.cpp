#include "core/toolchain/prepare_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/library/library_loader.h"
#include "core/platform/text/cp1252.h"
#include "core/resources/message_ids.h"
#include "core/toolchain/ansi_file_text.h"
#include "core/toolchain/tool_chain.h"
#include "support/error_number.h"
#include "toolchain_fixture.h"

namespace xkm {
namespace {

using ::testing::ElementsAre;
using Messages = std::vector<test::RecordedMessage>;

struct PrepareSessionTest : ::testing::Test, test::ToolchainFixture {
  PrepareSessionTest() { installLibrary(); }
  // The names of the configuration rows that hold a value.
  std::string written() const {
    std::string names;
    for (const SessionTable::Row& row : session.ConfigTable.rows())
      if (row[1]) names += *row[0] + " ";
    return names;
  }
};

// The stored results are pinned by the whole-process report; here what a
// report does not show.
TEST_F(PrepareSessionTest, ShowsItsWorkReplacesAnOlderScriptAndLeavesTheCurrentFolder) {
  const std::string a2l = input("ecu_st10.a2l", "a2l/ecu.a2l");
  const std::string hex = input("ecu_st10.hex", "Aufträge Müller/image.v2.hex");
  folder.write("Aufträge Müller/CS_ST10.qsr",
               "an older script that is much longer than the new one");
  app.StopRequested = true;
  const std::string started = fs::CurrentFolder();
  PrepareSession(ctx, hex, a2l);
  EXPECT_EQ(host.messages, Messages{});
  EXPECT_THAT(host.busyPointerCalls, ElementsAre(true, true, false));
  EXPECT_EQ(host.processEventsCount, 1);
  EXPECT_FALSE(app.StopRequested);          // the library loaded
  EXPECT_EQ(fs::CurrentFolder(), started);  // the tools get their folder, the process keeps its
  // The script is the template's text as it is, replacing the older file.
  const std::string script = test::ReadFileBytes(folder.file("Aufträge Müller/CS_ST10.qsr"));
  EXPECT_THAT(script, ::testing::StartsWith("; checksum script: one CHECKSUM line per checksum"));
  EXPECT_EQ(script.find("older"), std::string::npos);
}

TEST_F(PrepareSessionTest, ShortNameWithoutExtensionIsCutAtTheFirstDot) {
  const std::string a2l = input("ecu_tc.a2l", "ecu.a2l");
  const std::pair<std::string, std::string> rows[] = {
      {"image", "image"}, {".hidden.s19", ""}, {"a.b.c.s19", "a"}, {"image.v2.hex", "image"}};
  for (const auto& [name, expected] : rows) {
    PrepareSession(ctx, input("ecu_tc.s19", name), a2l);
    EXPECT_EQ(config("HEXFILESHORT") + "|" + config("HEXFILESHORT_WITHOUT_EXTENSION"),
              name + "|" + expected);
  }
  EXPECT_EQ(host.messages, Messages{});
}

// A failure is shown, ends the busy pointer and leaves fresh tables with only
// the rows written before it; only a loaded library ends an earlier Stop.
TEST_F(PrepareSessionTest, AFailureIsShownAndLeavesOnlyTheRowsBeforeIt) {
  const std::string hex = input("ecu_st10.hex", "ecu.hex"), a2l = input("ecu_st10.a2l", "ecu.a2l");
  const std::string bad = folder.write("bad.a2l", "/begin MOD_PAR\r\n/end MOD_PAR\r\n");
  const std::string noLibrary =
      "60013 Kein oder mehr als ein Library-File gefunden|"
      "60001 Keine Information über ECU in der Library gefunden|";
  const std::tuple<std::string, std::string, std::string, std::string> rows[] = {
      {"image.hex", a2l, "5 Invalid procedure call or argument|", "HEXFILE A2LFILE CONFIG_NUM "},
      {hex, bad, "60012 Keine Information über ECU in A2L-File gefunden|", ""},
      {hex, a2l, noLibrary, "HEXFILE A2LFILE "}};
  for (const auto& [image, description, messages, rowsWritten] : rows) {
    if (messages == noLibrary) {
      std::filesystem::remove_all(app.ExecutableFolder);
      std::filesystem::create_directories(app.ExecutableFolder);
    }
    InitSessionTables(session);
    WriteValue(session.DataTable, "ECU", "EARLIER");
    host.messages.clear();
    app.StopRequested = true;
    PrepareSession(ctx, image, description);
    std::string shown;
    for (const test::RecordedMessage& message : host.messages)
      shown += (message.title == "Error" ? "" : message.title) + message.text + "|";
    EXPECT_EQ(shown, messages);
    EXPECT_EQ(host.busyPointerCalls.back(), false);
    EXPECT_NE(ReadValue(session.DataTable, "ECU", 1), "EARLIER");
    EXPECT_EQ(config("HEXFILE") + "|" + config("A2LFILE"), image + "|" + description);
    EXPECT_EQ(rowsWritten.empty() ? "" : written(), rowsWritten);
  }
  EXPECT_TRUE(app.StopRequested);
}

constexpr const char* kRefused = "60042 Zeichen ohne Windows-1252-Code, Datei nicht geschrieben";

struct AnsiFileTextTest : ::testing::Test, test::ToolchainFixture {
  AnsiFileTextTest() {
    InitSessionTables(session);
    WriteValue(session.ConfigTable, "PFADZIELABLAGE", folder.path());
    WriteValue(session.ConfigTable, "DATABLOCK_COUNT", "0");
  }
  // The description EncodeForAnsiFile refuses `text` with; empty when it does not.
  std::string refusal(const std::string& text, const std::vector<TextSource>& templates = {}) {
    const Error e = test::ErrorOf([&] {
      EXPECT_EQ(EncodeForAnsiFile(ctx, text, "/w/f.xkm", templates), EncodeCp1252(text));
    });
    EXPECT_EQ(e.number(), e.description().empty() ? 0 : msg::kUnencodableCharacter);
    return e.description();
  }
  clsToolChain toolChain{ctx, [](const std::string&) {}};
};

TEST_F(AnsiFileTextTest, NamesTheFileTheCharacterAndWhereItCameFrom) {
  WriteValue(session.DataTable, "RECEIVER_SURNAME", "Dvořák");
  WriteValue(session.ConfigTable, "RAW_CONTENT", "[XKM] →");
  session.SysConstTable.setField(session.SysConstTable.appendRow(), 0, "SY_SMILE");
  session.SysConstTable.setField(0, 1, "😀");
  app.UserInfoTable->setField(app.UserInfoTable->appendRow(), 0, "USERNAME");
  app.UserInfoTable->setField(0, 4, "Łukasz");

  const std::string head = "Zeichen ohne Windows-1252-Code, Datei nicht geschrieben : /w/f.xkm : ";
  const std::pair<std::string, std::string> rows[] = {
      {"Größe €‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ ÿ", ""},  // all of them have a code
      {"Herr Dvořák", "\"ř\" (U+0159) : <$DATA.RECEIVER_SURNAME>"},
      {"x → y", "\"→\" (U+2192) : <$CONFIG.RAW_CONTENT>"},
      {"a😀", "\"😀\" (U+1F600) : <$SYSCONST.SY_SMILE>"},
      {"by Łukasz", "\"Ł\" (U+0141) : <$USERINFO.USERNAME>"},
      {"Ωmega", "\"Ω\" (U+03A9) : ?"},
      {"a\xFF", "(byte 0xFF) : ?"}};
  for (const auto& [text, details] : rows)
    EXPECT_EQ(refusal(text), details.empty() ? "" : head + details) << text;
  EXPECT_EQ(refusal("Ωmega", {{"<ADRESSLAYOUT A QSR>", "Ω"}}),
            head + "\"Ω\" (U+03A9) : <ADRESSLAYOUT A QSR>");
}

TEST_F(AnsiFileTextTest, TheContainerIsRefusedAndTheRunGoesOn) {
  std::string holder;
  // Earlier outputs are set aside in the folder the run claimed.
  ASSERT_EQ(session.folderLock.tryAcquire(folder.file(".xkmtool.lock"), "", holder),
            FileLock::Status::Acquired);
  folder.write("ABC___________12.xkm", "an earlier container");
  WriteValue(session.DataTable, "SGIDB1", "ABC");
  WriteValue(session.DataTable, "SGIDB3", "12");
  WriteValue(session.DataTable, "RECEIVER_SURNAME", "Dvořák");
  WriteValue(session.ConfigTable, "MCS_CONTENT",
             "<variable name=\"N\" value=\"<$DATA.RECEIVER_SURNAME>\">");
  WriteValue(session.ConfigTable, "RAW_CONTENT", "Name=<?variable name=\"N\"?>\r\n");
  toolChain.CallByName("BuildXKMContainer");
  EXPECT_EQ(
      host.messages,
      Messages({{"xkmtool", std::string(kRefused) + " : " + folder.file("ABC___________12.xkm") +
                                " : \"ř\" (U+0159) : <$DATA.RECEIVER_SURNAME>"}}));
  // The earlier container must not pass for this run's.
  EXPECT_FALSE(std::filesystem::exists(folder.file("ABC___________12.xkm")));
  EXPECT_EQ(test::ReadFileBytes(folder.file("ABC___________12.xkm.earlier-run")),
            "an earlier container");
}

// The QSR script comes from the library alone; its template is named.
TEST_F(AnsiFileTextTest, TheQsrScriptIsRefusedAndThePreparationStops) {
  std::string library = test::ReadFileBytes(test::DemoLibrary());
  const std::string marker = "<DATA>; checksum script";
  library.replace(library.find(marker), marker.size(), "<DATA>; checksum script &#x2192;");
  SealLibraryFile(folder.write("exe/draft.lbr", library));
  PrepareSession(ctx, input("ecu_st10.hex", "work/ecu.hex"), input("ecu_st10.a2l", "ecu.a2l"));
  EXPECT_EQ(host.messages,
            Messages({{"Error", std::string(kRefused) + " : " + folder.file("work/CS_ST10.qsr") +
                                    " : \"→\" (U+2192) : <ADRESSLAYOUT AST_ST10_2BLOCK QSR>"}}));
  EXPECT_FALSE(std::filesystem::exists(folder.file("work/CS_ST10.qsr")));
  EXPECT_EQ(config("QSR_TEMPLATE"), "");
}

}  // namespace
}  // namespace xkm
