#include "core/library/layout_templates.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/platform/error.h"
#include "core/resources/message_ids.h"
#include "library_fixture.h"

namespace xkm {
namespace {

Error ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e;
  }
  return Error(0, "no error");
}

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
  EXPECT_EQ(t.rawName, "raw.txt");
  EXPECT_EQ(t.rawContent, "<$DATA.SGIDB1>\r\nä <?variable name=\"x\"?>\r\n");
  EXPECT_EQ(t.qsrName, "qsr.qsr");
  EXPECT_EQ(t.qsrContent, "line 1\nline <$CONFIG.X>");
  EXPECT_EQ(t.mcsName, "mcs.txt");
  EXPECT_EQ(t.mcsContent, "<$DATA.SGIDB1>\n");
  EXPECT_EQ(t.hexInfoName, "hex.txt");
  EXPECT_EQ(t.hexInfoContent, "hexinfo");

  const BrakelTemplate brakel = GetBrakelTemplate(ctx, "L1");
  EXPECT_EQ(brakel.name, "brakel.ini");
  EXPECT_EQ(brakel.content, "[Brakel]\nFile=<$CONFIG.HEXFILE>");
}

TEST_F(TemplatesTest, RawContentRunsFromTheFirstCdataToTheLast) {
  library(Layout("TWO", "<![CDATA[a]]>\r\n<![CDATA[b]]>") + Layout("PLAIN", "just text"));
  EXPECT_EQ(GetLayoutTemplates(ctx, "TWO").rawContent, "a]]>\r\n<![CDATA[b");
  EXPECT_EQ(GetLayoutTemplates(ctx, "PLAIN").rawContent, "");
}

TEST_F(TemplatesTest, BlankNamesReportInFixedOrder) {
  app.LanguageOffset = 1000;
  library(Layout("RQ", "<![CDATA[x]]>", " |  |mcs|hex") + Layout("MQ", "<![CDATA[x]]>", "r| | |h") +
          Layout("Q", "<![CDATA[x]]>", "r| |m|"));
  Error e = ErrorOf([&] { GetLayoutTemplates(ctx, "RQ"); });
  EXPECT_EQ(e.number(), 60017);
  EXPECT_EQ(e.description(), "No information about RAW-template was found in library\r\n");
  EXPECT_EQ(ErrorOf([&] { GetLayoutTemplates(ctx, "MQ"); }).number(), 60024);
  EXPECT_EQ(ErrorOf([&] { GetLayoutTemplates(ctx, "Q"); }).number(), 60018);
}

TEST_F(TemplatesTest, MissingPartsFailWithLibraryErrors) {
  library("<ADRESSLAYOUT VALUE='NO_RAW'>" + Template("QSR", "q", "") + "</ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='NO_NAME'><RAW><DATA/></RAW></ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='NO_DATA'><RAW><NAME>r</NAME></RAW></ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='COUNTS'><DATABLOCK_COUNT>two</DATABLOCK_COUNT></ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='ZERO'><DATABLOCK_COUNT>0</DATABLOCK_COUNT></ADRESSLAYOUT>");
  EXPECT_EQ(ErrorOf([&] { GetLayoutTemplates(ctx, "NO_RAW"); }).number(),
            msg::kLibraryMissingTemplate);
  EXPECT_EQ(ErrorOf([&] { GetLayoutTemplates(ctx, "NO_NAME"); }).number(),
            msg::kLibraryMissingTemplateName);
  EXPECT_EQ(ErrorOf([&] { GetLayoutTemplates(ctx, "NO_DATA"); }).number(),
            msg::kLibraryMissingTemplateData);
  EXPECT_EQ(ErrorOf([&] { GetBrakelTemplate(ctx, "NO_RAW"); }).number(),
            msg::kLibraryMissingTemplate);
  EXPECT_EQ(ErrorOf([&] { GetMimConversion(ctx, "NO_RAW"); }).number(),
            msg::kLibraryMissingMimConversion);
  EXPECT_EQ(ErrorOf([&] { GetDatablockCount(ctx, "COUNTS"); }).number(),
            msg::kLibraryDatablockCountNotANumber);
  EXPECT_EQ(ErrorOf([&] { GetDatablockCount(ctx, "ZERO"); }).number(), 60016);
  EXPECT_EQ(ErrorOf([&] { GetDatablockCount(ctx, "NO_RAW"); }).number(), 60016);
  EXPECT_EQ(ErrorOf([&] { GetLayoutTemplates(ctx, "NONE"); }).number(),
            msg::kLibraryMissingTemplate);
}

TEST_F(TemplatesTest, SettingsAndLiteralLayoutNames) {
  library(Layout("O'NEIL") + Layout("O'NEIL", "<![CDATA[second]]>") +
          "<ADRESSLAYOUT VALUE='M1'><MIM_CONVERSION> 1</MIM_CONVERSION></ADRESSLAYOUT>"
          "<ADRESSLAYOUT VALUE='M2'><MIM_CONVERSION>01</MIM_CONVERSION></ADRESSLAYOUT>");
  EXPECT_EQ(GetDatablockCount(ctx, "O'NEIL"), 2);
  EXPECT_TRUE(GetMimConversion(ctx, "O'NEIL"));
  EXPECT_FALSE(GetMimConversion(ctx, "M1"));
  EXPECT_FALSE(GetMimConversion(ctx, "M2"));
  EXPECT_EQ(GetLayoutTemplates(ctx, "O'NEIL").rawContent, "a\r\nb");  // the first layout wins
  // The name is used as given: no trimming, no case change.
  EXPECT_EQ(ErrorOf([&] { GetDatablockCount(ctx, "o'neil"); }).number(), 60016);
  EXPECT_EQ(ErrorOf([&] { GetDatablockCount(ctx, " O'NEIL"); }).number(), 60016);
}

}  // namespace
}  // namespace xkm
