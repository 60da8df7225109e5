#include "core/templates/checksum_import.h"

#include "core/session/session.h"
#include "core/templates/text_stream_reader.h"
#include "support/error_number.h"
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

class ReaderTest : public TemplateTest {
 protected:
  SessionTable read(const std::string& bytes, const std::string& delimiter, bool header) {
    return clsLib().GetTextStreamAsRecordSet(scratch.write("t.txt", bytes), delimiter, header);
  }
  ScratchFolder scratch;
};

// Without a header the first line is data too; a separator that never occurs keeps lines whole.
TEST_F(ReaderTest, LinesSplitIntoFields) {
  const std::tuple<const char*, const char*, bool, const char*> rows[] = {
      {"a;b;c\r\n\nx\ry;\xE4\r\n", ";", false,
       "FIELD_1;FIELD_2;FIELD_3;\na|b|c|\n<null>|<null>|<null>|\nx|<null>|<null>|\ny|ä|<null>|"},
      {"one line", ";", false, "FIELD_1;\none line|"},
      {"Kind;Name\nChecksum;A\n", ";", true, "Kind;Name;\nChecksum|A|"},
      {"Kind;Name", ";", true, "Kind;Name;"},
      {"a;b\nc,d", "|", false, "FIELD_1;\na;b|\nc,d|"},
      {"a;b\nc,d", "", false, "FIELD_1;\na;b|\nc,d|"},
      {"a::b::\n", "::", false, "FIELD_1;FIELD_2;FIELD_3;\na|b||"},
  };
  for (const auto& [bytes, delimiter, header, table] : rows)
    EXPECT_EQ(Dump(read(bytes, delimiter, header)), table) << bytes;
  EXPECT_EQ(read("a;b", ";", false).columnIndex("Field_2"), 1u);
}

TEST_F(ReaderTest, AMissingOrEmptyFileIsSaidSo) {
  const std::pair<std::string, std::string> rows[] = {
      {scratch.file("gone.txt"), "File not found : "},
      {scratch.write("empty.txt", ""), "File empty : "}};
  for (const auto& [path, reason] : rows) {
    const Error error = ErrorOf([&] { clsLib().GetTextStreamAsRecordSet(path, ";", false); });
    EXPECT_EQ(error.description(), "GetTextStreamAsRecordSet : 60000 " + reason + path);
  }
}

// A missing log names the trimmed path; the other failures of a log are the
// reader's, and reach the operator whole (see the whole-process tests of garbage logs).
TEST_F(ReaderTest, ImportAppendsChecksumLinesInFileOrder) {
  WriteValue(session.ConfigTable, "PFADZIELABLAGE", " " + scratch.path() + " ");
  ExpectError(
      [&] { ImportChecksums(ctx); }, 60019,
      "60019 Checksummen-File nicht gefunden - Checksummen können nicht eingelesen werden : " +
          scratch.file("CS.LOG"));
  EXPECT_EQ(session.DataTable.rowCount(), 0u);
  WriteValue(session.DataTable, "CS_A", "old");
  scratch.write("CS.LOG",
                "Log;of;the;tool\r\nChecksum;CS_A;1234\r\nInfo;x;y\r\n Checksum;CS_X;1\r\n"
                "checksum;CS_B;ABCD;extra\r\nChecksum\r\n");
  ImportChecksums(ctx);
  EXPECT_EQ(Dump(session.DataTable),
            "Name;Value;\nCS_A|old|\nCS_A|1234|\nCS_B|ABCD|\n<null>|<null>|");
}

}  // namespace
}  // namespace xkm::test
