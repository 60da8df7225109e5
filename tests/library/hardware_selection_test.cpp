#include "core/library/hardware_selection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "core/platform/error.h"
#include "core/resources/message_ids.h"
#include "library_fixture.h"
#include "support/error_number.h"

namespace xkm {
namespace {

using ::testing::HasSubstr;

using test::ErrorNumberOf;

std::string Library(const std::string& body) {
  return "<XKMTOOL>" + body + "</XKMTOOL>";
}

const std::string kEcus =
    "<ECU_CONFIGURATION>"
    "<ENTRY ECU='ECU_ONE' NUM='1'/><ENTRY ECU='ECU_TWO' NUM='2'/><ENTRY ECU='ZERO' NUM='0'/>"
    "<ENTRY ECU=\"O'BRIEN\" NUM='7'/><ENTRY ECU='lower' NUM='3'/><ENTRY ECU='BAD' NUM='x'/>"
    "<ENTRY ECU='SHORT'/>"
    "</ECU_CONFIGURATION>";

const std::string kBauds =
    "<BAUD_CONFIGURATION>"
    "<CONFIG_NUM VALUE='1'>"
    "<ENTRY FREQUENCY='40' T='115200' E='57600'/>"
    "<ENTRY FREQUENCY='3.33333333333333' T='9600' E=''/>"
    "<ENTRY FREQUENCY='20' T=' '/>"
    "<ENTRY FREQUENCY='8'/>"
    "</CONFIG_NUM>"
    "<CONFIG_NUM VALUE='2'><ENTRY T='38400' E='19200'/><ENTRY T='1' E='2'/></CONFIG_NUM>"
    "</BAUD_CONFIGURATION>";

std::string Frequency(const std::string& label, const std::string& divisor) {
  return "<FREQ_CONFIGURATION><ENTRY CONFIG_NUM='1' L='" + label + "' D='" + divisor +
         "'/></FREQ_CONFIGURATION>";
}

struct SelectionTest : ::testing::Test, test::LibraryFixture {
  SelectionTest() { InitSessionTables(session); }

