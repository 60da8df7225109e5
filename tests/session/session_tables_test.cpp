#include <gtest/gtest.h>

#include "core/platform/error.h"
#include "core/session/session.h"

namespace xkm {
namespace {

TEST(InitSessionTables, CreatesTheCatalogueAndEmptyTables) {
  Session session;
  InitSessionTables(session);
  ASSERT_EQ(session.ConfigTable.rowCount(), 23u);
  EXPECT_EQ(*session.ConfigTable.field(0, 0), "HEXFILE");
  EXPECT_EQ(*session.ConfigTable.field(22, 0), "BSL_TEMPLATE");
  for (size_t i = 0; i < 23; ++i) EXPECT_FALSE(session.ConfigTable.field(i, 1).has_value());
  EXPECT_EQ(session.DataTable.rowCount(), 0u);
  EXPECT_EQ(session.SysConstTable.rowCount(), 0u);
  EXPECT_EQ(session.UserDataTable.rowCount(), 0u);
  EXPECT_EQ(session.MemorySegmentTable.columnCount(), 6u);

  WriteValue(session.DataTable, "ECU", "X");
  WriteValue(session.ConfigTable, "HEXFILE", "a.hex");
  InitSessionTables(session);
  EXPECT_EQ(session.DataTable.rowCount(), 0u);
  EXPECT_EQ(ReadValue(session.ConfigTable, "HEXFILE", 1), "");
}

TEST(ReadValue, TrimsNameAndValueAndTakesNullAsEmpty) {
  Session session;
  InitSessionTables(session);
  EXPECT_EQ(ReadValue(session.DataTable, "ECU", 1), "");  // no rows at all
  WriteValue(session.ConfigTable, "HEXFILE", "  /w/a.hex  ");
  EXPECT_EQ(ReadValue(session.ConfigTable, " HEXFILE ", 1), "/w/a.hex");
  EXPECT_EQ(*session.ConfigTable.field(0, 1), "  /w/a.hex  ");  // stored as given
  EXPECT_EQ(ReadValue(session.ConfigTable, "CPU_TYPE", 1), "");
  // Only blanks are trimmed: tabs and line breaks stay.
  WriteValue(session.ConfigTable, "AST", "\tL1\r\n");
  EXPECT_EQ(ReadValue(session.ConfigTable, "AST", 1), "\tL1\r\n");
}

TEST(ReadValue, NamesMatchWithoutCaseAndAnApostropheIsLiteral) {
  Session session;
  InitSessionTables(session);
  WriteValue(session.ConfigTable, "hexfile", "a.hex");
  EXPECT_EQ(ReadValue(session.ConfigTable, "HexFile", 1), "a.hex");
  EXPECT_EQ(session.ConfigTable.rowCount(), 23u);  // updated, not appended

  WriteValue(session.DataTable, "O'BRIEN", "1");
  EXPECT_EQ(ReadValue(session.DataTable, "O'BRIEN", 1), "1");
  EXPECT_EQ(ReadValue(session.DataTable, "O", 1), "");

  WriteValue(session.DataTable, "MOTÖR_Ä", "2");
  EXPECT_EQ(ReadValue(session.DataTable, "motör_ä", 1), "2");
}

TEST(WriteValue, AppendsOnceThenUpdates) {
  SessionTable table({"Name", "Value"});
  WriteValue(table, "A", "1");
  WriteValue(table, "A", "2");
  ASSERT_EQ(table.rowCount(), 1u);
  EXPECT_EQ(ReadValue(table, "A", 1), "2");
}

TEST(ReadValue, TwoRowsOfOneNameCountAsAbsent) {
  SessionTable table({"Name", "Value"});
  for (const char* value : {"1", "2"}) {
    size_t row = table.appendRow();
    table.setField(row, 0, "ECU");
    table.setField(row, 1, value);
  }
  EXPECT_EQ(ReadValue(table, "ECU", 1), "");
  WriteValue(table, "ECU", "3");  // appends yet another row
  EXPECT_EQ(table.rowCount(), 3u);
  EXPECT_EQ(ReadValue(table, "ECU", 1), "");
}

TEST(ReadValue, AnyOtherColumnAndAMissingColumnFails) {
  SessionTable segments({"Name", "F1", "F2", "F3", "F4", "F5"});
  size_t row = segments.appendRow();
  segments.setField(row, 0, "SEG");
  segments.setField(row, 4, "8000");
  EXPECT_EQ(ReadValue(segments, "SEG", 4), "8000");
  EXPECT_EQ(ReadValue(segments, "SEG", 2), "");
  EXPECT_THROW(ReadValue(segments, "SEG", 6), Error);
  EXPECT_EQ(ReadValue(segments, "OTHER", 6), "");  // nothing selected, nothing read
}

TEST(SessionTable, IndexFollowsRenamesAndValuesAreNeverCut) {
  SessionTable table({"Name", "Value"});
  WriteValue(table, "A", std::string(2'000'000, 'x'));
  EXPECT_EQ(ReadValue(table, "A", 1).size(), 2'000'000u);
  table.setField(0, 0, "B");
  EXPECT_EQ(ReadValue(table, "A", 1), "");
  EXPECT_EQ(ReadValue(table, "B", 1).size(), 2'000'000u);
  EXPECT_EQ(table.columnIndex("value"), 1u);
  EXPECT_THROW(table.columnIndex("nothing"), Error);
}

}  // namespace
}  // namespace xkm
