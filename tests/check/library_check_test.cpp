#include "core/check/library_check.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/check/finding_list.h"
#include "core/library/crc32.h"
#include "support/scratch_folder.h"

namespace xkm {
namespace {

// A small clean library, one element per line where the findings point.
const std::string kLibrary = R"(<?xml version="1.0" encoding="UTF-8"?>
<XKMTOOL>
<ECU_CONFIGURATION>
<ENTRY ECU="E1" NUM="1"/>
<ENTRY ECU="E2" NUM="2"/>
</ECU_CONFIGURATION>
<FREQ_CONFIGURATION><ENTRY CONFIG_NUM="1" LABEL="SY_FREQ" DIVISOR="1000000"/></FREQ_CONFIGURATION>
<BAUD_CONFIGURATION>
<CONFIG_NUM VALUE="1"><ENTRY FREQUENCY="40" TESTER="115200" ECU="115200"/></CONFIG_NUM>
<CONFIG_NUM VALUE="2"><ENTRY TESTER="500000" ECU="1000000"/></CONFIG_NUM>
</BAUD_CONFIGURATION>
<ADRESSLAYOUT_CONFIGURATION>
<ENTRY CONFIG.CPU_TYPE="2" ADRESSLABEL.CODE.4="80000" LAYOUT="L1"/>
<ENTRY LAYOUT="L1"/>
</ADRESSLAYOUT_CONFIGURATION>
<ADRESSLAYOUT VALUE="L1">
<DATABLOCK_COUNT>1</DATABLOCK_COUNT>
<MIM_CONVERSION>1</MIM_CONVERSION>
<RAW><NAME>raw.tpl</NAME><DATA><![CDATA[[XKM]
Value=<?variable name="V"?>
Data=<?fileinsert name="F" CS_Len=2?>
]]></DATA></RAW>
<MCS><NAME>mcs.txt</NAME><DATA><![CDATA[<variable name="V" value="<$DATA.ECU>">
<fileinsert name="F" value="<$CONFIG.HEXFILE>_blk_1_mim">
]]></DATA></MCS>
<QSR><NAME>cs.qsr</NAME><DATA>CHECKSUM=CS;SUM16;0;1</DATA></QSR>
<QSR_HEXINFO><NAME>info.qsr</NAME><DATA>RANGE 0 1</DATA></QSR_HEXINFO>
<BRAKEL><NAME>brakel.ctl</NAME><DATA>IMAGE=&lt;$CONFIG.HEXFILE&gt;</DATA></BRAKEL>
</ADRESSLAYOUT>
</XKMTOOL>
)";

// Checked under the name it must carry, so that only the content gives findings.
std::vector<Finding> CheckContent(const std::string& library) {
  return CheckLibraryBytes("LIB_XKM_" + CrcHexOfLibraryBytes(library) + ".lbr", library);
}

std::string Describe(const std::vector<Finding>& findings) {
  std::string text;
  for (const Finding& finding : findings) text += FormatFinding("lib", finding) + "\n";
  return text;
}

// Replaces the first occurrence of each; throws where one is missing.
using Edits = std::vector<std::pair<std::string, std::string>>;

std::string Edited(std::string library, const Edits& edits) {
  for (const auto& [from, to] : edits) library.replace(library.find(from), from.size(), to);
  return library;
}

TEST(LibraryCheck, TheDemoLibraryAndTheSmallOneAreCleanAndAnUnreadableFileRaises) {
  for (const auto& file :
       std::filesystem::directory_iterator(std::string(XKM_SOURCE_DIR) + "/examples/demo/config"))
    EXPECT_EQ(
        file.path().extension() == ".lbr" ? Describe(CheckLibraryFile(file.path().string())) : "",
        "");
  EXPECT_EQ(Describe(CheckContent(kLibrary)), "");
  test::ScratchFolder folder;
  EXPECT_ANY_THROW(CheckLibraryFile(folder.file("missing.lbr")));
}

// Each row breaks one rule: exactly its finding where it is, with either line end.
TEST(LibraryCheck, EachBrokenRuleGivesExactlyItsFindingWhereItIs) {
  const Severity E = Severity::Error;
  const Severity W = Severity::Warning;
  const struct {
    Edits edits;
    struct {
      int line;
      int column;
    } where;
    Severity severity;
    std::string text;  // a part of the finding's text
  } cases[] = {
      // One broken rule per line.
      // clang-format off
      {{{"</ECU_CONFIGURATION>", "</ECU_CONFIG>"}}, {6, 14}, E, "does not parse"},
      {{{"<ENTRY ECU=\"E2\" NUM=\"2\"/>", "<ENTRY ECU=\"E2\"/>"}}, {5, 1}, E, "has no configuration number"},
      {{{"ECU=\"E2\"", "ECU=\"E1\""}}, {5, 1}, W, "the entry on line 4 wins and this one is shadowed"},
      {{{"<ENTRY CONFIG_NUM=\"1\" LABEL=\"SY_FREQ\" DIVISOR=\"1000000\"/>", ""}}, {4, 17}, E, "configuration 1 of ECU \"E1\" has no frequency configuration"},
      {{{"<ENTRY TESTER=\"500000\" ECU=\"1000000\"/>", ""}}, {5, 17}, E, "configuration 2 of ECU \"E2\" has no baud-rate configuration"},
      {{{"CONFIG.CPU_TYPE", "SYSCONST.CPU_TYPE"}}, {13, 8}, E, "unknown kind \"SYSCONST\""},
      {{{"CODE.4", "CODE.x"}}, {13, 28}, E, "the column \"x\" is not a whole number"},
      {{{"CODE.4", "CODE.6"}}, {13, 28}, E, "the column 6 does not exist"},
      {{{"80000\" LAYOUT=\"L1\"", "80000\" LAYOUT=\"L2\""}}, {13, 55}, E, "names the layout \"L2\", which the library does not hold"},
      {{{"<ENTRY CONFIG.CPU_TYPE=\"2\" ADRESSLABEL.CODE.4=\"80000\" LAYOUT", "<ENTRY LAYOUT"}}, {14, 1}, W, "never reached: the rule on line 13 has no conditions"},
      {{{">1</DATABLOCK_COUNT>", ">one</DATABLOCK_COUNT>"}}, {17, 1}, E, "is not a number"},
      {{{">1</MIM_CONVERSION>", ">yes</MIM_CONVERSION>"}}, {18, 1}, E, "is not a number"},
      {{{">1</MIM_CONVERSION>", ">01</MIM_CONVERSION>"}}, {18, 1}, W, "counts as no"},
      {{{"<QSR_HEXINFO><NAME>info.qsr</NAME><DATA>RANGE 0 1</DATA></QSR_HEXINFO>", ""}}, {16, 1}, E, "has no QSR_HEXINFO template"},
      {{{"<NAME>mcs.txt</NAME>", "<NAME> </NAME>"}}, {23, 6}, E, "blank NAME: a run fails with 60024"},
      {{{"<DATA><![CDATA[[XKM]", "<DATA>[XKM]</DATA></RAW><RAW_OLD><DATA><![CDATA["}, {"]]></DATA></RAW>", "]]></DATA></RAW_OLD>"}}, {19, 26}, E, "holds no CDATA section"},
      {{{"&lt;$CONFIG.HEXFILE&gt;", "&lt;$CONFIG.HEXFILE&gt; &lt;$FOO.X&gt;"}}, {28, 68}, E, "unknown kind \"FOO\""},
      {{{"&lt;$CONFIG.HEXFILE&gt;", "&lt;$CONFIG.HEXFILE"}}, {28, 44}, E, "never closed"},
      {{{"<$DATA.ECU>", "<$Data.ECU>"}}, {23, 67}, E, "never replaced, and the container step fails"},
      {{{"<$DATA.ECU>", "<$ECU>"}}, {23, 67}, E, "has no kind"},
      {{{"<$DATA.ECU>", "<$A.B.C.D>"}}, {23, 67}, E, "more than two dots"},
      {{{"name=\"V\"?>", "nom=\"V\"?>"}}, {20, 7}, E, "is no directive"},
      {{{"name=\"V\"?>", "name=\"W\"?>"}}, {20, 7}, E, "names \"W\", which no variable definition"},
      {{{"<fileinsert", "<variable name=\"V\" value=\"x\">\n<fileinsert"}}, {20, 7}, E, "defines 2 times"},
      {{{"Value=<?", "Value=<?variable name=\"V\"?> <?"}}, {20, 7}, W, "taken as one"},
      {{{"\"<$CONFIG.HEXFILE>_blk_1_mim\"", "\"../secret\""}}, {24, 1}, E, "reads \"../secret\", which leads out of the working folder"},
      {{{"\"<$CONFIG.HEXFILE>_blk_1_mim\"", "\"/secret\""}}, {24, 1}, E, "reads \"/secret\", which leads out of the working folder"},
      {{{"\"<$CONFIG.HEXFILE>_blk_1_mim\"", "\"<$CONFIG.HEXFILE>_x/../../secret\""}}, {24, 1}, E, "which leads out of the working folder"},
      {{{"<NAME>cs.qsr</NAME>", "<NAME>../cs.qsr</NAME>"}}, {26, 6}, E, "leads out of the working"},
      {{{"<NAME>info.qsr</NAME>", "<NAME>../info.qsr</NAME>"}}, {27, 14}, E, "leads out of the working"},
      {{{"<NAME>brakel.ctl</NAME>", "<NAME>order.XML</NAME>"}}, {28, 9}, W, "the extension of an input file"},
      {{{"ECU=\"E2\"", "ECU=\"e2\""}}, {5, 8}, W, "never finds this entry"},
      {{{"DIVISOR=\"1000000\"", "DIVISOR=\"0\""}}, {7, 59}, E, "the divisor is 0"},
      {{{"CONFIG.CPU_TYPE", "CPU_TYPE"}}, {13, 8}, E, "has no \".\" between kind and name"},
      {{{"CONFIG.CPU_TYPE", "CONFIG.CPU_TYPE.2"}}, {13, 8}, W, "only ADRESSLABEL conditions read a column"},
      {{{"<ENTRY LAYOUT=\"L1\"/>", "<ENTRY LAYOUT=\" \"/>"}}, {14, 8}, E, "names no layout"},
      {{{">1</DATABLOCK_COUNT>", ">0</DATABLOCK_COUNT>"}}, {17, 1}, E, "must be at least 1"},
      {{{"</ADRESSLAYOUT>", "</ADRESSLAYOUT>\n<ADRESSLAYOUT VALUE=\"L1\"/>"}}, {30, 1}, W, "the one on line 16 wins"},
      {{{"<NAME>brakel.ctl</NAME>", "<NAME></NAME>"}}, {28, 9}, E, "blank NAME: a run cannot write the file"},
      {{{"<NAME>brakel.ctl</NAME>", "<NAME>cs.qsr</NAME>"}}, {28, 9}, E, "the control file replaces the QSR"},
      {{{"IMAGE=&lt;$CONFIG.HEXFILE&gt;", "IMAGE=&lt;$config.hexfile&gt;"}}, {28, 44}, W, "never replaced"},
      {{{"<$DATA.ECU>", "<$ >"}}, {23, 67}, E, "is empty"},
      {{{"Data=<?", "Data=<? \nx?>"}}, {21, 6}, W, "without \"?>\" on the same line"},
      {{{"<ENTRY CONFIG.CPU_TYPE=\"2\" ", "<ENTRY\n  CONFIG.CPU_TYPE=\"2\"\n  "}, {"CODE.4", "CODE.x"}}, {15, 3}, E, "is not a whole number"},
      {{{"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<XKMTOOL>", "\xEF\xBB\xBF<LIB>"}, {"</XKMTOOL>", "</LIB>"}}, {1, 1}, E, "not \"XKMTOOL\""},
      {{{"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<XKMTOOL>", "<?xml version=\"1.0\"?><LIB>"}, {"</XKMTOOL>", "</LIB>"}}, {1, 22}, E, "not \"XKMTOOL\""},
      {{{"NUM=\"1\"/>\n<ENTRY ECU=\"E2\" NUM=\"2\"/>", "NUM=\"1\"/><ENTRY ECU=\"E2\"/>"}}, {4, 26}, E, "has no configuration number"},
      {{{"</ADRESSLAYOUT>\n</XKMTOOL>\n", "</ADRESSLAYOUT>\n<X/><ADRESSLAYOUT/></XKMTOOL>"}}, {30, 5}, W, "has no VALUE attribute"},
      {{{"<DATA>CHECKSUM=CS;SUM16;0;1</DATA>", ""}}, {26, 1}, E, "the QSR template of layout \"L1\" has no DATA element"},
      {{{"80000\" LAYOUT=\"L1\"/>\n<ENTRY LAYOUT=\"L1\"/>", "80000\" LAYOUT=\" L1 \"/>"}, {"VALUE=\"L1\"", "VALUE=\" L1 \""}}, {13, 55}, E, "reads the BRAKEL template under \"L1\", which the library does not hold"},
      // clang-format on
  };
  for (const auto& [edits, where, severity, text] : cases) {
    SCOPED_TRACE(text);
    const std::string lf = Edited(kLibrary, edits);
    std::string crlf;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const std::string& library : {lf, crlf}) {
      const std::vector<Finding> f = CheckContent(library);
      ASSERT_EQ(f.size(), 1u) << Describe(f);
      EXPECT_EQ(std::tuple(f[0].line, f[0].column, f[0].severity,
                           f[0].text.find(text) != std::string::npos),
                std::tuple(where.line, where.column, severity, true))
          << Describe(f);
    }
  }
}

