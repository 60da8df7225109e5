#include "core/templates/replace_data.h"

#include <random>

#include "core/session/conversions.h"
#include "core/session/session.h"
#include "core/session/utilities.h"
#include "support/error_number.h"
#include "template_fixture.h"

namespace xkm::test {
namespace {

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
      {"<$  >", "<$  >", true},
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

// The plain loop for DATA placeholders: one whole-text replacement per row.
// Returns false where it would fail.
bool PlainLoop(const SessionTable& data, std::string& text) {
  text = std::string(TrimBlanks(text));
  std::vector<std::string> inners;
  for (size_t p = 0, open; (open = text.find("<$", p)) != std::string::npos;) {
    size_t close = text.find('>', open + 1);
    if (close == std::string::npos) return false;
    inners.push_back(text.substr(open + 2, close - open - 2));
    p = close + 1;
  }
  for (const std::string& var : inners) {
    std::string inner(TrimBlanks(var));
    size_t dot = inner.find('.');
    if (inner.empty()) return false;
    if (dot == std::string::npos) continue;
    if (inner.substr(0, dot) != "DATA" || std::count(inner.begin(), inner.end(), '.') > 2)
      return false;
    text = ReplaceAll(text, "<$" + ToUpperCase(inner) + ">",
                      ReadValue(data, inner.substr(dot + 1), 1));
  }
  return true;
}

TEST_F(ReplaceDataTest, AgreesWithThePlainLoopOnFragmentSoups) {
  const std::vector<std::string> fragments = {
      "<$DATA.A>", "<$DATA.B>", "<$DATA.E>", "<$DATA.", "<$", "<", "$", ">", "A", ".", "x", " "};
  const std::vector<std::string> values = {"", "v", "<", "$", ">", "<$DATA.A>", "<$DATA.", "A>"};
  std::mt19937 random(4711);
  int succeeded = 0;
  for (int trial = 0; trial < 10000; ++trial) {
    session.DataTable.clear();
    WriteValue(session.DataTable, "A", values[random() % values.size()]);
    WriteValue(session.DataTable, "B", values[random() % values.size()]);
    std::string text;
    for (size_t n = 2 + random() % 10; n > 0; --n) text += fragments[random() % fragments.size()];
    std::string expected = text, actual = text;
    const bool succeeds = PlainLoop(session.DataTable, expected);
    const bool failed = ErrorNumberOf([&] { ReplaceData(ctx, actual); }) != 0;
    succeeded += succeeds ? 1 : 0;
    ASSERT_EQ(std::pair(failed, actual), std::pair(!succeeds, expected))
        << text << " A=" << ReadValue(session.DataTable, "A", 1)
        << " B=" << ReadValue(session.DataTable, "B", 1);
  }
  EXPECT_GT(succeeded, 3000);  // many soups must get through to replacing
}

}  // namespace
}  // namespace xkm::test
