#include "core/toolchain/prepare_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "toolchain_fixture.h"

namespace xkm {
namespace {

using ::testing::ElementsAre;
using Messages = std::vector<test::RecordedMessage>;

struct PrepareSessionTest : ::testing::Test, test::ToolchainFixture {
  PrepareSessionTest() { installLibrary(); }
  // The configuration rows that hold a value.
  size_t written() const {
    size_t count = 0;
    for (const SessionTable::Row& row : session.ConfigTable.rows()) count += row[1].has_value();
    return count;
  }
};

// The stored results are pinned by the whole-process report; here what a
// report does not show.
TEST_F(PrepareSessionTest, ShowsItsWorkReplacesAnOlderScriptAndChangesIntoTheImagesFolder) {
  const std::string a2l = input("ecu_st10.a2l", "a2l/ecu.a2l");
  const std::string hex = input("ecu_st10.hex", "Aufträge Müller/image.v2.hex");
  folder.write("Aufträge Müller/CS_ST10.qsr",
               "an older script that is much longer than the new one");
  app.StopRequested = true;
  PrepareSession(ctx, hex, a2l);
  EXPECT_EQ(host.messages, Messages{});
  EXPECT_THAT(host.busyPointerCalls, ElementsAre(true, true, false));
  EXPECT_EQ(host.processEventsCount, 1);
  EXPECT_FALSE(app.StopRequested);  // the library loaded
  EXPECT_EQ(fs::CurrentFolder(), folder.file("Aufträge Müller"));
  // The script is the template's text as it is, replacing the older file.
  const std::string script = test::ReadFileBytes(folder.file("Aufträge Müller/CS_ST10.qsr"));
  EXPECT_THAT(script, ::testing::StartsWith("; checksum script: one CHECKSUM line per checksum"));
  EXPECT_EQ(script.find("older"), std::string::npos);
}

TEST_F(PrepareSessionTest, ShortNameWithoutExtensionIsCutAtTheFirstDot) {
  const std::string a2l = input("ecu_tc.a2l", "ecu.a2l");
  for (const auto& [name, expected] :
       std::vector<std::pair<std::string, std::string>>{{"image", "image"},
                                                        {".hidden.s19", ""},
                                                        {"a.b.c.s19", "a"},
                                                        {"image.v2.hex", "image"}}) {
    PrepareSession(ctx, input("ecu_tc.s19", name), a2l);
    EXPECT_EQ(config("HEXFILESHORT") + "|" + config("HEXFILESHORT_WITHOUT_EXTENSION"),
              name + "|" + expected);
  }
  EXPECT_EQ(host.messages, Messages{});
}

TEST_F(PrepareSessionTest, HexPathWithoutSeparatorStopsAtSplitPath) {
  const std::string a2l = input("ecu_st10.a2l", "ecu.a2l");
  PrepareSession(ctx, "image.hex", a2l);
  EXPECT_EQ(host.messages, Messages({{"Error", "5 Invalid procedure call or argument"}}));
  EXPECT_EQ(host.busyPointerCalls.back(), false);
  EXPECT_EQ(config("A2LFILE") + "|" + config("HEXFILE") + "|" + config("CONFIG_NUM"),
            a2l + "|image.hex|1");
  EXPECT_EQ(written(), 3u);
}

TEST_F(PrepareSessionTest, WithoutLibraryTheLoadAndThenTheLookupReport) {
  std::filesystem::remove_all(app.ExecutableFolder);
  std::filesystem::create_directories(app.ExecutableFolder);
  const std::string hex = input("ecu_st10.hex", "ecu.hex");
  app.StopRequested = true;
  PrepareSession(ctx, hex, input("ecu_st10.a2l", "ecu.a2l"));
  EXPECT_TRUE(app.StopRequested);  // only a loaded library ends an earlier Stop
  EXPECT_EQ(host.messages,
            Messages({{"Error", "60013 Kein oder mehr als ein Library-File gefunden"},
                      {"Error", "60001 Keine Information über ECU in der Library gefunden"}}));
  EXPECT_THAT(host.busyPointerCalls, ElementsAre(true, false));
  EXPECT_EQ(written(), 2u);
  EXPECT_EQ(config("HEXFILE"), hex);
}

TEST_F(PrepareSessionTest, A2lFailureIsShownAndTheTablesStayFresh) {
  InitSessionTables(session);
  WriteValue(session.DataTable, "ECU", "EARLIER");  // must not survive
  PrepareSession(ctx, input("ecu_st10.hex", "ecu.hex"),
                 folder.write("bad.a2l", "/begin MOD_PAR\r\n/end MOD_PAR\r\n"));
  EXPECT_EQ(host.messages,
            Messages({{"Error", "60012 Keine Information über ECU in A2L-File gefunden"}}));
  EXPECT_EQ(session.DataTable.rowCount(), 0u);
}

}  // namespace
}  // namespace xkm
