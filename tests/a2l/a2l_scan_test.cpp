#include "core/a2l/a2l_scan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "core/a2l/a2l_patterns.h"
#include "core/a2l/a2l_reader.h"
#include "core/a2l/line_patterns.h"
#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/regex/regex.h"
#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace xkm::a2l {
namespace {

// The plain way to apply the six patterns: each one a global search with the
// regular expression engine over the whole text (patterns 3 to 6 over the
// module parameter section). The reference the streamed scan must equal.
// Throws the engine's Error where it gives up (match limit).
struct WholeTextPatterns {
  static constexpr Regex::Options kOptions{.ignoreCase = true, .multiline = true};
  Regex sgidb1{kSgidb1Pattern, kOptions}, sgidb3{kSgidb3Pattern, kOptions},
      epk{kEpkPattern, kOptions}, ecu{kEcuPattern, kOptions},
      systemConstant{kSystemConstantPattern, kOptions},
      memorySegment{kMemorySegmentPattern, kOptions};

  A2lMatches scan(std::string_view text) const {
    A2lMatches found;
    found.sgidb1 = Addresses(sgidb1, text);
    found.sgidb3 = Addresses(sgidb3, text);
    const size_t begin = text.find("/begin MOD_PAR"), end = text.find("/end MOD_PAR");
    if (begin != std::string_view::npos) found.sectionBegin = begin;
    if (end != std::string_view::npos) found.sectionEnd = end;
    if (!HasSection(found)) return found;
    const std::string_view section = text.substr(begin, end - begin);
    SectionMatches& facts = found.section;
    const std::vector<Regex::Match> epks = epk.findAll(section), ecus = ecu.findAll(section);
    facts.epkCount = epks.size();
    if (!epks.empty())
      facts.epkAddress = epks[0].group(section, 1), facts.epk = epks[0].group(section, 2);
    facts.ecuCount = ecus.size();
    if (!ecus.empty()) facts.ecu = ecus[0].group(section, 1);
    for (const Regex::Match& m : systemConstant.findAll(section))
      facts.systemConstants.push_back(
          {std::string(m.group(section, 1)), std::string(m.group(section, 2))});
    for (const Regex::Match& m : memorySegment.findAll(section)) {
      std::array<std::string, 6> fields;
      for (size_t i = 0; i < 6; ++i) fields[i] = m.group(section, i + 1);
      facts.memorySegments.push_back(std::move(fields));
    }
    return found;
  }

