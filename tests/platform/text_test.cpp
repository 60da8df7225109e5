#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "core/platform/regex/regex.h"
#include "core/platform/text/command_line.h"
#include "core/platform/text/cp1252.h"
#include "core/platform/text/letter_case.h"
#include "support/error_number.h"

namespace xkm {
namespace {

TEST(Cp1252, EveryByteSurvivesDecodeThenEncode) {
  std::string all, back;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_TRUE(TryEncodeCp1252(DecodeCp1252(all), back));
  EXPECT_EQ(back, all);
  // The euro, Y diaeresis, the five unassigned bytes, a-umlaut.
  EXPECT_EQ(DecodeCp1252("\x80\x9F|\x81\x8D\x8F\x90\x9D|A\xE4"),
            "€Ÿ|\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D|Aä");
}

TEST(Cp1252, UnencodableAndMalformedInputBecomesQuestionMarks) {
  std::string bytes;
  EXPECT_FALSE(TryEncodeCp1252("a\xE4\xB8\xAD", bytes));  // U+4E2D
  EXPECT_FALSE(TryEncodeCp1252("\xFF", bytes));
  // U+4E2D; U+0080, whose byte the euro sign has; truncated; overlong; a surrogate.
  EXPECT_EQ(EncodeCp1252("a\xE4\xB8\xAD|\xC2\x80|x\xC3|\xE0\x80\x80|\xED\xA0\x80"),
            "a?|?|x?|???|???");  // The first character that has no byte: none in a text with NUL
                                 // and the euro sign.
  EXPECT_EQ(FindUnencodable(std::string("a\0\xE2\x82\xAC", 5)).offset, std::string_view::npos);
  EXPECT_EQ(FindUnencodable("a\xE4\xB8\xAD").offset, 1u);
}

TEST(Cp1252, LengthHeadAndTailCountCodePoints) {
  const std::string text = "aä€😀";
  EXPECT_EQ(Utf8Length(text), 4u);
  using Parts = std::vector<std::string_view>;
  EXPECT_EQ(Parts({Utf8Head(text, 2), Utf8Tail(text, 2), Utf8Tail(text, 0), Utf8Head(text, 9),
                   Utf8Tail(text, 9)}),
            Parts({"aä", "€😀", "", text, text}));
}

// Every letter of Windows-1252 has its upper case; what has none stays.
TEST(LetterCase, UpperAndLowerCoverEveryLetterOfTheCodePage) {
  const std::pair<const char*, const char*> rows[] = {
      // text, upper
      {"motör_ä", "MOTÖR_Ä"},
      {"àéîõøþ", "ÀÉÎÕØÞ"},
      {"šœžÿ", "ŠŒŽŸ"},
      {"Straße µ", "STRAßE µ"} /* ß and µ have no partner in the code page */,
      {"÷×", "÷×"} /* signs, not letters */,
      {"ā€→", "ā€→"} /* outside or no letter */,
      {"a\xC3", "A\xC3"} /* a lead byte without its second byte */,
      {"\xC5\xC5\xA1", "\xC5\xC5\xA0"}};
  for (const auto& [text, upper] : rows) {
    EXPECT_EQ(ToUpperCase(text), upper);
    EXPECT_TRUE(EqualsIgnoringCase(text, upper)) << text;
  }
  const std::tuple<const char*, const char*, bool> pairs[] = {{"Ärger", "äRGER", true},
                                                              {"ÿ", "Ÿ", true},
                                                              {"ß", "SS", false},
                                                              {"é", "e", false},
                                                              {"\xC3\xA4", "\xC3", false}};
  for (const auto& [a, b, equal] : pairs) EXPECT_EQ(EqualsIgnoringCase(a, b), equal) << a << b;
}

// The argument rules of the C runtime; the program name keeps its backslashes.
TEST(SplitCommandLine, ArgumentRulesOfTheCRuntime) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {R"(p "a b c" d e)", {"p", "a b c", "d", "e"}},
      {R"(p "ab\"c" "\\" d)", {"p", "ab\"c", "\\", "d"}},
      {R"(p a\\\b d"e f"g h)", {"p", R"(a\\\b)", "de fg", "h"}},
      {R"(p a\\\"b c d)", {"p", R"(a\"b)", "c", "d"}},
      {R"(p a"b"" c d)", {"p", R"(ab" c d)"}},
      {R"(p a\\\\"b c" d e)", {"p", R"(a\\b c)", "d", "e"}},
      {R"(p "" x)", {"p", "", "x"}},
      {"p\ta\t\t b \t", {"p", "a", "b"}},
      {R"(p trailing\)", {"p", R"(trailing\)"}},
      {R"(p "unterminated  run)", {"p", "unterminated  run"}},
      {R"("C:\Program Files\tool\" -x)", {R"(C:\Program Files\tool\)", "-x"}},
      {R"(C:\bin\tool.exe "a b")", {R"(C:\bin\tool.exe)", "a b"}},
      {"\"/opt/my tool/run\"\targ", {"/opt/my tool/run", "arg"}},
      {"  tool  ", {"tool"}},
      {"", {}},
      {" \t ", {}}};
  for (const auto& [line, expected] : cases) EXPECT_EQ(SplitCommandLine(line), expected) << line;
}

