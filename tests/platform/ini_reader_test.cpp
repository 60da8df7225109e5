#include "core/platform/ini_reader.h"

#include <gtest/gtest.h>

#include "support/scratch_folder.h"

namespace xkm {
namespace {

class IniReaderTest : public ::testing::Test {
 protected:
  std::string read(const std::string& content, const std::string& section, const std::string& key) {
    std::string path = folder_.write("settings.ini", content);
    return ReadPrivateProfileString(path, section, key, "<default>");
  }
  test::ScratchFolder folder_;
};

TEST_F(IniReaderTest, FollowsTheProfileRules) {
  const std::string ini =
      "top=outside any section\r\n"
      "[Paths]\r\n"
      "Tool=C:\\bin\\tool.exe\r\n"
      "  Spaced Key \t=\t  padded value  \r\n"
      "quoted=\"  kept inside  \"\r\n"
      "single='x'\r\n"
      "twice=\"\"a\"\"\r\n"
      "mixed=\"x'\r\n"
      "lone=\"\r\n"
      "empty=\r\n"
      ";comment=not a comment\r\n"
      "no equals sign\r\n"
      "dup=first\r\n"
      "DUP=second\r\n"
      "expr=a=b\r\n"
      "[ other\t]trailing text\n"
      "only=here\n"
      "[paths]\n"
      "late=second section of the same name\n";
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {
      {"Paths", "Tool", "C:\\bin\\tool.exe"},
      {"PATHS", "tool", "C:\\bin\\tool.exe"},
      {" Paths ", "\tTool ", "C:\\bin\\tool.exe"},
      {"Paths", "spaced key", "padded value"},
      {"Paths", "quoted", "  kept inside  "},
      {"Paths", "single", "x"},
      {"Paths", "twice", "\"a\""},  // only one pair goes
      {"Paths", "mixed", "\"x'"},
      {"Paths", "lone", "\""},
      {"Paths", "empty", ""},
      {"Paths", ";comment", "not a comment"},
      {"Paths", "no equals sign", "<default>"},
      {"Paths", "dup", "first"},
      {"Paths", "expr", "a=b"},
      {"Paths", "top", "<default>"},
      {"Paths", "only", "<default>"},
      {"Paths", "late", "<default>"},  // only the first [Paths] is searched
      {"other", "only", "here"},
      {"Missing", "Tool", "<default>"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(read(ini, c.section, c.key), c.expected) << c.section << "/" << c.key;
  EXPECT_EQ(ReadPrivateProfileString(folder_.file("absent.ini"), "s", "k", "fallback"), "fallback");
}

TEST_F(IniReaderTest, DecodesWindows1252AndAcceptsLfOnlyFiles) {
  EXPECT_EQ(read("[s]\nname=Gr\xFC\xDF"
                 "e \x80\n",
                 "s", "name"),
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE2\x82\xAC");
  EXPECT_EQ(read("[s]\nlast=no final line end", "s", "last"), "no final line end");
  // Names compare without case beyond ASCII as well.
  EXPECT_EQ(read("[\xC4rger]\n\xFC"
                 "ber=1\n",
                 "äRGER", "ÜBER"),
            "1");
}

TEST_F(IniReaderTest, AFileWithTheUtf8MarkIsReadAsUtf8) {
  const struct {
    const char* bytes;
    const char* expected;
  } cases[] = {
      {"\xEF\xBB\xBF[s]\r\nname=Stra\xC3\x9F"
       "e \xE2\x82\xAC\r\n",
       "Stra\xC3\x9F"
       "e \xE2\x82\xAC"},
      {"[s]\r\nname=Stra\xC3\x9F"
       "e\r\n",
       "Stra\xC3\x83\xC5\xB8"
       "e"},  // no mark: Windows-1252
      {"\xEF\xBB\xBF[s]\r\nname=Stra\xDF"
       "e\r\n",
       "Stra\xC3\x9F"
       "e"},  // not UTF-8 after all
      // Every lead byte range: two, three and four bytes, up to the last code point.
      {"\xEF\xBB\xBF[s]\nname=\xC2\xA9\xE0\xA4\x85\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF\n",
       "\xC2\xA9\xE0\xA4\x85\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"},
      {"\xEF\xBB\xBF[s]\nname=\xF5\x80\x80\x80\n", "\xC3\xB5\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC"},
  };
  for (const auto& c : cases) EXPECT_EQ(read(c.bytes, "s", "name"), c.expected) << c.bytes;
}

}  // namespace
}  // namespace xkm
