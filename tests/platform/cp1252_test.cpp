#include "core/platform/cp1252.h"

#include <gtest/gtest.h>

namespace xkm {
namespace {

TEST(Cp1252, EveryByteSurvivesDecodeThenEncode) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  std::string back;
  EXPECT_TRUE(TryEncodeCp1252(DecodeCp1252(all), back));
  EXPECT_EQ(back, all);

  EXPECT_EQ(DecodeCp1252("\x80\x9F"), "\xE2\x82\xAC\xC5\xB8");  // euro, Y diaeresis
  EXPECT_EQ(DecodeCp1252("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
  EXPECT_EQ(DecodeCp1252("A\xE4"), "A\xC3\xA4");
}

TEST(Cp1252, UnencodableAndMalformedInputBecomesQuestionMarks) {
  std::string bytes;
  EXPECT_FALSE(TryEncodeCp1252("a\xE4\xB8\xAD", bytes));  // U+4E2D
  EXPECT_EQ(EncodeCp1252("a\xE4\xB8\xAD"), "a?");
  EXPECT_EQ(EncodeCp1252("\xC2\x80"), "?");        // U+0080: 0x80 is taken by the euro sign
  EXPECT_EQ(EncodeCp1252("x\xC3"), "x?");          // truncated
  EXPECT_EQ(EncodeCp1252("\xE0\x80\x80"), "???");  // overlong
  EXPECT_EQ(EncodeCp1252("\xED\xA0\x80"), "???");  // surrogate
  EXPECT_FALSE(TryEncodeCp1252("\xFF", bytes));
}

TEST(Cp1252, LengthHeadAndTailCountCodePoints) {
  const std::string text = "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80";  // a, a-umlaut, euro, emoji
  EXPECT_EQ(Utf8Length(text), 4u);
  EXPECT_EQ(Utf8Head(text, 2), "a\xC3\xA4");
  EXPECT_EQ(Utf8Tail(text, 2), "\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8Tail(text, 0), "");
  EXPECT_EQ(Utf8Head(text, 9), text);
  EXPECT_EQ(Utf8Tail(text, 9), text);
}

}  // namespace
}  // namespace xkm
