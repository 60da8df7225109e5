#include "core/a2l/a2l_reader.h"

#include <gtest/gtest.h>

#include "core/a2l/a2l_scan.h"
#include "core/platform/error.h"
#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace xkm {
namespace {

using test::ErrorNumberOf;

std::string Lines(std::initializer_list<const char*> lines, const char* end = "\r\n") {
  std::string text;
  for (const char* line : lines) text += std::string(line) + end;
  return text;
}

std::string Characteristic(const char* name, const char* address,
                           const char* begin = "/begin CHARACTERISTIC") {
  return Lines({begin, "  \"identification block\"", name, "  VALUE", "  RL_ID", address,
                "/end CHARACTERISTIC"});
}

const std::string kModPar = Lines(
    {"/begin MOD_PAR \"\"", "  ADDR_EPK 0x8000 ", "  EPK \"EPK_V1 \"", "  ECU \"abc_1 \"",
     "  SYSTEM_CONSTANT \"SY_FREQ\" \" 40000000\"", "\tSYSTEM_CONSTANT \"A\" \"B\" \"C\"",
     "  SYSTEM_CONSTANT \"Gr\xE4\xDF"
     "e\" \"\"",
     "  /begin MEMORY_SEGMENT CODE1 \"\" CODE FLASH INTERN 0x80000 0x10000 -1 -1 -1 -1 -1",
     "  /begin MEMORY_SEGMENT NAMED \"long\" DATA FLASH INTERN 0x90000 0x100 -1 -1 -1 -1 -1",
     "  /begin MEMORY_SEGMENT OFFS \"\" DATA FLASH INTERN 0x90000 0x100 0 -1 -1 -1 -1",
     "  /begin MEMORY_SEGMENT MULTI \"\"", "    DATA FLASH INTERN 0x90000 0x100 -1 -1 -1 -1 -1",
     "  /begin MEMORY_SEGMENT DATA1 \"\" DATA RAM EXTERN 0xA0000 0x2000 -1 -1 -1 -1 -1 trailing",
     "/end MOD_PAR"});

using Rows = std::vector<std::vector<std::string>>;

Rows RowsOf(const SessionTable& table) {
  Rows rows(table.rowCount());
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < table.columnCount(); ++c) rows[r].push_back(table.text(r, c));
  return rows;
}

struct A2lTest : ::testing::Test {
  test::ScratchFolder folder;
  AppState app;
  Session session;
  DataContext ctx{app, session};

  A2lTest() { InitSessionTables(session); }

  void read(const std::string& content, size_t chunkSize = a2l::A2lScanner::kDefaultChunkSize) {
    WriteValue(session.ConfigTable, "A2LFILE", folder.write("test.a2l", content));
    ReadA2LData(ctx, chunkSize);
  }
};

TEST_F(A2lTest, ReadsEveryFactOfAFileInTheExpectedLayout) {
  for (size_t chunkSize : {size_t{1}, size_t{7}, a2l::A2lScanner::kDefaultChunkSize}) {
    SCOPED_TRACE(chunkSize);
    InitSessionTables(session);
    read(Characteristic("  SGIDB3", "  0x1234 \t ") + kModPar +
             Characteristic("\tsgidb1", "\t0X00ABCDEF  "),
         chunkSize);
    EXPECT_EQ(RowsOf(session.DataTable), (Rows{{"ADRESSSGIDB1", "00ABCDEF"},
                                               {"ADRESSSGIDB3", "1234 \t"},
                                               {"ADRESSEPK", "8000"},
                                               {"EPK", "EPK_V1"},
                                               {"ECU", "ABC_1"}}));
    // Captures of constants and segments are kept as matched; the greedy first
    // capture ends at the last quote that still lets the rest match.
    EXPECT_EQ(RowsOf(session.SysConstTable), (Rows{{"SY_FREQ", " 40000000"},
                                                   {"A\" \"B", "C"},
                                                   {"Gr\xC3\xA4\xC3\x9F"
                                                    "e",
                                                    ""}}));
    EXPECT_EQ(RowsOf(session.MemorySegmentTable),
              (Rows{{"CODE1", "CODE", "FLASH", "INTERN", "80000", "10000"},
                    {"DATA1", "DATA", "RAM", "EXTERN", "A0000", "2000"}}));
  }
}

