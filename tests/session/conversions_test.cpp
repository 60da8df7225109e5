#include "core/session/conversions.h"

#include <gtest/gtest.h>

#include "support/error_number.h"

namespace xkm {
namespace {

TEST(ToLong, WholeNumbersWithBlanksRadixAndBankersRoundingOrTheError) {
  const std::pair<const char*, int32_t> values[] = {
      // blanks, rounding half to even, exponents, radix
      {" 2 ", 2},
      {"-17", -17},
      {"2.5", 2},
      {"3.5", 4},
      {"-2.5", -2},
      {"1e3", 1000},
      {"1E2", 100},
      {"1D2", 100},
      {"2d1", 20},
      {"&H1F", 31},
      {"&hFFFFFFFF", -1},
      {"&O17", 15},
      {"2147483647", 2147483647}};
  for (const auto& [text, value] : values) EXPECT_EQ(ToLong(text), value) << text;
  // Not a number (13) or out of range (6).
  const std::pair<const char*, int> failures[] = {
      {"", 13},          {"   ", 13},        {"12abc", 13},      {"abc", 13},
      {"2147483648", 6}, {"-2147483649", 6}, {"&H100000000", 6}, {"&O40000000000", 6}};
  for (const auto& [text, error] : failures)
    EXPECT_EQ(test::ErrorNumberOf([&] { ToLong(text); }), error) << text;
}

TEST(Val, ReadsTheLeadingNumber) {
  const std::pair<const char*, double> rows[] = {{"40000000", 40000000},
                                                 {" 1 2 3abc", 123},
                                                 {"\t\n4.9", 4.9},
                                                 {"12.5e1x", 125},
                                                 {"1.5D2", 150},
                                                 {"&H10", 16},
                                                 {"1H5", 1},
                                                 {"ST10", 0},
                                                 {"", 0},
                                                 {"-3", -3},
                                                 {"5e", 5}};
  for (const auto& [text, value] : rows) EXPECT_DOUBLE_EQ(Val(text), value) << text;
}

}  // namespace
}  // namespace xkm