  static AddressMatches Addresses(const Regex& regex, std::string_view text) {
    const std::vector<Regex::Match> all = regex.findAll(text);
    return {all.size(), all.empty() ? std::string() : std::string(all.front().group(text, 1))};
  }
  static bool HasSection(const A2lMatches& m) {
    return m.sectionBegin && m.sectionEnd && *m.sectionEnd >= *m.sectionBegin;
  }
};

// Everything the reader uses of the matches, as one text to compare and show:
// the section facts only where there is a section.
std::string Described(const A2lMatches& m) {
  std::ostringstream out;
  out << "sgidb1 " << m.sgidb1.count << " [" << m.sgidb1.firstAddress << "]\nsgidb3 "
      << m.sgidb3.count << " [" << m.sgidb3.firstAddress << "]\nsection "
      << (m.sectionBegin ? std::to_string(*m.sectionBegin) : "none") << ".."
      << (m.sectionEnd ? std::to_string(*m.sectionEnd) : "none") << "\n";
  if (!WholeTextPatterns::HasSection(m)) return out.str();
  const SectionMatches& s = m.section;
  out << "epk " << s.epkCount << " [" << s.epkAddress << "] [" << s.epk << "]\necu " << s.ecuCount
      << " [" << s.ecu << "]\n";
  for (const auto& [name, value] : s.systemConstants)
    out << "constant [" << name << "] [" << value << "]\n";
  for (const auto& fields : s.memorySegments) {
    out << "segment";
    for (const std::string& field : fields) out << " [" << field << "]";
    out << "\n";
  }
  return out.str();
}

// What Described() shows but where the section lies, which the line ends shift.
std::string Facts(A2lMatches m) {
  const bool section = WholeTextPatterns::HasSection(m);
  m.sectionBegin = m.sectionEnd = section ? std::optional<uint64_t>(0) : std::nullopt;
  return Described(m);
}

// The streamed scan must equal the plain patterns at every size given;
// returns the plain result, none where the engine gives up.
std::optional<A2lMatches> Compare(std::string_view text, const std::vector<size_t>& sizes) {
  static const WholeTextPatterns plain;
  A2lMatches expected;
  try {
    expected = plain.scan(text);
  } catch (const Error&) {
    return std::nullopt;
  }
  for (size_t size : sizes)
    EXPECT_EQ(Described(ScanA2lText(text, size)), Described(expected))
        << "chunk size " << size << " in " << ::testing::PrintToString(text);
  return expected;
}

// `text` with each '\n' as `ending`, '@' as 130 x and '%' as 90 blanks:
// lines long enough to be carried shortened from one chunk to the next.
std::string Joined(const std::string& text, const std::string& ending) {
  std::string joined;
  for (char c : text)
    joined += c == '\n'  ? ending
              : c == '@' ? std::string(130, 'x')
              : c == '%' ? std::string(90, ' ')
                         : std::string(1, c);
  return joined;
}

// Lines that are, or nearly are, what the patterns want; each text joined by
// every line end and scanned at every chunk size from one byte up, so that
// every position falls on a chunk boundary.
TEST(A2lScan, EqualsTheWholeTextPatternsAtEveryChunkSize) {
  const struct {
    const char* name;
    std::string text;
    std::string found;  // in what the patterns find where lines end in CR LF
  } rows[] = {
      {"characteristic blocks",
       "/begin CHARACTERISTIC\n\"long id\"\n  SGIDB1\n  VALUE\nRL\n  0x1A2B\n/end\n"
       "/BEGIN characteristic\n@\n\tsgidb1\n\n@y\n%0x@\n"
       "/begin CHARACTERISTIC\nx\nSGIDB3\na\nb\n\t0x5^6\n"
       "/begin CHARACTERISTIC\n@\n\tSGIDB3\n\n%\n  0x3C4D \t\n"
       "/begin CHARACTERISTIC \nx\nSGIDB3\na\nb\n0x7\n"
       " /begin CHARACTERISTIC\nx\nSGIDB1\na\nb\n0x8\n"
       "/begin CHARACTERISTIC\nx\nSGIDB13\na\nb\n0x9\n"
       "/begin CHARACTERISTIC\nx\nSGIDB1 \na\nb\n0x9\n"
       "/begin CHARACTERISTIC\nx\nSGIDB3\n0x/begin CHARACTERISTIC\nx\nSGIDB3\na\nb\n0x\n",
       "sgidb1 2 [1A2B]\nsgidb3 1 [3C4D \t]"},
      {"an address line at the text's end", "/begin CHARACTERISTIC\nx\n SGIDB3\ny\n\n\t0x1F",
       "sgidb3 1 [1F]"},
      {"section facts",
       "/begin MOD_PAR \"\"\n  ADDR_EPK 0x8000\n  EPK \"EPK_1\"\nADDR_EPK\t0X12 \nEPK \"a\" \"b\"\n"
       "  addr_epk 0x1^2\n  epk\t\"\"\nADDR_EPK 0x\nEPK \"x\n  ADDR_EPK0x1\nEPK x\"y\"\n"
       "ADDR_EPK  0x8000 \t\nECU \"e\"\n  ECU \"abc_1 \"\nECU \"a\"b\"\necu \"\"\n  ECU\"x\"\n"
       "ECU  \"E\" \n  ECU_X \"y\"\n%ECU \"long\"\n  /* ECU \"no\" */\n"
       "  SYSTEM_CONSTANT \"SY_A\" \"5\"\nsystem_constant\t\"SY_B\" \"C\"\t\" 1 \"\n"
       "\tSYSTEM_CONSTANT \"SY_\"%\"a\"b\"\n  SYSTEM_CONSTANT\"x\" \"y\"\n"
       "SYSTEM_CONSTANT \" \"\t\"\nECU \t\n/end MOD_PAR\n",
       "epk 2 [8000] [EPK_1]\necu 6 [e]\nconstant [SY_A] [5]"},
      {"memory segments",
       "/begin MOD_PAR\n/begin MEMORY_SEGMENT SEG \"\" DATA FLASH INTERN 0x80 0x10 -1 -1 -1 -1 -1\n"
       "  /begin memory_segment\tSEG \"\" DATA FLASH INTERN 0x80 0x10 \t -1  -1 -1 -1 -1\n"
       "/begin MEMORY_SEGMENT SEG \"\" \"\" DATA FLASH INTERN 0x1F 0X2 -1 -1 -1 -1 -1\n"
       "/begin MEMORY_SEGMENT a b \"\" DATA x FLASH 0x0x 0x -1 -1 -1 -1 -1 -1\n"
       "/begin MEMORY_SEGMENT SEG \"\" DATA FLASH INTERN 0x80 0x10 -1 -1 -1 -1 0\n"
       "/begin MEMORY_SEGMENT SEG \"\" DATA FLASH INTERN 0x80 0x10 -1 -1 -1 -1\n"
       "/begin MEMORY_SEGMENT    SEG \"\"\t\tDATA FLASH\tINTERN 0x80 0x10  -1 -1 -1 -1 -1 \"\" "
       "\"\"\n"
       "/begin MEMORY_SEGMENT SEG \"\" DATA FLASH INTERN 0x80 -1 -1 -1 -1 -1\n"
       "/end MEMORY_SEGMENT\n  /end MOD_PAR\n",
       "segment [SEG] [DATA] [FLASH] [INTERN] [80] [10]"},
      {"an EPK pair at the section's end", "/begin MOD_PAR\nADDR_EPK 0x40\nEPK \"E\"/end MOD_PAR\n",
       "epk 1 [40] [E]"},
      {"an end inside a line, then a second section",
       "  /begin MOD_PAR\nECU \"A\"\nx\"/end MOD_PAR\"\"\n/begin MOD_PAR\nECU \"B\"\n/end "
       "MOD_PAR\n",
       "ecu 1 [A]"},
      {"the end before the begin", "/end MOD_PAR\nECU \"A\"\n/begin MOD_PAR\n", "section 23..0"},
      {"no end", "/begin MOD_PAR \"\"\nECU \"A\"\n", "section 0..none"},
  };
  std::vector<size_t> sizes{97, 4096, A2lScanner::kDefaultChunkSize};
  for (size_t size = 1; size <= 40; ++size) sizes.push_back(size);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    for (const char* ending : {"\r\n", "\n", "\r", "\r\r\n", "\n\r"})
      Compare(Joined(row.text, ending), sizes);
    const std::optional<A2lMatches> crlf = Compare(Joined(row.text, "\r\n"), {});
    ASSERT_TRUE(crlf) << "the engine gave up";
    EXPECT_NE(Described(*crlf).find(row.found), std::string::npos) << Described(*crlf);
    EXPECT_EQ(Facts(*Compare(Joined(row.text, "\n"), {})), Facts(*crlf));  // LF finds the same
  }
}

