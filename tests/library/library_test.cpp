#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/library/crc32.h"
#include "core/library/hardware_selection.h"
#include "core/library/layout_templates.h"
#include "core/library/library_loader.h"
#include "core/library/library_model.h"
#include "core/platform/error.h"
#include "core/resources/message_ids.h"
#include "core/session/data_context.h"
#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace xkm {
namespace {

// A run's data over a scratch executable folder.
struct LibraryFixture {
  test::ScratchFolder folder;
  AppState app;
  Session session;
  DataContext ctx{app, session};

  LibraryFixture() { app.ExecutableFolder = folder.path(); }

  // Loads library XML text straight into the session, no file involved.
  void useLibrary(const std::string& xml) {
    XmlDocument document;
    if (!document.loadFromMemory(xml)) throw std::runtime_error("bad test XML");
    session.Library = std::make_shared<const LibraryModel>(std::move(document));
  }
};

// What `call` gives, as text: its value, or "error N" where it fails.
template <typename Call>
std::string Outcome(Call call) {
  try {
    std::ostringstream out;
    out << call();
    return out.str();
  } catch (const Error& e) {
    return "error " + std::to_string(e.number());
  }
}

using test::ErrorOf;

std::string Failure(int number) {
  return "error " + std::to_string(number);
}

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

struct TemplatesTest : ::testing::Test, LibraryFixture {
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
          "<ADRESSLAYOUT VALUE='NO_RAW'>" +
          Template("QSR", "q", "") + "</ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='NO_NAME'><RAW><DATA/></RAW></ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='NO_DATA'><RAW><NAME>r</NAME></RAW></ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='COUNTS'><DATABLOCK_COUNT>two</DATABLOCK_COUNT></ADRESSLAYOUT>" +
          "<ADRESSLAYOUT VALUE='ZERO'><DATABLOCK_COUNT>0</DATABLOCK_COUNT></ADRESSLAYOUT>");
  const auto raw = [&](const char* layout) {
    return Outcome([&] { return GetLayoutTemplates(ctx, layout).rawContent; });
  };
  const auto count = [&](const char* layout) {
    return Outcome([&] { return GetDatablockCount(ctx, layout); });
  };
  const auto mim = [&](const char* layout) {
    return Outcome([&] { return GetMimConversion(ctx, layout); });
  };
  const auto brakel = [&](const char* layout) {
    return Outcome([&] { return GetBrakelTemplate(ctx, layout).name; });
  };
  const std::tuple<const char*, std::string, std::string> rows[] = {
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
  };
  for (const auto& [name, actual, expected] : rows) EXPECT_EQ(actual, expected) << name;
}

std::string Library(const std::string& body) {
  return "<XKMTOOL>" + body + "</XKMTOOL>";
}

const std::string kEcus =
    "<ECU_CONFIGURATION>"
    "<ENTRY ECU='ECU_ONE' NUM='1'/><ENTRY ECU='ECU_TWO' NUM='2'/><ENTRY ECU='ZERO' NUM='0'/>"
    "<ENTRY ECU=\"O'BRIEN\" NUM='7'/><ENTRY ECU='lower' NUM='3'/><ENTRY ECU='BAD' NUM='x'/>"
    "<ENTRY ECU='SHORT'/><ENTRY ECU='MOTÖR_Ä' NUM='4'/><ENTRY ECU='ŠKODA_ŒŸ' NUM='5'/>"
    "<ENTRY ECU='motör' NUM='6'/></ECU_CONFIGURATION>";

const std::string kBauds =
    "<BAUD_CONFIGURATION><CONFIG_NUM VALUE='1'><ENTRY FREQUENCY='40' T='115200' E='57600'/>"
    "<ENTRY FREQUENCY='3.33333333333333' T='9600' E=''/><ENTRY FREQUENCY='20' T=' '/>"
    "<ENTRY FREQUENCY='8'/></CONFIG_NUM><CONFIG_NUM VALUE='2'><ENTRY T='38400' E='19200'/>"
    "<ENTRY T='1' E='2'/></CONFIG_NUM></BAUD_CONFIGURATION>";

std::string Frequency(const std::string& entry) {
  return "<FREQ_CONFIGURATION><ENTRY CONFIG_NUM='1' " + entry + "/></FREQ_CONFIGURATION>";
}

struct SelectionTest : ::testing::Test, LibraryFixture {
  SelectionTest() { InitSessionTables(session); }

