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

struct TemplateNames {
  std::string raw = "raw.txt";
  std::string qsr = "qsr.qsr";
  std::string mcs = "mcs.txt";
  std::string hexInfo = "hex.txt";
};

constexpr const char* kRawText = "<![CDATA[a\r\nb]]>";

// A layout whose templates are written with CR LF line ends, as on disk.
std::string Layout(const std::string& value, const std::string& raw = kRawText,
                   const TemplateNames& names = {}) {
  return "<ADRESSLAYOUT VALUE=\"" + value + "\">\r\n" +
         "<DATABLOCK_COUNT> 2 </DATABLOCK_COUNT><MIM_CONVERSION>1</MIM_CONVERSION>\r\n" +
         "<TEMPLATES>" + Template("RAW", names.raw, raw) +
         Template("QSR_HEXINFO", names.hexInfo, "hexinfo") +  // before QSR: //QSR must not take it
         Template("QSR", names.qsr, "line 1\r\nline &lt;$CONFIG.X>") +
         Template("MCS", names.mcs, "<![CDATA[<$DATA.SGIDB1>\r\n]]>") + "</TEMPLATES>" +
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

std::string Failure(int number) {
  return "error " + std::to_string(number);
}

// Blank names report in a fixed order; the layout name is used as given (no
// trimming, no case change); where a layout is described twice, each part
// comes from the first description that has it.
TEST_F(TemplatesTest, EachLookupFindsItsPartOrFailsWithItsNumber) {
  library(Layout("RQ", kRawText, {.raw = " ", .qsr = "  "}) +
          Layout("MQ", kRawText, {.qsr = " ", .mcs = " "}) + Layout("Q", kRawText, {.qsr = " "}) +
          Layout("O'NEIL") + Layout("O'NEIL", "<![CDATA[second]]>") +
          "<ADRESSLAYOUT VALUE='SPLIT'><MIM_CONVERSION>0</MIM_CONVERSION></ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='SPLIT'><DATABLOCK_COUNT>7</DATABLOCK_COUNT>"
          "<MIM_CONVERSION>1</MIM_CONVERSION></ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='M1'><MIM_CONVERSION> 1</MIM_CONVERSION></ADRESSLAYOUT>"
          "<ADRESSLAYOUT VALUE='M2'><MIM_CONVERSION>01</MIM_CONVERSION></ADRESSLAYOUT>"
          "<ADRESSLAYOUT VALUE='NO_RAW'>" +
          Template("QSR", "q", "") + "</ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='NO_NAME'><RAW><DATA/></RAW></ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='NO_DATA'><RAW><NAME>r</NAME></RAW></ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='COUNTS'><DATABLOCK_COUNT>two</DATABLOCK_COUNT></ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='ZERO'><DATABLOCK_COUNT>0</DATABLOCK_COUNT></ADRESSLAYOUT>");
  const auto raw = [&](const char* layout) {
    return test::Outcome([&] { return GetLayoutTemplates(ctx, layout).rawContent; });
  };
  const auto count = [&](const char* layout) {
    return test::Outcome([&] { return GetDatablockCount(ctx, layout); });
  };
  const auto mim = [&](const char* layout) {
    return test::Outcome([&] { return GetMimConversion(ctx, layout); });
  };
  const auto brakel = [&](const char* layout) {
    return test::Outcome([&] { return GetBrakelTemplate(ctx, layout).name; });
  };
  const struct {
    const char* name;
    std::string actual;
    std::string expected;
  } rows[] = {
      {"blank RAW name before blank QSR", raw("RQ"), Failure(60017)},
      {"blank MCS name before blank QSR", raw("MQ"), Failure(60024)},
      {"blank QSR name", raw("Q"), Failure(60018)},
      {"no RAW template", raw("NO_RAW"), Failure(msg::kLibraryMissingTemplate)},
      {"RAW without NAME", raw("NO_NAME"), Failure(msg::kLibraryMissingTemplateName)},
      {"RAW without DATA", raw("NO_DATA"), Failure(msg::kLibraryMissingTemplateData)},
      {"unknown layout", raw("NONE"), Failure(msg::kLibraryMissingTemplate)},
      {"no BRAKEL template", brakel("NO_RAW"), Failure(msg::kLibraryMissingTemplate)},
      {"no MIM_CONVERSION", mim("NO_RAW"), Failure(msg::kLibraryMissingMimConversion)},
      {"count not a number", count("COUNTS"), Failure(msg::kLibraryDatablockCountNotANumber)},
      {"count 0", count("ZERO"), Failure(60016)},
      {"no count", count("NO_RAW"), Failure(60016)},
      {"name in other case", count("o'neil"), Failure(60016)},
      {"name with a blank", count(" O'NEIL"), Failure(60016)},
      {"count trimmed", count("O'NEIL"), "2"},
      {"first description wins", raw("O'NEIL"), "a\r\nb"},
      {"count from the second description", count("SPLIT"), "7"},
      {"MIM_CONVERSION from the first description", mim("SPLIT"), "0"},
      {"MIM_CONVERSION 1", mim("O'NEIL"), "1"},
      {"MIM_CONVERSION with a blank", mim("M1"), "0"},
      {"MIM_CONVERSION 01", mim("M2"), "0"},
  };
  for (const auto& row : rows) EXPECT_EQ(row.actual, row.expected) << row.name;
}

TEST_F(TemplatesTest, ABlankNameFailsWithTheMessageOfTheLanguage) {
  library(Layout("RQ", kRawText, {.raw = " "}));
  app.LanguageOffset = 1000;
  EXPECT_EQ(ErrorOf([&] { GetLayoutTemplates(ctx, "RQ"); }).description(),
            "No information about RAW-template was found in library\r\n");
}

}  // namespace
}  // namespace xkm
