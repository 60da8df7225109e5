#include "core/templates/checksum_import.h"

#include "core/session/session.h"
#include "core/templates/text_stream_reader.h"
#include "support/scratch_folder.h"
#include "template_fixture.h"

namespace xkm::test {
namespace {

const std::string kFrame = "GetTextStreamAsRecordSet : ";

// All rows as "a|b|<null>" lines, for comparing whole tables at once.
std::string Dump(const SessionTable& table) {
  std::string text;
  for (const std::string& column : table.columns()) text += column + ";";
  for (const SessionTable::Row& row : table.rows()) {
    text += "\n";
    for (const SessionTable::Field& f : row) text += (f ? *f : "<null>") + "|";
  }
  return text;
}

class ReaderTest : public ::testing::Test {
 protected:
  SessionTable read(const std::string& bytes, const std::string& delimiter, bool header) {
    return clsLib().GetTextStreamAsRecordSet(scratch.write("t.txt", bytes), delimiter, header);
  }
  void expectFailure(const std::string& bytes, const std::string& delimiter, bool header,
                     const std::string& underlying) {
    std::string path = scratch.write("t.txt", bytes);
    try {
      clsLib().GetTextStreamAsRecordSet(path, delimiter, header);
      ADD_FAILURE() << "no error for " << bytes;
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), 60000);
      EXPECT_EQ(e.source(), "GetTextStreamAsRecordSet");
      EXPECT_EQ(e.description().substr(0, kFrame.size() + underlying.size()), kFrame + underlying);
    }
  }
  ScratchFolder scratch;
};

TEST_F(ReaderTest, WithoutHeaderTheFirstLineIsDataToo) {
  SessionTable table = read("a;b;c\r\n\nx\ry;\xE4\r\n", ";", false);
  EXPECT_EQ(
      Dump(table),
      "FIELD_1;FIELD_2;FIELD_3;\na|b|c|\n<null>|<null>|<null>|\nx|<null>|<null>|\ny|ä|<null>|");
  EXPECT_EQ(table.columnIndex("Field_2"), 1u);
  EXPECT_EQ(Dump(read("one line", ";", false)), "FIELD_1;\none line|");
}

TEST_F(ReaderTest, HeaderNamesTheColumns) {
  EXPECT_EQ(Dump(read("Kind;Name\nChecksum;A\n", ";", true)), "Kind;Name;\nChecksum|A|");
  EXPECT_EQ(Dump(read("Kind;Name", ";", true)), "Kind;Name;");
}

TEST_F(ReaderTest, ASeparatorThatNeverOccursKeepsLinesWhole) {
  EXPECT_EQ(Dump(read("a;b\nc,d", "|", false)), "FIELD_1;\na;b|\nc,d|");
  EXPECT_EQ(Dump(read("a;b\nc,d", "", false)), "FIELD_1;\na;b|\nc,d|");
  EXPECT_EQ(Dump(read("a::b::\n", "::", false)), "FIELD_1;FIELD_2;FIELD_3;\na|b||");
}

TEST_F(ReaderTest, FailuresComeInOneFrame) {
  expectFailure("a;b\nCS;x;y", ";", false, "3265 ");
  expectFailure("Name;name\n", ";", true, "3367 ");
  expectFailure("", ";", false, "60000 File empty : " + scratch.file("t.txt"));
  ExpectError([&] { clsLib().GetTextStreamAsRecordSet(scratch.file("none.txt"), ";", false); },
              60000, kFrame + "60000 File not found : " + scratch.file("none.txt"));
}

class ImportChecksumsTest : public TemplateTest {
 protected:
  ImportChecksumsTest() {
    WriteValue(session.ConfigTable, "PFADZIELABLAGE", " " + scratch.path() + " ");
  }
  std::string dataRows() { return Dump(session.DataTable); }
  ScratchFolder scratch;
};

TEST_F(ImportChecksumsTest, AppendsChecksumLinesInFileOrder) {
  WriteValue(session.DataTable, "CS_A", "old");
  scratch.write("CS.LOG",
                "Log;of;the;tool\r\nChecksum;CS_A;1234\r\nInfo;x;y\r\n Checksum;CS_X;1\r\n"
                "checksum;CS_B;ABCD;extra\r\nChecksum\r\n");
  ImportChecksums(ctx);
  EXPECT_EQ(dataRows(), "Name;Value;\nCS_A|old|\nCS_A|1234|\nCS_B|ABCD|\n<null>|<null>|");
  EXPECT_EQ(ReadValue(session.DataTable, "CS_A", 1), "");  // twice: counts as absent
  EXPECT_EQ(ReadValue(session.DataTable, "CS_B", 1), "ABCD");
}

// The other failures of a log are the reader's, and reach the operator whole
// (see the whole-process tests of garbage logs).
TEST_F(ImportChecksumsTest, AMissingLogNamesTheTrimmedPath) {
  ExpectError(
      [&] { ImportChecksums(ctx); }, 60019,
      "60019 Checksummen-File nicht gefunden - Checksummen können nicht eingelesen werden : " +
          scratch.file("CS.LOG"));
  EXPECT_EQ(session.DataTable.rowCount(), 0u);
}

}  // namespace
}  // namespace xkm::test