  void addConstant(const std::string& name, const std::string& value) {
    const size_t row = session.SysConstTable.appendRow();
    session.SysConstTable.setField(row, 0, name);
    session.SysConstTable.setField(row, 1, value);
  }
};

// The name is trimmed and upper-cased over all of Windows-1252, and bound as
// a value: an apostrophe is part of it, never of the expression.
TEST_F(SelectionTest, EcuNamesFindTheirConfigurationNumber) {
  useLibrary(Library(kEcus));
  const std::pair<const char*, std::string> rows[] = {
      {"  ecu_two ", "2"},
      {"o'brien", "7"},
      {" motör_ä ", "4"},
      {"škoda_œÿ", "5"},
      {"ecu_one' or '1'='1", Failure(60001)},
      {"lower", Failure(60001)},
      {"ZERO", Failure(60001)},
      {"BAD", Failure(msg::kLibraryNotANumber)},
      {"SHORT", Failure(msg::kLibraryMissingAttribute)},
  };
  for (const auto& [name, expected] : rows)
    EXPECT_EQ(Outcome([&] { return GetEcuConfigNum(ctx, name); }), expected) << name;
  app.LanguageOffset = 1000;
  EXPECT_EQ(test::ErrorOf([&] { GetEcuConfigNum(ctx, "NONE"); }).description(),
            "No information about ECU was found in library");
}

std::string Rates(const BaudConfig& baud) {
  return baud.tester + "/" + baud.ecu;
}

TEST_F(SelectionTest, BaudRatesByFrequencyOrTheFailure) {
  // The FREQ_CONFIGURATION entry (empty: none), the values of SY_FREQ (and sy_freq), the outcome.
  const std::tuple<std::string, std::vector<const char*>, std::string> rows[] = {
      {"L='SY_FREQ' D='1000000'", {" 40 000 000 "}, "115200/57600"},  // blanks passed over
      {"L='SY_FREQ' D='3'", {"10"}, "9600/"},         // "3.33333333333333"; blank ECU rate
      {"L='SY_FREQ' D='3'", {"20"}, Failure(60009)},  // blank tester rate
      {"L='SY_FREQ' D='3'", {"7"}, Failure(60009)},   // no entry
      {"L='SY_FREQ' D='3'", {"24"}, Failure(msg::kLibraryMissingAttribute)},
      {"L='SY_FREQ' D='1000000'", {}, Failure(60008)},
      {"L='SY_FREQ' D='1000000'", {"40000000", "40000000"}, Failure(60008)},  // two of them
      {"", {"40000000"}, Failure(60007)},
      {"L=' ' D='1'", {"40000000"}, Failure(60007)},
      {"L='SY_FREQ' D='1e6x'", {"40000000"}, Failure(msg::kLibraryNotANumber)},
      {"L='SY_FREQ' D='0'", {"40000000"}, Failure(msg::kLibraryDivisorZero)},
      {"L='SY_FREQ'", {"40000000"}, Failure(msg::kLibraryMissingAttribute)},
  };
  for (const auto& [frequency, constants, expected] : rows) {
    useLibrary(Library((frequency.empty() ? "" : Frequency(frequency)) + kBauds));
    InitSessionTables(session);
    addConstant("OTHER", "1");
    for (size_t i = 0; i < constants.size(); ++i)
      addConstant(i == 0 ? "SY_FREQ" : "sy_freq", constants[i]);
    EXPECT_EQ(Outcome([&] { return Rates(GetBaudConfigByFrequency(ctx)); }), expected) << frequency;
  }
}

struct LayoutRuleTest : SelectionTest {
  LayoutRuleTest() {
    WriteValue(session.ConfigTable, "CPU_TYPE", "2");
    WriteValue(session.DataTable, "ECU", "MOTÖR_Ä");
    WriteValue(session.SysConstTable, "SY_X", "abc");
    WriteValue(session.SysConstTable, "SY_Y", "größe");
    const size_t row = session.MemorySegmentTable.appendRow();
    const char* fields[] = {"S", "DATA", "FLASH", "INTERN", "80000", "10000"};
    for (size_t i = 0; i < 6; ++i) session.MemorySegmentTable.setField(row, i, fields[i]);
  }
  std::string layoutFor(const std::string& rules) {
    useLibrary(Library("<ADRESSLAYOUT_CONFIGURATION>" + rules + "</ADRESSLAYOUT_CONFIGURATION>"));
    return GetAddressLayout(ctx);
  }
};

