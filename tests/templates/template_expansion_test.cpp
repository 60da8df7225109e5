#include "core/templates/template_expansion.h"

#include <filesystem>

#include "core/platform/file_system.h"
#include "support/scratch_folder.h"
#include "template_fixture.h"

namespace xkm::test {
namespace {

// Makes a scratch folder the current folder for one test.
class InFolder {
 public:
  explicit InFolder(const std::string& folder) : previous_(fs::CurrentFolder()) {
    fs::SetCurrentFolder(folder);
  }
  ~InFolder() { fs::SetCurrentFolder(previous_); }

 private:
  std::string previous_;
};

class ExpandTemplateTest : public TemplateTest {
 protected:
  std::string expand(const std::string& definitions, const std::string& templateText) {
    SessionTable variables = ParseVariableDefinitions(ctx, definitions);
    std::string output = "stale";
    ExpandTemplate(ctx, variables, templateText, output);
    return output;
  }
  // Expects the error and returns the output the failure left.
  std::string failed(const std::string& definitions, const std::string& templateText, int number,
                     const std::string& description) {
    SessionTable variables = ParseVariableDefinitions(ctx, definitions);
    std::string output = "stale";
    ExpectError([&] { ExpandTemplate(ctx, variables, templateText, output); }, number, description);
    return output;
  }

