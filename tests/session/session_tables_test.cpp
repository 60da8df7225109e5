#include <gtest/gtest.h>

#include "core/platform/error.h"
#include "core/session/session.h"

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
  EXPECT_EQ(*table.field(0, 1) + std::to_string(table.rowCount()), "  /w/a.hex  6");
  // Two rows of one name count as absent, and a write then appends a third.
  table.setField(5, 0, "ECU");
  std::string reads = ReadValue(table, "ECU", 1) + "|";  // a null value reads as empty
  table.setField(5, 1, "1");
  reads += ReadValue(table, "ECU", 1) + "|";
  WriteValue(table, "ECU2", "x");
  table.setField(6, 0, "ECU");
  reads += ReadValue(table, "ECU", 1) + "|";
  WriteValue(table, "ECU", "3");
  EXPECT_EQ(reads + ReadValue(table, "ECU", 1) + std::to_string(table.rowCount()), "|1||8");
}

TEST(SessionTable, OtherColumnsIndexFollowsRenamesAndValuesAreNeverCut) {
  SessionTable table({"Name", "F1", "F2", "F3", "F4", "F5"});
  WriteValue(table, "A", std::string(2'000'000, 'x'));
  table.setField(0, 4, "8000");
  EXPECT_EQ(ReadValue(table, "A", 4) + "|" + ReadValue(table, "A", 2), "8000|");
  EXPECT_THROW(ReadValue(table, "A", 6), Error);
  EXPECT_EQ(ReadValue(table, "OTHER", 6), "");  // nothing selected, nothing read
  table.setField(0, 0, "B");
  EXPECT_EQ(ReadValue(table, "A", 1), "");
  EXPECT_EQ(ReadValue(table, "B", 1), std::string(2'000'000, 'x'));
  EXPECT_EQ(table.columnIndex("f5"), 5u);
  EXPECT_THROW(table.columnIndex("nothing"), Error);
}

}  // namespace
}  // namespace xkm
