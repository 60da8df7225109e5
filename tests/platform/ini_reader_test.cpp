#include "core/platform/os/ini_reader.h"

#include <gtest/gtest.h>

#include "support/scratch_folder.h"

namespace xkm {
namespace {

struct Case {
  const char* content;
  const char* section;
  const char* key;
  const char* expected;
};

void ExpectReads(const std::vector<Case>& cases) {
  test::ScratchFolder folder;
  for (const Case& c : cases) {
    const std::string path = folder.write("settings.ini", c.content);
    EXPECT_EQ(ReadPrivateProfileString(path, c.section, c.key, "<default>"), c.expected)
        << c.section << "/" << c.key << " in " << c.content;
  }
}

TEST(IniReader, FollowsTheProfileRules) {
  const char* const ini =
      "top=outside any section\r\n[Paths]\r\nTool=C:\\bin\\tool.exe\r\n"
      "  Spaced Key \t=\t  padded value  \r\nquoted=\"  kept inside  \"\r\nsingle='x'\r\n"
      "twice=\"\"a\"\"\r\nmixed=\"x'\r\nlone=\"\r\nempty=\r\n;comment=not a comment\r\n"
      "no equals sign\r\ndup=first\r\nDUP=second\r\nexpr=a=b\r\n[ other\t]trailing text\n"
      "only=here\n[paths]\nlate=second section of the same name\n";
  ExpectReads({{ini, "Paths", "Tool", "C:\\bin\\tool.exe"},
               {ini, "PATHS", "tool", "C:\\bin\\tool.exe"},
               {ini, " Paths ", "\tTool ", "C:\\bin\\tool.exe"},
               {ini, "Paths", "spaced key", "padded value"},
               {ini, "Paths", "quoted", "  kept inside  "},
               {ini, "Paths", "single", "x"},
               {ini, "Paths", "twice", "\"a\""} /* only one pair goes */,
               {ini, "Paths", "mixed", "\"x'"},
               {ini, "Paths", "lone", "\""},
               {ini, "Paths", "empty", ""},
               {ini, "Paths", "dup", "first"},
               {ini, "Paths", ";comment", "not a comment"},
               {ini, "Paths", "no equals sign", "<default>"},
               {ini, "Paths", "expr", "a=b"},
               {ini, "Paths", "top", "<default>"},
               {ini, "Paths", "only", "<default>"},
               {ini, "other", "only", "here"},
               {ini, "Paths", "late", "<default>"} /* only the first [Paths] is searched */,
               {ini, "Missing", "Tool", "<default>"}});
  test::ScratchFolder folder;
  EXPECT_EQ(ReadPrivateProfileString(folder.file("absent.ini"), "s", "k", "fallback"), "fallback");
}

// A file is UTF-8 where it reads as such, with or without the mark; else Windows-1252.
TEST(IniReader, DecodesWindows1252OrUtf8AndAcceptsLfOnlyFiles) {
  ExpectReads({{"[s]\nname=Gr\374\337e \200\n", "s", "name", "Grüße €"},
               {"[s]\nlast=no final line end", "s", "last", "no final line end"},
               {"[\304rger]\n\374ber=1\n", "äRGER", "ÜBER", "1"},  // without case beyond ASCII
               {"\xEF\xBB\xBF[s]\r\nn=Straße €\r\n", "s", "n", "Straße €"},
               {"[s]\r\nn=Straße\r\n", "s", "n", "Straße"},                 // UTF-8 without a mark
               {"\xEF\xBB\xBF[s]\r\nn=Stra\337e\r\n", "s", "n", "Straße"},  // not UTF-8 after all
               // Every lead byte range: two, three and four bytes, up to the last code point.
               {"\xEF\xBB\xBF[s]\nn=©अ😀\xF4\x8F\xBF\xBF\n", "s", "n", "©अ😀\xF4\x8F\xBF\xBF"},
               {"\xEF\xBB\xBF[s]\nn=\xF5\x80\x80\x80\n", "s", "n", "õ€€€"}});
}

// Notepad's "Unicode" is UTF-16 with its mark: read as the profile functions do.
TEST(IniReader, DecodesUtf16WithItsMark) {
  using namespace std::string_literals;
  test::ScratchFolder folder;
  const std::pair<std::string, std::string> rows[] = {
      // little-endian, with surrogate pairs, the first one at the lowest pair
      {"\xFF\xFE[\0s\0]\0\n\0n\0=\0\xDF\0\x00\xD8\x00\xDC\x3D\xD8\x00\xDE\n\0"s, "ß\U00010000😀"},
      // big-endian, from the first code point of two bytes, with a lone surrogate
      {"\xFE\xFF\0[\0s\0]\0\n\0n\0=\0\x80\x20\xAC\xDC\x00"s, "\xC2\x80€\xEF\xBF\xBD"}};
  for (const auto& [content, expected] : rows)
    EXPECT_EQ(ReadPrivateProfileString(folder.write("u.ini", content), "s", "n", ""), expected);
}

}  // namespace
}  // namespace xkm