// Kinds and names compare without case (beyond ASCII too), values trimmed and
// without case; the first rule whose conditions all hold decides.
TEST_F(LayoutRuleTest, ConditionKindsColumnsAndComparison) {
  const std::pair<const char*, std::string> rows[] = {
      {"<ENTRY config.CPU_TYPE='1' L='A'/>"
       "<ENTRY Config.Cpu_Type=' 2' sykonst.SY_X='ABC ' data.ECU='motör_ä ' L='B'/>",
       "B"},
      {"<ENTRY DATA.ECU='MOTOR_Ä' L='A'/><ENTRY SYKONST.SY_Y='GRÖßE' L='B'/>", "B"},
      {"<ENTRY OTHER.CPU_TYPE='2' L='A'/><ENTRY ADRESSLABEL.S.3='intern ' L='B'/>", "B"},
      // Without a column, and with four parts, the label reads F1.
      {"<ENTRY ADRESSLABEL.S='data' L='A'/>", "A"},
      {"<ENTRY ADRESSLABEL.S.3.X='DATA' L='A'/>", "A"},
      {"<ENTRY adresslabel.S.4='80000' adresslabel.S.5='10000' L='A'/>", "A"},
      // CONFIG ignores a column; a variable nobody holds reads as empty.
      {"<ENTRY CONFIG.CPU_TYPE.4='2' CONFIG.NOBODY=' ' L='A'/>", "A"},
      {"<ENTRY L='CATCH_ALL'/><ENTRY CONFIG.CPU_TYPE='2' L='B'/>", "CATCH_ALL"},
      {"<ENTRY CONFIG.CPU_TYPE='2' L=' '/><ENTRY L='LATER'/>", Failure(60006)},
      {"", Failure(60006)},
      {"<ENTRY CPU_TYPE='2' L='A'/>", Failure(msg::kLibraryConditionWithoutKind)},
      {"<ENTRY ADRESSLABEL.S.x='DATA' L='A'/>", Failure(msg::kLibraryConditionColumn)},
      {"<ENTRY/>", Failure(msg::kLibraryMissingAttribute)}};
  for (const auto& [rules, layout] : rows)
    EXPECT_EQ(Outcome([&] { return layoutFor(rules); }), layout) << rules;
}

// A failed and a matched rule are pinned by the whole-process report.
TEST_F(LayoutRuleTest, TraceNamesAnUnknownKindAndStartsAfreshEachSearch) {
  layoutFor("<ENTRY FOO.X='1' L='B'/><ENTRY L='D'/>");
  ASSERT_EQ(session.layoutTrace.size(), 2u);
  EXPECT_EQ(session.layoutTrace[0].condition, "FOO.X");
  EXPECT_NE(session.layoutTrace[0].actual.find("FOO"), std::string::npos);
  layoutFor("<ENTRY L='D'/>");
  EXPECT_EQ(session.layoutTrace.size(), 1u);
}

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

const std::string kLibrary = "<XKMTOOL><ECU_CONFIGURATION/></XKMTOOL>\r\n";

struct LoaderTest : ::testing::Test, LibraryFixture {
  // Writes `content` under the name its CRC demands, with the given ending.
  std::string writeSealed(const std::string& content, const std::string& ending = ".lbr") {
    const std::string name = "LIB_XKM_" + CrcHexOfLibraryBytes(content) + ending;
    folder.write(name, content);
    return name;
  }
  bool loaded() const { return LibraryModel::Of(session).root().localName() == "XKMTOOL"; }
  // Loads and returns the failures as their boxes would show them.
  std::vector<std::string> load() {
    const LibraryLoad result = LoadLibraryFile(ctx);
    EXPECT_EQ(result.loaded, loaded());
    std::vector<std::string> texts;
    for (const Error& failure : result.failures) texts.push_back(failure.numberAndDescription());
    return texts;
  }
};

// A missing folder ends quietly.
TEST_F(LoaderTest, NoneOrSeveralLibrariesReport60013AndLeaveTheDocumentEmpty) {
  app.ExecutableFolder = folder.file("gone");  // a folder that cannot be listed says why
  EXPECT_THAT(load(), ElementsAre("60013 Kein oder mehr als ein Library-File gefunden\n"
                                  "File not found: " +
                                  folder.file("gone")));
  app.ExecutableFolder = folder.path();
  useLibrary("<XKMTOOL/>");
  EXPECT_THAT(load(), ElementsAre("60013 Kein oder mehr als ein Library-File gefunden"));
  EXPECT_FALSE(loaded());

  // Upper-case ".LBR" is not found by the case-sensitive search.
  const std::string upper = writeSealed(kLibrary, ".LBR");
  EXPECT_THAT(load(), ElementsAre(StartsWith("60013 ")));

  // Where names ignore case, the next write would only replace it.
  std::filesystem::remove(folder.file(upper));
  writeSealed(kLibrary);
  writeSealed("<XKMTOOL/>");
  EXPECT_THAT(load(), ElementsAre(StartsWith("60013 ")));
  EXPECT_FALSE(loaded());
}

