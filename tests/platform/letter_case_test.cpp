#include "core/platform/letter_case.h"

#include <gtest/gtest.h>

namespace xkm {
namespace {

struct CaseRow {
  const char* text;
  const char* upper;
  const char* lower;
};

// Every letter of Windows-1252 has its partner; what has none stays.
const CaseRow kCaseRows[] = {
    {"motör_ä", "MOTÖR_Ä", "motör_ä"},
    {"ÄÖÜ äöü", "ÄÖÜ ÄÖÜ", "äöü äöü"},
    {"àéîõøþ", "ÀÉÎÕØÞ", "àéîõøþ"},
    {"šœžÿ", "ŠŒŽŸ", "šœžÿ"},
    {"ŠŒŽŸ", "ŠŒŽŸ", "šœžÿ"},
    {"Straße µ", "STRAßE µ", "straße µ"},  // ß and µ have no partner in the code page
    {"÷×", "÷×", "÷×"},                    // signs, not letters
    {"ā€→", "ā€→", "ā€→"},                 // outside the code page or no letter
    {"a\xC3", "A\xC3", "a\xC3"},           // a lead byte without its second byte
    {"\xC5\xC5\xA1", "\xC5\xC5\xA0", "\xC5\xC5\xA1"},
};

TEST(LetterCase, UpperAndLowerCoverEveryLetterOfTheCodePage) {
  for (const CaseRow& row : kCaseRows) {
    EXPECT_EQ(ToUpperCase(row.text), row.upper) << row.text;
    EXPECT_EQ(ToLowerCase(row.text), row.lower) << row.text;
    EXPECT_TRUE(EqualsIgnoringCase(row.text, row.upper)) << row.text;
  }
}

TEST(LetterCase, ComparisonWithoutCase) {
  struct Pair {
    const char* a;
    const char* b;
    bool equal;
  };
  const Pair pairs[] = {
      {"Ärger", "äRGER", true},    {"ÿ", "Ÿ", true},     {"ß", "SS", false},
      {"é", "e", false},           {"ab", "abc", false}, {"\xC3", "\xC3", true},
      {"\xC3\xA4", "\xC3", false},
  };
  for (const Pair& p : pairs) EXPECT_EQ(EqualsIgnoringCase(p.a, p.b), p.equal) << p.a << " " << p.b;
}

}  // namespace
}  // namespace xkm
