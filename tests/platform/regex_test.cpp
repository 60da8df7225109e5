#include "core/platform/regex/regex.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "support/error_number.h"

namespace xkm {
namespace {

constexpr Regex::Options kMultiline{false, true};

// The matches of `pattern` in `subject`, joined by '|'.
std::string Matches(const char* pattern, Regex::Options options, std::string_view subject) {
  std::string texts;
  for (const Regex::Match& m : Regex(pattern, options).findAll(subject))
    texts += std::string(subject.substr(m.offset, m.length)) + "|";
  return texts;
}

TEST(Regex, FindAllKnowsLineEndsClassesAndEmptyMatches) {
  const std::tuple<const char*, Regex::Options, const char*, const char*> rows[] = {
      {R"(^\w+$)", kMultiline, "ab\r\ncd\nef\rgh", "ab|cd|ef|gh|"},
      {"^", kMultiline, "a\r\nb\nc", "|||"},
      // Without multi-line, ^ and $ are the ends of the whole text only.
      {R"(^\w+$)", {}, "ab\r\ncd", ""},
      {R"(^\w+$)", {}, "ab\n", ""},
      {R"(^\w+$)", {}, "ab", "ab|"},
      {"a.b", {}, "a\rb a\nb a\tb", "a\tb|"},
      {"[x^]", {}, "^x^", "^|x|^|"},
      {R"([^\r^\n]+)", {}, "a^b\r\nc", "a|b|c|"} /* a caret inside a class is literal */,
      {"x*", {}, "axxb", "|xx|||"} /* empty matches advance */,
      {"", {}, "", "|"},
      {"", {}, "a\r\nb", "||||"}};
  for (const auto& [pattern, options, subject, matches] : rows)
    EXPECT_EQ(Matches(pattern, options, subject), matches) << pattern << " in " << subject;
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
