#include "core/session/conversions.h"

#include <gtest/gtest.h>

#include "support/error_number.h"

namespace xkm {
namespace {

TEST(ToLong, WholeNumbersWithBlanksRadixAndBankersRoundingOrTheError) {
  // clang-format off
  const std::tuple<const char*, int32_t, int> rows[] = {  // text, value, error
      {" 2 ", 2, 0}, {"-17", -17, 0}, {"2.5", 2, 0}, {"3.5", 4, 0}, {"-2.5", -2, 0},
      {"1e3", 1000, 0}, {"1E2", 100, 0}, {"1D2", 100, 0}, {"2d1", 20, 0}, {"&H1F", 31, 0},
      {"&hFFFFFFFF", -1, 0}, {"&O17", 15, 0}, {"2147483647", 2147483647, 0},
      {"", 0, 13}, {"   ", 0, 13}, {"12abc", 0, 13}, {"abc", 0, 13},
      {"2147483648", 0, 6}, {"-2147483649", 0, 6}};
  // clang-format on

  for (const auto& [text, value, error] : rows)
    EXPECT_EQ(test::ErrorNumberOf([&] { EXPECT_EQ(ToLong(text), value) << text; }), error) << text;
}

TEST(Val, ReadsTheLeadingNumber) {
  // clang-format off
  const std::pair<const char*, double> rows[] = {
      {"40000000", 40000000}, {" 1 2 3abc", 123}, {"\t\n4.9", 4.9}, {"12.5e1x", 125},
      {"1.5D2", 150}, {"&H10", 16}, {"1H5", 1}, {"ST10", 0}, {"", 0}, {"-3", -3}, {"5e", 5}};
  // clang-format on
  for (const auto& [text, value] : rows) EXPECT_DOUBLE_EQ(Val(text), value) << text;
}

TEST(FormatDouble15AndTrimBlanks, FifteenSignificantDigitsAndOnlySpacesTrimmed) {
  EXPECT_EQ(FormatDouble15(40000000.0 / 1000000.0) + "|" + FormatDouble15(10.0 / 3.0) + "|" +
                FormatDouble15(-2.25),
            "40|3.33333333333333|-2.25");
  EXPECT_EQ(std::vector<std::string_view>(
                {TrimBlanks("  a b  "), TrimBlanks("\ta\t"), TrimBlanks("   ")}),
            std::vector<std::string_view>({"a b", "\ta\t", ""}));
}

}  // namespace
}  // namespace xkm