  void addConstant(const std::string& name, const std::string& value) {
    const size_t row = session.SysConstTable.appendRow();
    session.SysConstTable.setField(row, 0, name);
    session.SysConstTable.setField(row, 1, value);
  }
};

TEST_F(SelectionTest, EcuNameIsTrimmedUpperCasedAndBoundLiterally) {
  useLibrary(Library(kEcus));
  EXPECT_EQ(GetEcuConfigNum(ctx, "  ecu_two "), 2);
  // An apostrophe is part of the name, not of the expression.
  EXPECT_EQ(GetEcuConfigNum(ctx, "o'brien"), 7);
  EXPECT_EQ(ErrorNumberOf([&] { GetEcuConfigNum(ctx, "ecu_one' or '1'='1"); }), 60001);
  EXPECT_EQ(ErrorNumberOf([&] { GetEcuConfigNum(ctx, "lower"); }), 60001);
  EXPECT_EQ(ErrorNumberOf([&] { GetEcuConfigNum(ctx, "ZERO"); }), 60001);
  EXPECT_EQ(ErrorNumberOf([&] { GetEcuConfigNum(ctx, ""); }), 60001);
  EXPECT_EQ(ErrorNumberOf([&] { GetEcuConfigNum(ctx, "BAD"); }), msg::kLibraryNotANumber);
  EXPECT_EQ(ErrorNumberOf([&] { GetEcuConfigNum(ctx, "SHORT"); }), msg::kLibraryMissingAttribute);

  app.LanguageOffset = 1000;
  try {
    GetEcuConfigNum(ctx, "NONE");
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 60001);
    EXPECT_EQ(e.description(), "No information about ECU was found in library");
  }
}

// Upper case covers every letter of Windows-1252, not only ASCII.
TEST_F(SelectionTest, EcuNamesWithLettersBeyondAscii) {
  useLibrary(
      Library("<ECU_CONFIGURATION><ENTRY ECU='MOTÖR_Ä' NUM='4'/><ENTRY ECU='ŠKODA_ŒŸ' NUM='5'/>"
              "<ENTRY ECU='motör' NUM='6'/></ECU_CONFIGURATION>"));
  EXPECT_EQ(GetEcuConfigNum(ctx, " motör_ä "), 4);
  EXPECT_EQ(GetEcuConfigNum(ctx, "škoda_œÿ"), 5);
  EXPECT_EQ(ErrorNumberOf([&] { GetEcuConfigNum(ctx, "motör"); }), 60001);
}

TEST_F(SelectionTest, BaudRatesByFrequency) {
  useLibrary(Library(Frequency("SY_FREQ", "1000000") + kBauds));
  addConstant("OTHER", "1");
  addConstant("SY_FREQ", " 40 000 000 ");  // blanks inside are passed over
  BaudConfig baud = GetBaudConfigByFrequency(ctx);
  EXPECT_EQ(baud.tester, "115200");
  EXPECT_EQ(baud.ecu, "57600");

  useLibrary(Library(Frequency("SY_FREQ", "3") + kBauds));
  session.SysConstTable.setField(1, 1, "10");
  baud = GetBaudConfigByFrequency(ctx);
  EXPECT_EQ(baud.tester, "9600");  // frequency "3.33333333333333"
  EXPECT_EQ(baud.ecu, "");         // a blank ECU rate is accepted

  session.SysConstTable.setField(1, 1, "20");
  EXPECT_EQ(ErrorNumberOf([&] { GetBaudConfigByFrequency(ctx); }), 60009);  // blank tester
  session.SysConstTable.setField(1, 1, "7");
  EXPECT_EQ(ErrorNumberOf([&] { GetBaudConfigByFrequency(ctx); }), 60009);  // no entry
  session.SysConstTable.setField(1, 1, "24");
  EXPECT_EQ(ErrorNumberOf([&] { GetBaudConfigByFrequency(ctx); }), msg::kLibraryMissingAttribute);
}

TEST_F(SelectionTest, FrequencyFailures) {
  useLibrary(Library(Frequency("SY_FREQ", "1000000") + kBauds));
  EXPECT_EQ(ErrorNumberOf([&] { GetBaudConfigByFrequency(ctx); }), 60008);  // no constant
  addConstant("SY_FREQ", "40000000");
  addConstant("sy_freq", "40000000");
  EXPECT_EQ(ErrorNumberOf([&] { GetBaudConfigByFrequency(ctx); }), 60008);  // two of them
  session.SysConstTable.clear();
  addConstant("SY_FREQ", "40000000");

  useLibrary(Library(kBauds));
  EXPECT_EQ(ErrorNumberOf([&] { GetBaudConfigByFrequency(ctx); }), 60007);
  useLibrary(Library(Frequency(" ", "1") + kBauds));
  EXPECT_EQ(ErrorNumberOf([&] { GetFrequencyConfig(ctx, 1); }), 60007);
  useLibrary(Library(Frequency("SY_FREQ", "1e6x") + kBauds));
  EXPECT_EQ(ErrorNumberOf([&] { GetFrequencyConfig(ctx, 1); }), msg::kLibraryNotANumber);
  useLibrary(Library(Frequency("SY_FREQ", "0") + kBauds));
  EXPECT_EQ(ErrorNumberOf([&] { GetBaudConfigByFrequency(ctx); }), msg::kLibraryDivisorZero);
  useLibrary(
      Library("<FREQ_CONFIGURATION><ENTRY CONFIG_NUM='1' L='SY_FREQ'/></FREQ_CONFIGURATION>"));
  EXPECT_EQ(ErrorNumberOf([&] { GetFrequencyConfig(ctx, 1); }), msg::kLibraryMissingAttribute);
}

TEST_F(SelectionTest, FixedBaudRatesTakeTheFirstEntry) {
  useLibrary(Library(kBauds));
  const BaudConfig baud = GetBaudConfigFixed(ctx);
  EXPECT_EQ(baud.tester, "38400");
  EXPECT_EQ(baud.ecu, "19200");

  useLibrary(Library("<BAUD_CONFIGURATION/>"));
  EXPECT_EQ(ErrorNumberOf([&] { GetBaudConfigFixed(ctx); }), 60009);
  useLibrary(
      Library("<BAUD_CONFIGURATION><CONFIG_NUM VALUE='2'><ENTRY T='' E='1'/></CONFIG_NUM>"
              "</BAUD_CONFIGURATION>"));
  EXPECT_EQ(ErrorNumberOf([&] { GetBaudConfigFixed(ctx); }), 60009);
  useLibrary(
      Library("<BAUD_CONFIGURATION><CONFIG_NUM VALUE='2'><ENTRY T='1'/></CONFIG_NUM>"
              "</BAUD_CONFIGURATION>"));
  EXPECT_EQ(ErrorNumberOf([&] { GetBaudConfigFixed(ctx); }), msg::kLibraryMissingAttribute);
}

struct LayoutRuleTest : SelectionTest {
  LayoutRuleTest() {
    WriteValue(session.ConfigTable, "CPU_TYPE", "2");
    WriteValue(session.DataTable, "ECU", "ECU_ONE");
    addConstant("SY_X", "abc");
    const size_t row = session.MemorySegmentTable.appendRow();
    const char* fields[] = {"S", "DATA", "FLASH", "INTERN", "80000", "10000"};
    for (size_t i = 0; i < 6; ++i) session.MemorySegmentTable.setField(row, i, fields[i]);
  }
  std::string layoutFor(const std::string& rules) {
    useLibrary(Library("<ADRESSLAYOUT_CONFIGURATION>" + rules + "</ADRESSLAYOUT_CONFIGURATION>"));
    return GetAddressLayout(ctx);
  }
};

TEST_F(LayoutRuleTest, ConditionKindsColumnsAndComparison) {
  EXPECT_EQ(layoutFor("<ENTRY config.CPU_TYPE='1' L='A'/>"
                      "<ENTRY Config.Cpu_Type=' 2' sykonst.SY_X='ABC ' data.ECU='ecu_one' L='B'/>"),
            "B");
  EXPECT_EQ(layoutFor("<ENTRY OTHER.CPU_TYPE='2' L='A'/><ENTRY ADRESSLABEL.S.3='intern ' L='B'/>"),
            "B");
  // Without a column, and with four parts, the label reads F1.
  EXPECT_EQ(layoutFor("<ENTRY ADRESSLABEL.S='data' L='A'/>"), "A");
  EXPECT_EQ(layoutFor("<ENTRY ADRESSLABEL.S.3.X='DATA' L='A'/>"), "A");
  EXPECT_EQ(layoutFor("<ENTRY adresslabel.S.4='80000' adresslabel.S.5='10000' L='A'/>"), "A");
  // CONFIG ignores a column; a variable nobody holds reads as empty.
  EXPECT_EQ(layoutFor("<ENTRY CONFIG.CPU_TYPE.4='2' CONFIG.NOBODY=' ' L='A'/>"), "A");
}

TEST_F(LayoutRuleTest, ConditionsDifferingInCaseBeyondAsciiMatch) {
  WriteValue(session.DataTable, "ECU", "MOTÖR_Ä");
  EXPECT_EQ(layoutFor("<ENTRY DATA.ECU='MOTOR_Ä' L='A'/><ENTRY DATA.ECU='motör_ä ' L='B'/>"), "B");
  addConstant("SY_Y", "größe");
  EXPECT_EQ(layoutFor("<ENTRY SYKONST.SY_Y='GRÖßE' L='A'/>"), "A");
}

TEST_F(LayoutRuleTest, FirstMatchingRuleDecides) {
  EXPECT_EQ(layoutFor("<ENTRY L='CATCH_ALL'/><ENTRY CONFIG.CPU_TYPE='2' L='B'/>"), "CATCH_ALL");
  EXPECT_EQ(
      ErrorNumberOf([&] { layoutFor("<ENTRY CONFIG.CPU_TYPE='2' L=' '/><ENTRY L='LATER'/>"); }),
      60006);
  EXPECT_EQ(ErrorNumberOf([&] { layoutFor("<ENTRY CONFIG.CPU_TYPE='1' L='A'/>"); }), 60006);
  EXPECT_EQ(ErrorNumberOf([&] { layoutFor(""); }), 60006);
}

TEST_F(LayoutRuleTest, MalformedRulesFailWithLibraryErrors) {
  EXPECT_EQ(ErrorNumberOf([&] { layoutFor("<ENTRY CPU_TYPE='2' L='A'/>"); }),
            msg::kLibraryConditionWithoutKind);
  EXPECT_EQ(ErrorNumberOf([&] { layoutFor("<ENTRY ADRESSLABEL.S.x='DATA' L='A'/>"); }),
            msg::kLibraryConditionColumn);
  EXPECT_EQ(ErrorNumberOf([&] { layoutFor("<ENTRY/>"); }), msg::kLibraryMissingAttribute);
}

TEST_F(LayoutRuleTest, TraceTellsWhyEachRuleFailedOrMatched) {
  layoutFor(
      "<ENTRY CONFIG.CPU_TYPE='2' DATA.ECU='ECU_TWO' L='A'/>"
      "<ENTRY FOO.X='1' L='B'/>"
      "<ENTRY ADRESSLABEL.S.2='flash' L='C'/>"
      "<ENTRY L='D'/>");
  const std::vector<LayoutTraceEntry>& trace = session.layoutTrace;
  ASSERT_EQ(trace.size(), 3u);
  EXPECT_EQ(trace[0].position, 1);
  EXPECT_FALSE(trace[0].matched);
  EXPECT_EQ(trace[0].condition, "DATA.ECU");
  EXPECT_EQ(trace[0].expected, "ECU_TWO");
  EXPECT_EQ(trace[0].actual, "ECU_ONE");
  EXPECT_EQ(trace[1].condition, "FOO.X");
  EXPECT_THAT(trace[1].actual, HasSubstr("FOO"));
  EXPECT_EQ(trace[2].position, 3);
  EXPECT_TRUE(trace[2].matched);
  EXPECT_EQ(trace[2].condition, "");

  layoutFor("<ENTRY L='D'/>");
  EXPECT_EQ(session.layoutTrace.size(), 1u);  // a new search starts a new trace
}

}  // namespace
}  // namespace xkm
