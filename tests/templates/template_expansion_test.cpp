#include "core/templates/template_expansion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/session/config_names.h"
#include "core/session/data_context.h"
#include "core/session/session.h"
#include "core/templates/checksum_import.h"
#include "core/templates/replace_data.h"
#include "core/templates/text_stream_reader.h"
#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace xkm::test {
namespace {

using Rows = std::vector<SessionTable::Row>;
constexpr std::nullopt_t kNull = std::nullopt;  // a field never written

// A fresh session with German messages, as a run has it after preparation.
class TemplateTest : public ::testing::Test {
 protected:
  TemplateTest() { InitSessionTables(session); }

  AppState app;
  Session session;
  DataContext ctx{app, session};
};

// Runs `action`, which must fail with exactly this number and description.
void ExpectError(const std::function<void()>& action, int number, const std::string& description) {
  EXPECT_EQ(ErrorOf(action).numberAndDescription(), std::to_string(number) + " " + description);
}

class ExpandTemplateTest : public TemplateTest {
 protected:
  // The output ExpandTemplate leaves, and after " / " the failure if there is one.
  std::string expand(const std::string& definitions, const std::string& templateText) {
    SessionTable variables = ParseVariableDefinitions(ctx, definitions);
    std::string output = "stale";
    const Error e = ErrorOf([&] { ExpandTemplate(ctx, variables, templateText, output); });
    return e.number() == 0 ? output : output + " / " + e.numberAndDescription();
  }

  // Inserted files are the working folder's.
  ExpandTemplateTest() { WriteValue(session.ConfigTable, "PFADZIELABLAGE", scratch.path()); }