constexpr Regex::Options kMultiline{false, true};

TEST(Regex, FindAllKnowsLineEndsClassesAndEmptyMatches) {
  const std::tuple<const char*, Regex::Options, const char*, std::vector<std::string>> rows[] = {
      {R"(^\w+$)", kMultiline, "ab\r\ncd\nef\rgh", {"ab", "cd", "ef", "gh"}},
      {"^", kMultiline, "a\r\nb\nc", {"", "", ""}},
      // Without multi-line, ^ and $ are the ends of the whole text only.
      {R"(^\w+$)", {}, "ab\r\ncd", {}},
      {R"(^\w+$)", {}, "ab", {"ab"}},
      {"a.b", {}, "a\rb a\nb a\tb", {"a\tb"}},
      {"[x^]", {}, "^x^", {"^", "x", "^"}},
      {R"([^\r^\n]+)", {}, "a^b\r\nc", {"a", "b", "c"}} /* a caret inside a class is literal */,
      {"x*", {}, "axxb", {"", "xx", "", ""}} /* empty matches advance */,
      {"", {}, "a\r\nb", {"", "", "", ""}}};
  for (const auto& [pattern, options, subject, matches] : rows) {
    std::vector<std::string> texts;
    for (const Regex::Match& m : Regex(pattern, options).findAll(subject))
      texts.emplace_back(subject + m.offset, m.length);
    EXPECT_EQ(texts, matches) << pattern << " in " << subject;
  }
  // A CR LF pair is stepped over as one line end.
  std::vector<size_t> offsets;
  for (const Regex::Match& m : Regex("", {}).findAll("a\r\nb")) offsets.push_back(m.offset);
  EXPECT_EQ(offsets, std::vector<size_t>({0, 1, 3, 4}));
}

TEST(Regex, GroupsAndFindFirst) {
  const Regex re("(a)|(b)", {});
  const std::string subject = "xxbxa";
  Regex::Match m;
  ASSERT_TRUE(re.findFirst(subject, m));
  ASSERT_EQ(m.groups.size(), 2u);
  EXPECT_EQ(
      std::make_tuple(m.offset, m.groups[0].matched, m.group(subject, 1), m.group(subject, 2)),
      std::make_tuple(size_t{2}, false, std::string(), std::string("b")));
  ASSERT_TRUE(re.findFirst(subject, m, 3));
  EXPECT_EQ(m.group(subject, 1), "a");
  EXPECT_FALSE(re.findFirst(subject, m, 5));
  EXPECT_FALSE(re.findFirst(subject, m, 99));
}

TEST(Regex, BadPatternThrowsWithTheOffset) {
  EXPECT_THAT(test::ErrorOf([] { Regex("ab(c", {}); }).description(),
              ::testing::AllOf(::testing::HasSubstr("offset 4"),
                               ::testing::HasSubstr("missing closing parenthesis")));
}

}  // namespace
}  // namespace xkm
