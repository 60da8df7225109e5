#include "core/session/conversions.h"

#include <gtest/gtest.h>

#include "core/platform/error.h"
#include "support/error_number.h"

namespace xkm {
namespace {

int ErrorNumberOf(std::string_view text) {
  return test::ErrorNumberOf([text] { ToLong(text); });
}

TEST(ToLong, ReadsWholeNumbersWithBlanksRadixAndBankersRounding) {
  EXPECT_EQ(ToLong(" 2 "), 2);
  EXPECT_EQ(ToLong("-17"), -17);
  EXPECT_EQ(ToLong("2.5"), 2);
  EXPECT_EQ(ToLong("3.5"), 4);
  EXPECT_EQ(ToLong("-2.5"), -2);
  EXPECT_EQ(ToLong("1e3"), 1000);
  EXPECT_EQ(ToLong("&H1F"), 31);
  EXPECT_EQ(ToLong("&hFFFFFFFF"), -1);
  EXPECT_EQ(ToLong("&O17"), 15);
  EXPECT_EQ(ToLong("2147483647"), 2147483647);
}

TEST(ToLong, RejectsTextAndOverflow) {
  EXPECT_EQ(ErrorNumberOf(""), 13);
  EXPECT_EQ(ErrorNumberOf("   "), 13);
  EXPECT_EQ(ErrorNumberOf("12abc"), 13);
  EXPECT_EQ(ErrorNumberOf("abc"), 13);
  EXPECT_EQ(ErrorNumberOf("2147483648"), 6);
  EXPECT_EQ(ErrorNumberOf("-2147483649"), 6);
}

TEST(Val, ReadsTheLeadingNumber) {
  EXPECT_DOUBLE_EQ(Val("40000000"), 40000000);
  EXPECT_DOUBLE_EQ(Val(" 1 2 3abc"), 123);
  EXPECT_DOUBLE_EQ(Val("\t\n4.9"), 4.9);
  EXPECT_DOUBLE_EQ(Val("12.5e1x"), 125);
  EXPECT_DOUBLE_EQ(Val("&H10"), 16);
  EXPECT_DOUBLE_EQ(Val("ST10"), 0);
  EXPECT_DOUBLE_EQ(Val(""), 0);
  EXPECT_DOUBLE_EQ(Val("-3"), -3);
  EXPECT_DOUBLE_EQ(Val("5e"), 5);
}

TEST(FormatDouble15, GivesFifteenSignificantDigits) {
  EXPECT_EQ(FormatDouble15(40000000.0 / 1000000.0), "40");
  EXPECT_EQ(FormatDouble15(10.0 / 3.0), "3.33333333333333");
  EXPECT_EQ(FormatDouble15(0.5), "0.5");
  EXPECT_EQ(FormatDouble15(-2.25), "-2.25");
}

TEST(TrimBlanks, RemovesSpacesOnly) {
  EXPECT_EQ(TrimBlanks("  a b  "), "a b");
  EXPECT_EQ(TrimBlanks("\ta\t"), "\ta\t");
  EXPECT_EQ(TrimBlanks("   "), "");
}

}  // namespace
}  // namespace xkm
