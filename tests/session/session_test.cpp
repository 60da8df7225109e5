#include "core/session/session.h"

#include <gtest/gtest.h>

#include "core/platform/error.h"
#include "core/platform/os/ini_reader.h"
#include "core/platform/text/text_pieces.h"
#include "core/session/conversions.h"
#include "core/toolchain/captured_run.h"
#include "support/error_number.h"
#include "support/recording_host.h"
#include "support/scratch_folder.h"

namespace xkm {
namespace {

// The catalogue and its order are pinned by the whole-process report, that
// a new preparation starts from empty tables by the preparation's tests.

// Names match trimmed, without case (beyond ASCII too) and literally; values
// are stored as given and read with their blanks (only blanks) trimmed.
TEST(ReadValue, FindsTheOneRowOfANameAndTrimsItsValue) {
  SessionTable table({"Name", "Value"});
  for (const auto& [name, value] : {std::pair{"hexfile", "  /w/a.hex  "},
                                    {"AST", "\tL1\r\n"},
                                    {"O'BRIEN", "1"},
                                    {"MOTÖR_Ä", "2"},
                                    {"A", "1"},
                                    {"A", "2"}})
    WriteValue(table, name, value);  // the second A is updated, not appended
  table.appendRow();                 // a row of nulls
  const std::pair<const char*, const char*> rows[] = {
      {" HexFile ", "/w/a.hex"}, {"AST", "\tL1\r\n"}, {"O'BRIEN", "1"}, {"O", ""},
      {"motör_ä", "2"},          {"A", "2"},          {"NONE", ""}};
  for (const auto& [name, value] : rows) EXPECT_EQ(ReadValue(table, name, 1), value) << name;
  EXPECT_EQ(*table.field(0, 1), "  /w/a.hex  ");
  EXPECT_EQ(table.rowCount(), 6u);
  // Two rows of one name count as absent, and a write then appends a third.
  table.setField(5, 0, "ECU");
  EXPECT_EQ(ReadValue(table, "ECU", 1), "");  // a null value reads as empty
  table.setField(5, 1, "1");
  EXPECT_EQ(ReadValue(table, "ECU", 1), "1");
  WriteValue(table, "ECU2", "x");
  table.setField(6, 0, "ECU");
  EXPECT_EQ(ReadValue(table, "ECU", 1), "");
  WriteValue(table, "ECU", "3");
  EXPECT_EQ(ReadValue(table, "ECU", 1), "");
  EXPECT_EQ(table.rowCount(), 8u);
}

TEST(SessionTable, OtherColumnsIndexFollowsRenamesAndValuesAreNeverCut) {
  SessionTable table({"Name", "F1", "F2", "F3", "F4", "F5"});
  WriteValue(table, "A", std::string(2'000'000, 'x'));
  table.setField(0, 4, "8000");
  EXPECT_EQ(ReadValue(table, "A", 4), "8000");
  EXPECT_EQ(ReadValue(table, "A", 2), "");
  EXPECT_THROW(ReadValue(table, "A", 6), Error);
  EXPECT_EQ(ReadValue(table, "OTHER", 6), "");  // nothing selected, nothing read
  table.setField(0, 0, "B");
  EXPECT_EQ(ReadValue(table, "A", 1), "");
  EXPECT_EQ(ReadValue(table, "B", 1), std::string(2'000'000, 'x'));
  EXPECT_EQ(table.columnIndex("f5"), 5u);
  EXPECT_THROW(table.columnIndex("nothing"), Error);
}

TEST(ToLong, WholeNumbersWithBlanksRadixAndBankersRoundingOrTheError) {
  const std::pair<const char*, int32_t> values[] = {
      // blanks, rounding half to even, exponents, radix
      {" 2 ", 2},
      {"-17", -17},
      {"2.5", 2},
      {"3.5", 4},
      {"-2.5", -2},
      {"1e3", 1000},
      {"1E2", 100},
      {"1D2", 100},
      {"2d1", 20},
      {"&H1F", 31},
      {"&hFFFFFFFF", -1},
      {"&O17", 15},
      {"2147483647", 2147483647}};
  for (const auto& [text, value] : values) EXPECT_EQ(ToLong(text), value) << text;
  // Not a number (13) or out of range (6).
  const std::pair<const char*, int> failures[] = {
      {"", 13},          {"   ", 13},        {"12abc", 13},      {"abc", 13},
      {"2147483648", 6}, {"-2147483649", 6}, {"&H100000000", 6}, {"&O40000000000", 6}};
  for (const auto& [text, error] : failures)
    EXPECT_EQ(test::ErrorOf([&] { ToLong(text); }).number(), error) << text;
}

TEST(Val, ReadsTheLeadingNumber) {
  const std::pair<const char*, double> rows[] = {{"40000000", 40000000},
                                                 {" 1 2 3abc", 123},
                                                 {"\t\n4.9", 4.9},
                                                 {"12.5e1x", 125},
                                                 {"1.5D2", 150},
                                                 {"&H10", 16},
                                                 {"1H5", 1},
                                                 {"ST10", 0},
                                                 {"", 0},
                                                 {"-3", -3},
                                                 {"5e", 5}};
  for (const auto& [text, value] : rows) EXPECT_DOUBLE_EQ(Val(text), value) << text;
}

TEST(ReadIniValue, CutsAt255CharactersAndFallsBackToTheDefault) {
  test::ScratchFolder folder;
  const std::string ini =
      folder.write("a.ini", "[S]\r\nlong=" + std::string(300, 'v') + "\r\nk= x \r\n");
  EXPECT_EQ(ReadIniValue(ini, "S", "long", ""), std::string(255, 'v'));
  EXPECT_EQ(ReadIniValue(ini, "s", "K", ""), "x");
  EXPECT_EQ(ReadIniValue(ini, "S", "none", "dflt"), "dflt");
  EXPECT_EQ(ReadIniValue(folder.file("missing.ini"), "S", "k", "dflt"), "dflt");
}

TEST(ReplaceAll, ReplacesWithoutOverlapOrRescanAndHasNoLengthLimit) {
  const std::tuple<const char*, const char*, const char*, const char*> rows[] = {
      {"aaa", "aa", "X", "Xa"},  // no overlap
      {"ab", "a", "aa", "aab"},  // no rescan of what came in
      {"abc", "x", "y", "abc"},
      {"ABC", "b", "x", "ABC"},  // case counts
  };
  for (const auto& [text, search, replacement, replaced] : rows)
    EXPECT_EQ(ReplaceAll(text, search, replacement), replaced) << text;
  const std::string dots(40'000, '.');
  EXPECT_EQ(ReplaceAll(dots + "<$X>", "<$X>", "v"), dots + "v");
}

// Passing the command line literally is the process tests' and the hostile
// runs' job; here the waiting.
// The host does the waiting, a tick at a time: a window then waits idle for
// its own events instead of being blocked on the tool.
TEST(RunAndCapture, LetsTheHostWaitWhileAToolRuns) {
  struct WaitingHost : test::RecordingHost {
    void waitForEvents(std::chrono::milliseconds time) override { waits.push_back(time); }
    std::vector<std::chrono::milliseconds> waits;
  } host;
  EXPECT_TRUE(RunAndCapture(host, "\"" XKM_STAND_IN_EXE "\" sleep=200").started);
  ASSERT_FALSE(host.waits.empty());
  EXPECT_EQ(host.waits.front(), std::chrono::milliseconds(30));
}

// What one run did must not pass for the next run's: a container an earlier
// run wrote would be converted as this run's.
TEST(Session, BeginRunForgetsTheLastRunsOutputs) {
  Session session;
  session.writtenContainer = "earlier.xkm";
  session.convertedContainer = "earlier.sgo";
  session.writtenControlFile = "earlier.ctl";
  session.preparationFailure = "earlier failure";
  session.prepared.folder = "/earlier";
  session.endedByStop = true;
  session.beginRun();
  EXPECT_EQ(session.writtenContainer, "");
  EXPECT_EQ(session.convertedContainer, "");
  EXPECT_EQ(session.writtenControlFile, "");
  EXPECT_EQ(session.preparationFailure, "");
  EXPECT_EQ(session.prepared.folder, "");
  EXPECT_FALSE(session.endedByStop);
}

}  // namespace
}  // namespace xkm