// Listed in name order wherever they are shown, whatever order the folder keeps.
TEST_F(LoaderTest, LibrariesAreListedInNameOrder) {
  for (const char* name : {"e.lbr", "d.lbr", "notes.txt", "c.lbr", "b.lbr", "a.lbr"})
    folder.write(name, "");
  EXPECT_THAT(LibraryFilesIn(folder.path()),
              ElementsAre("a.lbr", "b.lbr", "c.lbr", "d.lbr", "e.lbr"));
}

// The one library replaces the document held before; other files are passed over.
TEST_F(LoaderTest, NameCheckIgnoresCaseButReportsAChangedFileAndLoadsItAnyway) {
  useLibrary("<OLD/>");
  const std::string name = writeSealed(kLibrary);
  std::string lower = name;
  for (size_t i = 8; i < lower.size(); ++i) lower[i] = static_cast<char>(std::tolower(lower[i]));
  std::filesystem::rename(folder.file(name), folder.file(lower));
  folder.write("notes.txt", "not a library");
  EXPECT_THAT(load(), IsEmpty());
  EXPECT_TRUE(loaded());
  EXPECT_EQ(session.LibraryFilePath, folder.file(lower));

  // One byte more: the name no longer matches the content.
  folder.write(lower, kLibrary + " ");
  EXPECT_THAT(load(), ElementsAre("60014 Library-File ist korrupt oder wurde geändert"));
  EXPECT_TRUE(loaded());
}

TEST_F(LoaderTest, SealingNamesTheFileByItsCrcAndNeverOverwrites) {
  const std::string draft = folder.write("draft.xml", "lib7");
  EXPECT_EQ(LibraryFileName(draft), "LIB_XKM_76EBB3.lbr");
  EXPECT_EQ(SealLibraryFile(draft), folder.file("LIB_XKM_76EBB3.lbr"));
  EXPECT_FALSE(std::filesystem::exists(draft));
  // Sealing a sealed file changes nothing.
  EXPECT_EQ(SealLibraryFile(folder.file("LIB_XKM_76EBB3.lbr")), folder.file("LIB_XKM_76EBB3.lbr"));

  const std::string twin = folder.write("twin.xml", "lib7");
  folder.write("LIB_XKM_76EBB3.lbr", "another file");
  EXPECT_THAT(test::ErrorOf([&] { SealLibraryFile(twin); }).numberAndDescription(),
              MatchesRegex("58 .*LIB_XKM_76EBB3\\.lbr.*"));
  EXPECT_EQ(test::ReadFileBytes(folder.file("LIB_XKM_76EBB3.lbr")), "another file");
  EXPECT_TRUE(std::filesystem::exists(twin));

  EXPECT_THROW(LibraryFileName(folder.file("missing")), Error);
}

TEST(Crc32, CalculateFileAppendsTheSaltAsWindows1252) {
  test::ScratchFolder folder;
  const std::string digits = folder.write("digits", "123456789");
  clsCRC32 crc;
  crc.AddBytes("something before");  // a file's CRC starts afresh
  EXPECT_EQ(static_cast<uint32_t>(crc.CalculateFile(digits)), 0xCBF43926u);
  EXPECT_EQ(static_cast<uint32_t>(crc.CalculateFile(digits, "   ")), 0xCBF43926u);
  // "§" goes in as the single byte 0xA7: 41 bytes in all.
  EXPECT_EQ(static_cast<uint32_t>(crc.CalculateFile(digits, kLibrarySalt)), 0xF0FD4628u);
  EXPECT_EQ(FileCrcHex(digits), "F0FD4628");

  EXPECT_EQ(crc.CalculateFile(folder.file("missing"), kLibrarySalt), 0);
  EXPECT_EQ(crc.CalculateFile(folder.write("empty", ""), kLibrarySalt), 0);
  EXPECT_EQ(crc.CalculateFile(digits, "\xE2\x82\xAC\xE2\x9C\x93"), 0);  // "✓" has no byte
  EXPECT_EQ(test::ErrorOf([&] { FileCrcHex(folder.file("missing")); }).number(), 53);
}

}  // namespace
}  // namespace xkm