  ScratchFolder scratch;
  InFolder inScratch{scratch.path()};
};

TEST_F(ExpandTemplateTest, DefinitionsInTextOrderVariablesFirst) {
  SessionTable list =
      ParseVariableDefinitions(ctx,
                               "<fileinsert name=\"F1\" value=\"f1.txt\">\r\n"
                               "<VARIABLE NAME=\t\"A\"\tvalue= \"say \"hi\" now\">\n"
                               "<variable name=\"B\" value=\"x\" other=\"y\">\n"
                               "<variable name=\"C\"\nvalue=\"split\">\n"
                               "noise <variable name=\"D\" value=\"\">");
  ASSERT_EQ(list.rowCount(), 4u);
  auto row = [&](size_t r) {
    return list.text(r, 0) + "|" + list.text(r, 1) + "|" + list.text(r, 2);
  };
  EXPECT_EQ(row(0), "A|say \"hi\" now|V");
  EXPECT_EQ(row(1), "B|x\" other=\"y|V");  // the value ends at the line's last quote
  EXPECT_EQ(row(2), "D||V");
  EXPECT_EQ(row(3), "F1|f1.txt|F");
  EXPECT_EQ(ParseVariableDefinitions(ctx, "").rowCount(), 0u);
}

TEST_F(ExpandTemplateTest, VariablesWithCuts) {
  const std::string defs =
      "<variable name=\"A\" value=\" abc \">\n<variable name=\"H\" value=\"0x12AB\">\n"
      "<variable name=\"U\" value=\"0xÄÖÜ\">";
  EXPECT_EQ(expand(defs, "X=<?variable name=\"A\"?>;\r\nY"), "X=abc;\r\nY");
  EXPECT_EQ(expand(defs, "<?variable name=\"H\" CS_Len=1?>"), "AB");
  EXPECT_EQ(expand(defs, "<?variable name=\"H\" cs_len \t= \t0?>"), "0x12AB");
  EXPECT_EQ(expand(defs, "<?variable name=\"H\" CS_Len=12?>"), "AB");
  EXPECT_EQ(expand(defs, "<?variable name=\"A\" CS_Len=9?>"), "abc");
  EXPECT_EQ(expand(defs, "<?variable name=\"U\" CS_Len=1?>"), "ÖÜ");  // characters, not bytes
  // The directive word is any case; names compare like table names.
  EXPECT_EQ(expand(defs, "<?FILEINSERT name=\"a\"?>"), "abc");
}

// A cut that begins (or, with inner blanks, ends) with a blank is trimmed
// again: for a variable before it is inserted, for a file insert before the
// file it names is read.
TEST_F(ExpandTemplateTest, CutsAreTrimmedAgain) {
  scratch.write("ab.txt", "AB-FILE");
  const std::string defs =
      "<variable name=\"B\" value=\"x ABC\">\n<variable name=\"C\" value=\"a b \">\n"
      "<fileinsert name=\"F\" value=\"xyz  ab.txt\">";
  struct Row {
    const char* directive;
    const char* inserted;
  };
  const Row rows[] = {
      {"[<?variable name=\"B\" CS_Len=2?>]", "[ABC]"},  // " ABC"
      {"[<?variable name=\"B\" CS_Len=1?>]", "[BC]"},
      {"[<?variable name=\"B\" CS_Len=3?>]", "[x ABC]"},  // shorter than the cut: whole
      {"[<?variable name=\"C\" CS_Len=1?>]", "[b]"},      // " b" of "a b"
      {"<?fileinsert name=\"F\" CS_Len=4?>", "AB-FILE"},  // "  ab.txt" names ab.txt
  };
  for (const Row& row : rows) EXPECT_EQ(expand(defs, row.directive), row.inserted) << row.directive;
}

TEST_F(ExpandTemplateTest, CandidatesRunFromTheFirstToTheLastMarkOfALine) {
  const std::string defs = "<variable name=\"A\" value=\"a\">\n<variable name=\"B\" value=\"b\">";
  EXPECT_EQ(expand(defs, "1<?variable name=\"A\"?>-<?variable name=\"B\"?>2"), "1a2");
  EXPECT_EQ(expand(defs, "<?variable name=\"A\"?>\n<?variable\nname=\"B\"?>"),
            "a\n<?variable\nname=\"B\"?>");
  // Values are not expanded again.
  EXPECT_EQ(
      expand("<variable name=\"N\" value=\"<?variable name=\"A\"?>\">", "<?variable name=\"N\"?>"),
      "<?variable name=\"A\"?>");
  // A template without any directive gives the empty text.
  EXPECT_EQ(expand(defs, "plain text\n"), "");
}

TEST_F(ExpandTemplateTest, ResolutionErrorsLeaveTheOutputEmpty) {
  const std::string defs = "<variable name=\"A\" value=\"a\">\n<fileinsert name=\"A\" value=\"f\">";
  EXPECT_EQ(failed(defs, "<?xml version=\"1.0\"?>\n<?variable name=\"A\"?>", 60029,
                   "RAW-Template korrupt! :<?xml version=\"1.0\"?>"),
            "");
  EXPECT_EQ(
      failed(defs, "x <?variable name=\"A\"?>", 60030, "unbekannte Variable in RAW-Template :A"),
      "");
  EXPECT_EQ(failed(defs, "<?variable name=\"Nope\" CS_Len=1?>", 60030,
                   "unbekannte Variable in RAW-Template :Nope"),
            "");
  // A name with an apostrophe is looked up like any other.
  EXPECT_EQ(expand("<variable name=\"O'B\" value=\"ob\">", "<?variable name=\"O'B\"?>"), "ob");
}

TEST_F(ExpandTemplateTest, FileInsertsFollowTheDefinitionsType) {
  scratch.write("lines.txt", "l1\r\nl2 \xE4\r\n");
  scratch.write("ab.txt", "AB-FILE");
  const std::string defs =
      "<fileinsert name=\"F\" value=\" lines.txt \">\n<fileinsert name=\"G\" value=\"xxab.txt\">\n"
      "<fileinsert name=\"ABS\" value=\"" +
      scratch.file("ab.txt") +
      "\">\n"
      "<variable name=\"V\" value=\"v\">";
  EXPECT_EQ(expand(defs, "[<?variable name=\"F\"?>]\n<?fileinsert name=\"V\"?>"),
            "[l1\r\nl2 ä\r\n]\nv");
  // The cut shortens the file name, not the content.
  EXPECT_EQ(expand(defs, "<?fileinsert name=\"G\" CS_Len=3?>\n<?fileinsert name=\"ABS\"?>"),
            "AB-FILE\nAB-FILE");
}

TEST_F(ExpandTemplateTest, AMissingFileKeepsTheOutputUpToItsDirective) {
  scratch.write("a.txt", "A");
  const std::string defs =
      "<fileinsert name=\"A\" value=\"a.txt\">\n<fileinsert name=\"M\" value=\"missing.txt\">";
  EXPECT_EQ(failed(defs, "1<?fileinsert name=\"A\"?>2\n3<?fileinsert name=\"M\"?>4", 60028,
                   "Datei nicht gefunden :missing.txt"),
            "1A2\n3");
}

TEST_F(ExpandTemplateTest, ReadTextFileStartsEmpty) {
  std::string content = "stale";
  ExpectError([&] { ReadTextFile(ctx, "none.txt", content); }, 60028,
              "Datei nicht gefunden :none.txt");
  EXPECT_EQ(content, "");
  std::filesystem::create_directory(scratch.file("folder"));
  ExpectError([&] { ReadTextFile(ctx, "folder", content); }, 60028, "Datei nicht gefunden :folder");
}

}  // namespace
}  // namespace xkm::test