// The identification is found whether lines end in CR LF or, as tools on
// Linux write them, in a lone LF; a lone CR ends none of its lines.
TEST_F(A2lTest, IdentificationIsFoundWithEachLineEnd) {
  const Rows identified{{"ADRESSSGIDB1", "1A2B"},
                        {"ADRESSSGIDB3", "3C4D"},
                        {"ADRESSEPK", "8000"},
                        {"EPK", "EPK_V1"},
                        {"ECU", "ABC_1"}};
  const struct {
    const char* name;
    const char* end;
    Rows data;
  } rows[] = {
      {"CR LF", "\r\n", identified},
      {"LF only", "\n", identified},
      {"lone CR", "\r", {{"ECU", "ABC_1"}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    InitSessionTables(session);
    read(Lines(
        {"/begin CHARACTERISTIC", "  \"identification block\"", "  SGIDB1", "  VALUE", "  RL_ID",
         "  0x1A2B", "/end CHARACTERISTIC", "/begin MOD_PAR \"\"", "  ADDR_EPK 0x8000",
         "  EPK \"EPK_V1\"", "  ECU \"abc_1\"", "/end MOD_PAR", "/begin CHARACTERISTIC",
         "  \"identification block\"", "  SGIDB3", "  VALUE", "  RL_ID", "  0x3C4D"},
        row.end));
    EXPECT_EQ(RowsOf(session.DataTable), row.data);
  }
}

// The ECU line must be inside the section, once; an address found twice is left out.
TEST_F(A2lTest, SectionBoundsTheEcuLineAndAddresses) {
  const std::string ecuOutside = Lines({"  ECU \"OUTSIDE\""});
  const std::string section = Lines({"/begin MOD_PAR \"\"", "  SYSTEM_CONSTANT \"X\" \"1\""});
  const std::pair<std::string, int> rows[] = {
      {ecuOutside + section + "/end MOD_PAR\r\n", 60012},
      {section + ecuOutside + "/end MOD_PAR\r\n", 0},
      {section + ecuOutside + ecuOutside + "/end MOD_PAR\r\n", 60012},
      {"/BEGIN MOD_PAR\r\n" + ecuOutside + "/end MOD_PAR\r\n", 60011},
      {section + ecuOutside, platform_error::kInvalidProcedureCall},
      {"/end MOD_PAR\r\n" + section + ecuOutside + "/end MOD_PAR\r\n",
       platform_error::kInvalidProcedureCall}};
  for (const auto& [content, error] : rows)
    EXPECT_EQ(ErrorNumberOf([&] { read(content); }), error) << content;
  EXPECT_EQ(ErrorNumberOf([&] {
              WriteValue(session.ConfigTable, "A2LFILE", folder.file("missing.a2l"));
              ReadA2LData(ctx);
            }),
            platform_error::kFileNotFound);
  InitSessionTables(session);
  read(Characteristic("SGIDB1", "0x1") + Characteristic("SGIDB1", "0x2") +
       Characteristic("SGIDB3", "0x3") + section +
       "  ECU \" mot\xF6r_\xE4\xFF\"\r\n/end MOD_PAR\r\n");
  // Windows-1252 on disk, upper-cased beyond ASCII.
  EXPECT_EQ(RowsOf(session.DataTable), (Rows{{"ADRESSSGIDB3", "3"}, {"ECU", "MOTÖR_ÄŸ"}}));

  // Rows found before a failure stay; a message in English when asked for.
  InitSessionTables(session);
  app.LanguageOffset = 1000;
  EXPECT_EQ(
      test::ErrorOf([&] {
        read(Characteristic("SGIDB1", "0x10") + Lines({"/begin MOD_PAR \"\"", "/end MOD_PAR"}));
      }).numberAndDescription(),
      "60012 No information about ECU was found in A2L-File");
  EXPECT_EQ(RowsOf(session.DataTable), (Rows{{"ADRESSSGIDB1", "10"}}));
}

TEST_F(A2lTest, CpuTypeFromSyst10) {
  const std::pair<std::vector<std::string>, const char*> rows[] = {
      {{"5"}, "2"}, {{" 12 "}, "2"},   {{"4.9"}, "1"}, {{"ST10"}, "1"},
      {{""}, "1"},  {{"5", "5"}, "1"}, {{}, "1"}};
  for (const auto& [values, cpuType] : rows) {
    InitSessionTables(session);
    for (const std::string& value : values) {
      const size_t row = session.SysConstTable.appendRow();
      session.SysConstTable.setField(row, 0, "SY_ST10");
      session.SysConstTable.setField(row, 1, value);
    }
    SetCpuType(ctx);
    EXPECT_EQ(ReadValue(session.ConfigTable, "CPU_TYPE", 1), cpuType) << values.size();
  }
}

}  // namespace
}  // namespace xkm
