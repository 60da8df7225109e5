#include <gtest/gtest.h>

#include "core/platform/error.h"
#include "core/session/session.h"

namespace xkm {
namespace {

// The catalogue and its order are pinned by the whole-process report.
TEST(InitSessionTables, EmptiesEveryTableAgain) {
  Session session;
  InitSessionTables(session);
  WriteValue(session.DataTable, "ECU", "X");
  WriteValue(session.ConfigTable, "HEXFILE", "a.hex");
  InitSessionTables(session);
  ASSERT_EQ(session.ConfigTable.rowCount(), 23u);
  EXPECT_FALSE(session.ConfigTable.field(0, 1).has_value());
  EXPECT_EQ(session.DataTable.rowCount(), 0u);
}

// Names match trimmed, without case (beyond ASCII too) and literally; values
// are stored as given and read with their blanks (only blanks) trimmed.
TEST(ReadValue, FindsTheOneRowOfANameAndTrimsItsValue) {
  SessionTable table({"Name", "Value"});
  WriteValue(table, "hexfile", "  /w/a.hex  ");
  WriteValue(table, "AST", "\tL1\r\n");
  WriteValue(table, "O'BRIEN", "1");
  WriteValue(table, "MOTÖR_Ä", "2");
  WriteValue(table, "A", "1");
  WriteValue(table, "A", "2");  // updated, not appended
  table.appendRow();            // a row of nulls
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
  EXPECT_EQ(table.rowCount(), 8u);
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