// The real files of the fuzz corpus, among them files other tools wrote.
TEST(A2lScan, EqualsTheWholeTextPatternsOnRealFiles) {
  for (const auto& entry : std::filesystem::directory_iterator(XKM_SOURCE_DIR "/fuzz/corpus/a2l")) {
    SCOPED_TRACE(entry.path().string());
    EXPECT_TRUE(
        Compare(fs::ReadAllBytes(entry.path().string()), {7, 4096, A2lScanner::kDefaultChunkSize}));
  }
}

using Fields = std::vector<std::string>;

template <size_t N>
std::optional<Fields> AsFields(const std::optional<std::array<std::string_view, N>>& found) {
  if (!found) return std::nullopt;
  return Fields(found->begin(), found->end());
}

// Lines on which the engine gives up ("match limit exceeded") or that hold
// long runs of blanks: each is judged as the pattern says.
TEST(LinePatterns, LongBlankRunsGetAVerdict) {
  const std::string blanks(120, ' ');
  const std::string segment = "/begin MEMORY_SEGMENT CODE1 \"\" CODE FLASH INTERN 0x8 0x10";
  const Fields code1{"CODE1", "CODE", "FLASH", "INTERN", "8", "10"};
  auto b = [](size_t n) { return std::string(n, ' '); };
  const std::pair<std::string, std::optional<Fields>> segments[] = {
      {"  " + segment + " -1 -1 -1 -1 -1" + blanks + "/* trailing comment */", code1},
      {segment + " -1 -1 -1 -1 -1" + std::string(1 << 20, ' '), code1},
      // Columns lined up: the greedy captures take all but the last blanks.
      {"/begin MEMORY_SEGMENT" + blanks + "CODE1" + blanks + "\"\"" + blanks + "CODE" + blanks +
           "FLASH" + blanks + "INTERN" + blanks + "0x8" + blanks + "0x10 -1 -1 -1 -1 -1",
       Fields{"CODE1" + b(119), "CODE" + blanks + "FLASH" + blanks + "INTERN" + b(117), "", "",
              "8" + b(119), "10"}},
      {segment + " -1 -1 -1 -1 0" + blanks + "/* c */", std::nullopt},
      {"/begin MEMORY_SEGMENT  \"\" CODE FLASH INTERN 0x8 0x10 -1 -1 -1 -1 -1",
       Fields{"", "CODE", "FLASH", "INTERN", "8", "10"}},  // no name
      {"/begin MEMORY_SEGMENT CODE1 \"long\" CODE FLASH INTERN 0x8 0x10 -1 -1 -1 -1 -1" + blanks +
           "x",
       std::nullopt},
  };
  for (const auto& [line, fields] : segments)
    EXPECT_EQ(AsFields(MatchMemorySegmentLine(line)), fields) << line.substr(0, 100);

  EXPECT_EQ(AsFields(MatchSystemConstantLine("SYSTEM_CONSTANT" + blanks + "\"A\"" + blanks + "\"" +
                                             blanks + "\"" + blanks)),
            (Fields{"A", blanks}));
  EXPECT_EQ(MatchEcuLine("ECU" + blanks + "\"E\"" + blanks), "E");
  EXPECT_EQ(MatchEpkLine("EPK" + blanks + "\"" + blanks + "\""), blanks);
  EXPECT_EQ(MatchAddrEpkLine(blanks + "ADDR_EPK" + blanks + "0x8000" + blanks), "8000" + blanks);
}

std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
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
    EXPECT_EQ(test::ErrorOf([&] { read(content); }).number(), error) << content;
  EXPECT_EQ(test::ErrorOf([&] {
              WriteValue(session.ConfigTable, "A2LFILE", folder.file("missing.a2l"));
              ReadA2LData(ctx);
            }).number(),
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
}  // namespace xkm::a2l