  ScratchFolder scratch;
};

TEST_F(ExpandTemplateTest, DefinitionsInTextOrderVariablesFirst) {
  SessionTable list =
      ParseVariableDefinitions(ctx,
                               "<fileinsert name=\"F1\" value=\"f1.txt\">\r\n"
                               "<VARIABLE NAME=\t\"A\"\tvalue= \"say \"hi\" now\">\n"
                               "<variable name=\"B\" value=\"x\" other=\"y\">\n"
                               "<variable name=\"C\"\nvalue=\"split\">\n"
                               "noise <variable name=\"D\" value=\"\">");
  // The value ends at the line's last quote; a definition split over lines is none.
  EXPECT_EQ(list.rows(), (Rows{{"A", "say \"hi\" now", "V"},
                               {"B", "x\" other=\"y", "V"},
                               {"D", "", "V"},
                               {"F1", "f1.txt", "F"}}));
  EXPECT_EQ(ParseVariableDefinitions(ctx, "").rowCount(), 0u);
}

// A line of megabytes (an operator's name pasted wrong) may make the matcher
// give up: the failure names the template and the line, shortened.
TEST_F(ExpandTemplateTest, ALineTheMatcherGivesUpOnIsNamed) {
  WriteValue(session.ConfigTable, config::kAddressLayout, "AST_X");
  const std::string huge =
      "<variable name=\"OPERATOR\" value=\"" + std::string(10 << 20, 'x') + "\">";
  const Error e =
      ErrorOf([&] { ParseVariableDefinitions(ctx, "<variable name=\"A\" value=\"a\">\n" + huge); });
  EXPECT_EQ(e.description(),
            "<ADRESSLAYOUT AST_X MCS>: Regular expression match failed: match limit exceeded in "
            "the line \"<variable name=\"OPERATOR\" value=\"" +
                std::string(60 - 33, 'x') + "...\" (" + std::to_string(huge.size()) + " bytes)");
}

// A cut keeps the last characters (not bytes); one that begins (or, with
// inner blanks, ends) with a blank is trimmed again: for a variable before it
// is inserted, for a file insert before the file it names is read. A file
// insert's cut shortens the file name, not the content.
TEST_F(ExpandTemplateTest, DirectivesInsertTheirValuesCutAndTrimmed) {
  scratch.write("ab.txt", "AB-FILE");
  scratch.write("lines.txt", "l1\r\nl2 \xE4\r\n");
  const std::string defs =
      "<variable name=\"A\" value=\" abc \">\n<variable name=\"H\" value=\"0x12AB\">\n"
      "<variable name=\"U\" value=\"0xÄÖÜ\">\n<variable name=\"B\" value=\"x ABC\">\n"
      "<variable name=\"C\" value=\"a b \">\n<fileinsert name=\"FC\" value=\"xyz  ab.txt\">\n"
      "<fileinsert name=\"F\" value=\" lines.txt \">\n<fileinsert name=\"G\" value=\"xxab.txt\">\n"
      "<fileinsert name=\"ABS\" value=\"" +
      scratch.file("ab.txt") +
      "\">\n<variable name=\"V\" value=\"v\">\n"
      "<variable name=\"N\" value=\"<?variable name=\"A\"?>\">\n<variable name=\"O'B\" "
      "value=\"ob\">";
  const std::pair<const char*, const char*> rows[] = {
      {"X=<?variable name=\"A\"?>;\r\nY", "X=abc;\r\nY"},
      {"<?variable name=\"H\" CS_Len=1?>", "AB"},
      {"<?variable name=\"H\" cs_len \t= \t0?>", "0x12AB"},
      {"<?variable name=\"H\" CS_Len=12?>", "AB"},
      {"<?variable name=\"A\" CS_Len=9?>", "abc"},
      {"<?variable name=\"U\" CS_Len=1?>", "ÖÜ"},
      {"<?FILEINSERT name=\"a\"?>", "abc"},             // any case of the word and the name
      {"[<?variable name=\"B\" CS_Len=2?>]", "[ABC]"},  // " ABC"
      {"[<?variable name=\"B\" CS_Len=1?>]", "[BC]"},
      {"[<?variable name=\"B\" CS_Len=3?>]", "[x ABC]"},   // shorter than the cut: whole
      {"[<?variable name=\"C\" CS_Len=1?>]", "[b]"},       // " b" of "a b"
      {"<?fileinsert name=\"FC\" CS_Len=4?>", "AB-FILE"},  // "  ab.txt" names ab.txt
      {"[<?variable name=\"F\"?>]\n<?fileinsert name=\"V\"?>", "[l1\r\nl2 ä\r\n]\nv"},
      {"<?fileinsert name=\"G\" CS_Len=3?>\n<?fileinsert name=\"ABS\"?>", "AB-FILE\nAB-FILE"},
      // A candidate runs from the first to the last mark of a line.
      {"1<?variable name=\"A\"?>-<?variable name=\"B\"?>2", "1abc2"},
      {"<?variable name=\"A\"?>\n<?variable\nname=\"B\"?>", "abc\n<?variable\nname=\"B\"?>"},
      {"<?variable name=\"N\"?>", "<?variable name=\"A\"?>"},  // values are not expanded again
      {"<?variable name=\"O'B\"?>", "ob"},
      {"plain text\n", ""},  // no directive at all
  };
  for (const auto& [directive, inserted] : rows)
    EXPECT_EQ(expand(defs, directive), inserted) << directive;
}

// Resolution failures leave the output empty; a missing file keeps it up to its directive.
TEST_F(ExpandTemplateTest, FailuresAndTheOutputTheyLeave) {
  scratch.write("a.txt", "A");
  std::filesystem::create_directory(scratch.file("folder"));
  const std::string defs =
      "<variable name=\"A\" value=\"a\">\n<fileinsert name=\"A\" value=\"f\">\n"
      "<fileinsert name=\"FA\" value=\"a.txt\">\n<fileinsert name=\"M\" value=\"missing.txt\">";
  const std::pair<const char*, const char*> rows[] = {
      {"<?xml version=\"1.0\"?>\n<?variable name=\"A\"?>",
       " / 60029 RAW-Template korrupt! :<?xml version=\"1.0\"?>"},
      {"x <?variable name=\"A\"?>", " / 60030 unbekannte Variable in RAW-Template :A"},
      {"<?variable name=\"Nope\" CS_Len=1?>", " / 60030 unbekannte Variable in RAW-Template :Nope"},
      {"1<?fileinsert name=\"FA\"?>2\n3<?fileinsert name=\"M\"?>4",
       "1A2\n3 / 60028 Datei nicht gefunden :missing.txt"}};
  for (const auto& [text, left] : rows) EXPECT_EQ(expand(defs, text), left) << text;
  for (const char* name : {"none.txt", "folder"}) {
    std::string content = "stale";
    ExpectError([&] { ReadTextFile(ctx, name, content); }, 60028,
                std::string("Datei nicht gefunden :") + name);
    EXPECT_EQ(content, "");
  }
}

using ReplaceDataTest = TemplateTest;

// Every kind reads its table and trims the value; only the canonical (upper
// case, over the whole code page) spelling is replaced, though mixed-case
// kinds are looked up without error; blanks only are trimmed. A failure keeps
// what was done before it, but a "<$" without ">" fails before any replacement.
TEST_F(ReplaceDataTest, ReplacesTheCanonicalSpellingOfEachKind) {
  WriteValue(session.ConfigTable, "HEXFILE", "  /w/a.hex  ");
  WriteValue(session.SysConstTable, "SYK", "7");
  WriteValue(session.DataTable, "A.B", "dotted");
  WriteValue(session.DataTable, "Ä", "ae");
  WriteValue(session.DataTable, "A", "va");
  const size_t row = app.UserInfoTable->appendRow();
  app.UserInfoTable->setField(row, 0, "X");
  app.UserInfoTable->setField(row, 1, "field");
  app.UserInfoTable->setField(row, 4, " info ");
  const std::tuple<std::string, std::string, bool> rows[] = {
      {"<$CONFIG.HEXFILE>|<$SYSCONST.SYK>|<$DATA.A.B>|<$USERINFO.X>|<$USERDATA.U>|<$CONFIG."
       "NOSUCHNAME>",
       "/w/a.hex|7|dotted|info||", false},
      {"<$Config.HEXFILE> <$config.hexfile> <$ CONFIG.HEXFILE > <$CONFIG.HEXFILE>",
       "<$Config.HEXFILE> <$config.hexfile> <$ CONFIG.HEXFILE > /w/a.hex", false},
      {"<$CONFIG.hexfile>", "<$CONFIG.hexfile>", false},
      {"<$DATA.Ä>|<$DATA.ä>", "ae|<$DATA.ä>", false},
      {"   \tplain text\r\n  ", "\tplain text\r\n", false},
      {" <$HEXFILE> x ", "<$HEXFILE> x", false},
      {"  <$DATA.A> <$FOO.BAR> <$DATA.A> <$DATA.B>", "va <$FOO.BAR> va <$DATA.B>", true},
      {" <$DATA.A> <$CONFIG.HEXFILE ", "<$DATA.A> <$CONFIG.HEXFILE", true},
      {"<$A.B.C.D>", "<$A.B.C.D>", true},
      {"<$>", "<$>", true},
      {"<$.A>", "<$.A>", true},
  };
  for (auto [text, replaced, fails] : rows) {
    EXPECT_EQ(ErrorOf([&] { ReplaceData(ctx, text); }).numberAndDescription(),
              fails ? "60022 Fehler beim Austausch von Variablen in Fkt. ReplaceData" : "0 ");
    EXPECT_EQ(text, replaced);
  }
}

// A replaced text may grow to the limit, not past it; a value that ends in "<"
// is replaced row by row, where the limit is checked as the text grows.
TEST_F(ReplaceDataTest, TheTextGrowsToItsLimitAndNoFurther) {
  const std::pair<size_t, int> rows[] = {{kMaxReplacedTextLength, 0},
                                         {kMaxReplacedTextLength + 1, 60022}};
  for (const auto& [length, error] : rows) {
    WriteValue(session.DataTable, "BIG", std::string(length - 1, 'x') + "<");
    std::string text = "<$DATA.BIG>";
    EXPECT_EQ(ErrorOf([&] { ReplaceData(ctx, text); }).number(), error) << length;
  }
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
  // The text, the separator, whether there is a header; the columns and rows read.
  const std::tuple<const char*, const char*, bool, std::vector<std::string>, Rows> rows[] = {
      {"a;b;c\r\n\nx\ry;\xE4\r\n",
       ";",
       false,
       {"FIELD_1", "FIELD_2", "FIELD_3"},
       {{"a", "b", "c"}, {kNull, kNull, kNull}, {"x", kNull, kNull}, {"y", "ä", kNull}}},
      {"one line", ";", false, {"FIELD_1"}, {{"one line"}}},
      {"Kind;Name\nChecksum;A\n", ";", true, {"Kind", "Name"}, {{"Checksum", "A"}}},
      {"Kind;Name", ";", true, {"Kind", "Name"}, {}},
      {"a;b\nc,d", "|", false, {"FIELD_1"}, {{"a;b"}, {"c,d"}}},
      {"a;b\nc,d", "", false, {"FIELD_1"}, {{"a;b"}, {"c,d"}}},
      {"a::b::\n", "::", false, {"FIELD_1", "FIELD_2", "FIELD_3"}, {{"a", "b", ""}}},
  };
  for (const auto& [bytes, delimiter, header, columns, lines] : rows) {
    const SessionTable table = read(bytes, delimiter, header);
    EXPECT_EQ(table.columns(), columns) << bytes;
    EXPECT_EQ(table.rows(), lines) << bytes;
  }
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
  EXPECT_EQ(session.DataTable.columns(), (std::vector<std::string>{"Name", "Value"}));
  const Rows expected{{"CS_A", "old"}, {"CS_A", "1234"}, {"CS_B", "ABCD"}, {kNull, kNull}};
  EXPECT_EQ(session.DataTable.rows(), expected);
}

}  // namespace
}  // namespace xkm::test
