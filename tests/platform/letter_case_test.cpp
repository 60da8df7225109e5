#include "core/platform/letter_case.h"

#include <gtest/gtest.h>

namespace xkm {
namespace {

// Every letter of Windows-1252 has its upper case; what has none stays.
TEST(LetterCase, UpperAndLowerCoverEveryLetterOfTheCodePage) {
  const std::pair<const char*, const char*> rows[] = {
      // text, upper
      // clang-format off
      {"motör_ä", "MOTÖR_Ä"}, {"ÄÖÜ äöü", "ÄÖÜ ÄÖÜ"}, {"àéîõøþ", "ÀÉÎÕØÞ"}, {"šœžÿ", "ŠŒŽŸ"},
      {"Straße µ", "STRAßE µ"} /* ß and µ have no partner in the code page */,
      {"÷×", "÷×"} /* signs, not letters */, {"ā€→", "ā€→"} /* outside or no letter */,
      {"a\xC3", "A\xC3"} /* a lead byte without its second byte */,
      {"\xC5\xC5\xA1", "\xC5\xC5\xA0"}};
  // clang-format on
  for (const auto& [text, upper] : rows) {
    EXPECT_EQ(ToUpperCase(text), upper);
    EXPECT_TRUE(EqualsIgnoringCase(text, upper)) << text;
  }
  const std::tuple<const char*, const char*, bool> pairs[] = {
      // clang-format off
      {"Ärger", "äRGER", true}, {"ÿ", "Ÿ", true}, {"ß", "SS", false}, {"é", "e", false},
      {"ab", "abc", false}, {"\xC3", "\xC3", true}, {"\xC3\xA4", "\xC3", false}};
  // clang-format on
  for (const auto& [a, b, equal] : pairs) EXPECT_EQ(EqualsIgnoringCase(a, b), equal) << a << b;
}

}  // namespace
}  // namespace xkm
