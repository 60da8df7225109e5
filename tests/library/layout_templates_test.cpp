#include "core/library/layout_templates.h"

#include <gtest/gtest.h>

#include "core/platform/error.h"
#include "core/resources/message_ids.h"
#include "library_fixture.h"
#include "support/error_number.h"

namespace xkm {
namespace {

using test::ErrorOf;

std::string Template(const std::string& element, const std::string& name, const std::string& data) {
  return "<" + element + "><NAME>" + name + "</NAME><DATA>" + data + "</DATA></" + element + ">";
}

// A layout whose templates are written with CR LF line ends, as on disk.
std::string Layout(const std::string& value, const std::string& raw = "<![CDATA[a\r\nb]]>",
                   const std::string& names = "raw.txt|qsr.qsr|mcs.txt|hex.txt") {
  std::vector<std::string> n;
  size_t start = 0;
  for (size_t bar; (bar = names.find('|', start)) != std::string::npos; start = bar + 1)
    n.push_back(names.substr(start, bar - start));
  n.push_back(names.substr(start));
  return "<ADRESSLAYOUT VALUE=\"" + value + "\">\r\n" +
         "<DATABLOCK_COUNT> 2 </DATABLOCK_COUNT><MIM_CONVERSION>1</MIM_CONVERSION>\r\n" +
         "<TEMPLATES>" + Template("RAW", n[0], raw) +
         Template("QSR_HEXINFO", n[3], "hexinfo") +  // before QSR: //QSR must not take it
         Template("QSR", n[1], "line 1\r\nline &lt;$CONFIG.X>") +
         Template("MCS", n[2], "<![CDATA[<$DATA.SGIDB1>\r\n]]>") + "</TEMPLATES>" +
         Template("BRAKEL", "brakel.ini", "[Brakel]\r\nFile=&lt;$CONFIG.HEXFILE>") +
         "</ADRESSLAYOUT>\r\n";
}

struct TemplatesTest : ::testing::Test, test::LibraryFixture {
  void library(const std::string& layouts) { useLibrary("<XKMTOOL>" + layouts + "</XKMTOOL>"); }
};

TEST_F(TemplatesTest, TextsAreTextContentWithLfAndRawIsTheCdataWithCrLf) {
  library(Layout("L1", "<![CDATA[<$DATA.SGIDB1>\r\nä <?variable name=\"x\"?>\r\n]]>"));
  const LayoutTemplates t = GetLayoutTemplates(ctx, "L1");
  const BrakelTemplate brakel = GetBrakelTemplate(ctx, "L1");
  EXPECT_EQ(std::vector({t.rawName, t.rawContent, t.qsrName, t.qsrContent, t.mcsName, t.mcsContent,
                         t.hexInfoName, t.hexInfoContent, brakel.name, brakel.content}),
            std::vector<std::string>({"raw.txt", "<$DATA.SGIDB1>\r\nä <?variable name=\"x\"?>\r\n",
                                      "qsr.qsr", "line 1\nline <$CONFIG.X>", "mcs.txt",
                                      "<$DATA.SGIDB1>\n", "hex.txt", "hexinfo", "brakel.ini",
                                      "[Brakel]\nFile=<$CONFIG.HEXFILE>"}));
}

TEST_F(TemplatesTest, RawContentRunsFromTheFirstCdataToTheLast) {
  library(Layout("TWO", "<![CDATA[a]]>\r\n<![CDATA[b]]>") + Layout("PLAIN", "just text"));
  EXPECT_EQ(GetLayoutTemplates(ctx, "TWO").rawContent, "a]]>\r\n<![CDATA[b");
  EXPECT_EQ(GetLayoutTemplates(ctx, "PLAIN").rawContent, "");
}

// Blank names report in a fixed order; the layout name is used as given (no
// trimming, no case change) and the first of two layouts wins.
TEST_F(TemplatesTest, MissingPartsFailWithLibraryErrors) {
  library(Layout("RQ", "<![CDATA[x]]>", " |  |mcs|hex") + Layout("MQ", "<![CDATA[x]]>", "r| | |h") +
          Layout("Q", "<![CDATA[x]]>", "r| |m|") + Layout("O'NEIL") +
          Layout("O'NEIL", "<![CDATA[second]]>") +
          "<ADRESSLAYOUT VALUE='M1'><MIM_CONVERSION> 1</MIM_CONVERSION></ADRESSLAYOUT>"
          "<ADRESSLAYOUT VALUE='M2'><MIM_CONVERSION>01</MIM_CONVERSION></ADRESSLAYOUT>"
          "<ADRESSLAYOUT VALUE='NO_RAW'>" +
          Template("QSR", "q", "") + "</ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='NO_NAME'><RAW><DATA/></RAW></ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='NO_DATA'><RAW><NAME>r</NAME></RAW></ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='COUNTS'><DATABLOCK_COUNT>two</DATABLOCK_COUNT></ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='ZERO'><DATABLOCK_COUNT>0</DATABLOCK_COUNT></ADRESSLAYOUT>");
  const auto raw = [&](const char* layout) { return GetLayoutTemplates(ctx, layout).rawContent; };
  const auto count = [&](const char* layout) { return GetDatablockCount(ctx, layout); };
  const auto mim = [&](const char* layout) { return GetMimConversion(ctx, layout); };
  const auto brakel = [&](const char* layout) { return GetBrakelTemplate(ctx, layout).name; };
  const auto error = [](int number) { return "error " + std::to_string(number); };
  const std::pair<std::string, std::string> rows[] = {
      {test::Outcome([&] { return raw("RQ"); }), error(60017)},
      {test::Outcome([&] { return raw("MQ"); }), error(60024)},
      {test::Outcome([&] { return raw("Q"); }), error(60018)},
      {test::Outcome([&] { return raw("NO_RAW"); }), error(msg::kLibraryMissingTemplate)},
      {test::Outcome([&] { return raw("NO_NAME"); }), error(msg::kLibraryMissingTemplateName)},
      {test::Outcome([&] { return raw("NO_DATA"); }), error(msg::kLibraryMissingTemplateData)},
      {test::Outcome([&] { return raw("NONE"); }), error(msg::kLibraryMissingTemplate)},
      {test::Outcome([&] { return brakel("NO_RAW"); }), error(msg::kLibraryMissingTemplate)},
      {test::Outcome([&] { return mim("NO_RAW"); }), error(msg::kLibraryMissingMimConversion)},
      {test::Outcome([&] { return count("COUNTS"); }),
       error(msg::kLibraryDatablockCountNotANumber)},
      {test::Outcome([&] { return count("ZERO"); }), error(60016)},
      {test::Outcome([&] { return count("NO_RAW"); }), error(60016)},
      {test::Outcome([&] { return count("o'neil"); }), error(60016)},
      {test::Outcome([&] { return count(" O'NEIL"); }), error(60016)},
      {test::Outcome([&] { return count("O'NEIL"); }), "2"},
      {test::Outcome([&] { return raw("O'NEIL"); }), "a\r\nb"},
      {test::Outcome([&] { return mim("O'NEIL"); }) + test::Outcome([&] { return mim("M1"); }) +
           test::Outcome([&] { return mim("M2"); }),
       "100"},
  };
  for (const auto& [actual, expected] : rows) EXPECT_EQ(actual, expected);
  app.LanguageOffset = 1000;
  EXPECT_EQ(ErrorOf([&] { GetLayoutTemplates(ctx, "RQ"); }).description(),
            "No information about RAW-template was found in library\r\n");
}

}  // namespace
}  // namespace xkm
