#include "core/templates/template_expansion.h"

#include <filesystem>

#include "core/platform/os/file_system.h"
#include "core/session/config_names.h"
#include "support/scratch_folder.h"
#include "template_fixture.h"

namespace xkm::test {
namespace {

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
  std::string rows;
  for (size_t r = 0; r < list.rowCount(); ++r)
    rows += list.text(r, 0) + "|" + list.text(r, 1) + "|" + list.text(r, 2) + "\n";
  // The value ends at the line's last quote; a definition split over lines is none.
  EXPECT_EQ(rows, "A|say \"hi\" now|V\nB|x\" other=\"y|V\nD||V\nF1|f1.txt|F\n");
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

}  // namespace
}  // namespace xkm::test
