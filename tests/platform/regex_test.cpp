#include "core/platform/regex.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "core/platform/error.h"
#include "support/error_number.h"

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
  const Error e = test::ErrorOf([] { Regex("ab(c", {}); });
  EXPECT_THAT(e.description(), HasSubstr("offset 4"));
  EXPECT_THAT(e.description(), HasSubstr("missing closing parenthesis"));
}

}  // namespace
}  // namespace xkm
