#include "core/toolchain/ansi_file_text.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/library/library_loader.h"
#include "core/platform/text/cp1252.h"
#include "core/resources/message_ids.h"
#include "core/toolchain/prepare_session.h"
#include "core/toolchain/tool_chain.h"
#include "support/error_number.h"
#include "toolchain_fixture.h"

namespace xkm {
namespace {

using Messages = std::vector<test::RecordedMessage>;
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