TEST(LibraryCheck, ANameWithoutTheChecksumIsAFindingAndTheContentIsStillChecked) {
  const std::string library = Edited(kLibrary, {{"ECU=\"E2\"", "ECU=\"E1\""}});
  const std::vector<Finding> findings = CheckLibraryBytes("LIB_XKM_0.LBR", library);
  ASSERT_EQ(findings.size(), 3u) << Describe(findings);
  EXPECT_NE(findings[0].text.find("does not end in \".lbr\""), std::string::npos);
  EXPECT_NE(findings[1].text.find("LIB_XKM_" + CrcHexOfLibraryBytes(library) + ".lbr"),
            std::string::npos);
  EXPECT_EQ(FormatFinding("x.lbr", findings[2]).rfind("x.lbr:5:1: warning: ECU \"E1\"", 0), 0u);
  EXPECT_EQ(std::vector({CheckExitCode(findings), CheckExitCode({findings[2]}), CheckExitCode({})}),
            std::vector({1, 3, 0}));
}

// A value in a finding's text is cut after 60 bytes, never inside a character.
TEST(LibraryCheck, LongValuesAreQuotedShortened) {
  std::string umlauts = "a";
  for (int i = 0; i < 35; ++i) umlauts += "ä";
  const std::pair<std::string, std::string> rows[] = {
      {"line\nbreak", "\"line break\""},
      {std::string(70, 'x'), "\"" + std::string(60, 'x') + "...\""},
      {umlauts, "\"" + umlauts.substr(0, 59) + "...\""}};
  for (const auto& [value, quoted] : rows) EXPECT_EQ(Quote(value), quoted);
}

}  // namespace
}  // namespace xkm
