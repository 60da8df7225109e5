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

}  // namespace
}  // namespace xkm
