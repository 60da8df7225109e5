#include "core/platform/regex.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "core/platform/error.h"

namespace xkm {
namespace {

using ::testing::HasSubstr;

constexpr Regex::Options kMultiline{false, true};
constexpr Regex::Options kBoth{true, true};

std::vector<std::string> Texts(const Regex& re, std::string_view subject) {
  std::vector<std::string> texts;
  for (const Regex::Match& m : re.findAll(subject)) {
    texts.emplace_back(subject.substr(m.offset, m.length));
  }
  return texts;
}

TEST(Regex, CrLfBlocksOfAnA2lFile) {
  const Regex re(
      R"(^/begin CHARACTERISTIC\r\n.*\r\n[ \t]*SGIDB1\r\n.*\r\n.*\r\n[ \t]*0x([^\r^\n]*)$)", kBoth);
  const std::string text =
      "/begin CHARACTERISTIC\r\n    \"x\"\r\n  SGIDB1\r\n  a\r\n  b\r\n  0x8000 \r\n"
      "/end CHARACTERISTIC\r\n"
      "/BEGIN characteristic\r\n    \"y\"\r\n\tsgidb1\r\n  a\r\n  b\r\n\t0x12\r\n";
  std::vector<Regex::Match> matches = re.findAll(text);
  ASSERT_EQ(matches.size(), 2u);
  EXPECT_EQ(matches[0].group(text, 1), "8000 ");
  EXPECT_EQ(matches[0].offset, 0u);
  EXPECT_EQ(matches[1].group(text, 1), "12");
  EXPECT_EQ(re.countAll(text), 2u);

  // One line too many between the markers: `.` must not run across a line end.
  EXPECT_EQ(re.countAll("/begin CHARACTERISTIC\r\n  \"x\"\r\n  extra\r\n  SGIDB1\r\n  a\r\n  b\r\n"
                        "  0x1\r\n"),
            0u);
}

TEST(Regex, CountsQuotedEcuNamesLineByLine) {
  const std::string text = "ECU \"A\"\r\n  ECU\t\"B\" \"C\"\r\nxECU \"D\"\r\n ecu \"E\"\nECU \"F\"";
  const Regex caseSensitive(R"re(^[ \t]*ECU[ \t]+"(.*)")re", kMultiline);
  std::vector<Regex::Match> matches = caseSensitive.findAll(text);
  ASSERT_EQ(matches.size(), 3u);
  EXPECT_EQ(matches[0].group(text, 1), "A");
  EXPECT_EQ(matches[1].group(text, 1), "B\" \"C");
  EXPECT_EQ(matches[2].group(text, 1), "F");
  EXPECT_EQ(caseSensitive.countAll(text), 3u);

  const Regex anyCase(R"re(^[ \t]*ECU[ \t]+"(.*)")re", kBoth);  // ASCII letters only
  EXPECT_EQ(anyCase.countAll(text), 4u);
  EXPECT_EQ(anyCase.findAll(text).size(), 4u);
}

TEST(Regex, LineAnchorsAndDot) {
  const Regex word(R"(^\w+$)", kMultiline);
  EXPECT_EQ(Texts(word, "ab\r\ncd\nef\rgh"), (std::vector<std::string>{"ab", "cd", "ef", "gh"}));
  // Without multi-line, ^ and $ are the ends of the whole text only.
  const Regex whole(R"(^\w+$)", {});
  EXPECT_EQ(whole.countAll("ab\r\ncd"), 0u);
  EXPECT_EQ(whole.countAll("ab\n"), 0u);
  EXPECT_EQ(whole.countAll("ab"), 1u);
  EXPECT_EQ(Regex("a.b", {}).countAll("a\rb a\nb a\tb"), 1u);
}

TEST(Regex, CaretInsideAClassIsLiteral) {
  EXPECT_EQ(Texts(Regex(R"([^\r^\n]+)", {}), "a^b\r\nc"),
            (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(Regex("[x^]", {}).countAll("^x^"), 3u);
}

TEST(Regex, EmptyMatchesAdvance) {
  EXPECT_EQ(Texts(Regex("x*", {}), "axxb"), (std::vector<std::string>{"", "xx", "", ""}));
  // A CR LF pair is stepped over as one line end.
  const Regex empty("", {});
  std::vector<Regex::Match> matches = empty.findAll("a\r\nb");
  ASSERT_EQ(matches.size(), 4u);
  EXPECT_EQ(matches[2].offset, 3u);
  EXPECT_EQ(empty.countAll("a\r\nb"), 4u);
  EXPECT_EQ(empty.countAll(""), 1u);
  EXPECT_EQ(Regex("^", kMultiline).countAll("a\r\nb\nc"), 3u);
}

TEST(Regex, GroupsAndFindFirst) {
  const Regex re("(a)|(b)", {});
  const std::string subject = "xxbxa";
  Regex::Match m;
  ASSERT_TRUE(re.findFirst(subject, m));
  EXPECT_EQ(m.offset, 2u);
  ASSERT_EQ(m.groups.size(), 2u);
  EXPECT_FALSE(m.groups[0].matched);
  EXPECT_EQ(m.group(subject, 1), "");
  EXPECT_EQ(m.group(subject, 2), "b");

  ASSERT_TRUE(re.findFirst(subject, m, 3));
  EXPECT_EQ(m.group(subject, 1), "a");
  EXPECT_FALSE(re.findFirst(subject, m, 5));
  EXPECT_FALSE(re.findFirst(subject, m, 99));
}

TEST(Regex, BadPatternThrowsWithTheOffset) {
  try {
    Regex("ab(c", {});
    FAIL() << "no exception";
  } catch (const Error& e) {
    EXPECT_THAT(e.description(), HasSubstr("offset 4"));
    EXPECT_THAT(e.description(), HasSubstr("missing closing parenthesis"));
  }
}

}  // namespace
}  // namespace xkm
