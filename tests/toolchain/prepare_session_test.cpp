#include "core/toolchain/prepare_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/platform/cp1252.h"
#include "toolchain_fixture.h"

namespace xkm {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

struct PrepareSessionTest : ::testing::Test, test::ToolchainFixture {
  PrepareSessionTest() { installLibrary(); }
};

TEST_F(PrepareSessionTest, StoresEveryResultAndWritesTheQsrScript) {
  const std::string a2l = input("ecu_st10.a2l", "a2l/ecu.a2l");
  const std::string hex = input("ecu_st10.hex", "Aufträge Müller/image.v2.hex");
  const std::string work = folder.file("Aufträge Müller");
  folder.write("Aufträge Müller/CS_ST10.qsr",
               "an older script that is much longer than the new one");
  app.StopRequested = true;

  PrepareSession(ctx, hex, a2l);

  EXPECT_TRUE(host.messages.empty()) << host.messages[0].text;
  EXPECT_THAT(host.busyPointerCalls, ElementsAre(true, true, false));
  EXPECT_EQ(host.processEventsCount, 1);
  EXPECT_FALSE(app.StopRequested);  // the library loaded
  EXPECT_EQ(fs::CurrentFolder(), work);

  EXPECT_EQ(config("HEXFILESHORT_WITHOUT_EXTENSION"), "image");
  // The script is the template's text as it is, replacing the older file.
  const std::string script = test::ReadFileBytes(folder.file("Aufträge Müller/CS_ST10.qsr"));
  EXPECT_THAT(script, StartsWith("; checksum script: one CHECKSUM line per checksum"));
  EXPECT_EQ(script.find("older"), std::string::npos);
}

TEST_F(PrepareSessionTest, ShortNameWithoutExtensionIsCutAtTheFirstDot) {
  const std::string a2l = input("ecu_tc.a2l", "ecu.a2l");
  for (const auto& [name, expected] : std::vector<std::pair<std::string, std::string>>{
           {"image", "image"}, {".hidden.s19", ""}, {"a.b.c.s19", "a"}}) {
    PrepareSession(ctx, input("ecu_tc.s19", name), a2l);
    EXPECT_EQ(config("HEXFILESHORT"), name);
    EXPECT_EQ(config("HEXFILESHORT_WITHOUT_EXTENSION"), expected);
  }
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(PrepareSessionTest, HexPathWithoutSeparatorStopsAtSplitPath) {
  const std::string a2l = input("ecu_st10.a2l", "ecu.a2l");
  PrepareSession(ctx, "image.hex", a2l);
  ASSERT_THAT(host.messages,
              ElementsAre(test::RecordedMessage{"Error", "5 Invalid procedure call or argument"}));
  EXPECT_EQ(host.busyPointerCalls.back(), false);
  EXPECT_EQ(config("A2LFILE"), a2l);
  EXPECT_EQ(config("HEXFILE"), "image.hex");
  EXPECT_EQ(config("CONFIG_NUM"), "1");
  for (const char* later : {"CPU_TYPE", "PFADZIELABLAGE", "AST", "QSR_TEMPLATE", "OPTIONS_KEY"})
    EXPECT_FALSE(session.ConfigTable.field(session.ConfigTable.rowsNamed(later)[0], 1)) << later;
}

TEST_F(PrepareSessionTest, WithoutLibraryTheLoadAndThenTheLookupReport) {
  std::filesystem::remove_all(app.ExecutableFolder);
  std::filesystem::create_directories(app.ExecutableFolder);
  const std::string a2l = input("ecu_st10.a2l", "ecu.a2l");
  const std::string hex = input("ecu_st10.hex", "ecu.hex");
  app.StopRequested = true;
  PrepareSession(ctx, hex, a2l);
  EXPECT_TRUE(app.StopRequested);  // only a loaded library ends an earlier Stop
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0],
            (test::RecordedMessage{"Error", "60013 Kein oder mehr als ein Library-File gefunden"}));
  EXPECT_EQ(
      host.messages[1],
      (test::RecordedMessage{"Error", "60001 Keine Information über ECU in der Library gefunden"}));
  EXPECT_THAT(host.busyPointerCalls, ElementsAre(true, false));
  size_t written = 0;
  for (const SessionTable::Row& row : session.ConfigTable.rows()) written += row[1].has_value();
  EXPECT_EQ(written, 2u);
  EXPECT_EQ(config("HEXFILE"), hex);
}

TEST_F(PrepareSessionTest, A2lFailureIsShownAndTheTablesStayFresh) {
  // Something from an earlier run must not survive.
  InitSessionTables(session);
  WriteValue(session.DataTable, "ECU", "EARLIER");
  const std::string a2l = folder.write("bad.a2l", "/begin MOD_PAR\r\n/end MOD_PAR\r\n");
  PrepareSession(ctx, input("ecu_st10.hex", "ecu.hex"), a2l);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "60012 Keine Information über ECU in A2L-File gefunden");
  EXPECT_EQ(session.DataTable.rowCount(), 0u);
}

}  // namespace
}  // namespace xkm
