#include "core/a2l/a2l_scan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <sstream>

#include "core/a2l/a2l_patterns.h"
#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/regex/regex.h"

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
      << m.sectionBegin.value_or(-1) << ".." << m.sectionEnd.value_or(-1) << "\n";
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

// Chunk sizes from one byte up, so that every position of a text falls on a
// chunk boundary somewhere; the default size reads small texts in one go.
constexpr size_t kChunkSizes[] = {
    1, 2, 3, 5, 8, 13, 31, 64, 97, 4096, A2lScanner::kDefaultChunkSize};

class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}

  // A text of lines that are, or nearly are, what the patterns want, with
  // all kinds of line ends and some lines long enough to be carried
  // shortened from one chunk to the next.
  std::string text() {
    std::string text = lines(12);
    if (chance(9, 10)) text += pick({"/begin MOD_PAR \"\"", "  /begin MOD_PAR", "/begin MOD_PAR"});
    if (chance(1, 20)) text += "/end MOD_PAR";
    text += ending();
    for (int i = number(0, 14); i > 0; --i) text += sectionLine() + ending();
    if (chance(9, 10)) text += pick({"/end MOD_PAR", "  /end MOD_PAR", "x\"/end MOD_PAR\"\""});
    if (chance(1, 20)) text += "/begin MOD_PAR";
    if (chance(1, 2)) text += ending();
    return text + lines(8);
  }

 private:
  // Memory segment headers with a few parts replaced by pieces the pattern
  // looks for, so that the greedy parts have many ways to split a line.
  std::string segmentLine() {
    static const char* const kPieces[] = {"\"\"", "0x1F", "0X2",   "0x",       "-1",
                                          "DATA", "a b",  "\"",    "^",        "x",
                                          "",     "0x0x", "-1 -1", "\"\" \"\""};
    std::vector<std::string> parts = {"SEG",  "\"\"", "DATA", "FLASH", "INTERN", "0x80",
                                      "0x10", "-1",   "-1",   "-1",    "-1",     "-1"};
    if (chance(1, 3)) parts.push_back(pick(kPieces));
    for (int i = number(0, 3); i > 0; --i)
      parts[static_cast<size_t>(number(0, static_cast<int>(parts.size()) - 1))] = pick(kPieces);
    std::string line = chance(1, 8) ? "  /begin memory_segment" : "/begin MEMORY_SEGMENT";
    for (const std::string& part : parts)
      line +=
          (part == "-1" && !chance(1, 4) ? " " : pick({" ", " ", " ", "\t", "  ", " \t "})) + part;
    return line;
  }

  std::string sectionLine() {
    switch (number(0, 7)) {
      case 0:
        return pick({"  ADDR_EPK 0x8000", "ADDR_EPK\t0X12 ", "  addr_epk 0x1^2", "ADDR_EPK 0x",
                     "  ADDR_EPK0x1", "ADDR_EPK  0x8000 \t"}) +
               (chance(2, 3) ? ending() : "\r\n") +
               pick({"  EPK \"EPK_1\"", "EPK \"a\" \"b\"", "  epk\t\"\"", "EPK \"x", "EPK x\"y\"",
                     "ECU \"e\""});
      case 1:
        return pick({"  EPK \"EPK_1\"", "  ADDR_EPK 0x1", "  ECU \"abc\""});
      case 2:
        return pick({"  ECU \"abc_1 \"", "ECU \"a\"b\"", "ecu \"\"", "  ECU\"x\"", "ECU  \"E\" ",
                     "  ECU_X \"y\""});
      case 3: {
        std::string line = pick({"  SYSTEM_CONSTANT", "system_constant", "\tSYSTEM_CONSTANT"});
        if (chance(1, 2))
          return line + separator() + "\"SY_" + pick({"A", "B\" \"C", ""}) + "\"" + separator() +
                 "\"" + pick({"5", " 1 ", "a\"b", ""}) + "\"";
        for (int i = number(1, 6); i > 0; --i)
          line += pick({" ", "\t", "  ", "\"", "\" \"", "\"\t\"", "a", "b c", "\"\""});
        return line;
      }
      case 4:
      case 5:
        return segmentLine();
      case 6:
        return std::string(static_cast<size_t>(number(60, 150)), ' ') +
               pick({"", "ECU \"long\"", "x"});
      default:
        return pick({"", "/end MEMORY_SEGMENT", "x", "  /* ECU \"no\" */"});
    }
  }

  std::string lines(int most) {
    static const char* const kLines[] = {
        // block openings, as the pattern wants them and not
        "/begin CHARACTERISTIC", "/begin CHARACTERISTIC", "/BEGIN characteristic",
        "/begin CHARACTERISTIC ", " /begin CHARACTERISTIC",
        // lines of a block: identifiers, names, addresses
        "", "x", "\"long id\"", "SGIDB1", "  sgidb1", "\tSGIDB3", "SGIDB1 ", "SGIDB13", "0x12",
        "  0X34  ", "\t0x5^6", "0x", "0x/begin CHARACTERISTIC", "/end"};
    static const char* const kNames[] = {"SGIDB1", " sgidb1", "\tSGIDB3", "SGIDB3 "};
    std::string text;
    for (int i = number(0, most); i > 0; --i) {
      if (chance(1, 4))  // a block that nearly always matches
        text += std::string("/begin CHARACTERISTIC") + blockEnding() + longOr(pick(kLines)) +
                blockEnding() + longBlanksOr("") + pick(kNames) + blockEnding() +
                longOr(pick(kLines)) + blockEnding() + pick(kLines) + ending() + longBlanksOr("") +
                "0x" + longOr(pick(kLines));
      else
        text += longOr(pick(kLines));
      text += ending();
    }
    return text;
  }

  std::string longOr(const std::string& line) {
    return chance(1, 12) ? std::string(static_cast<size_t>(number(60, 140)), 'x') + line : line;
  }
  std::string longBlanksOr(const std::string& blanks) {
    return chance(1, 8) ? std::string(static_cast<size_t>(number(30, 140)), ' ') : blanks;
  }
  std::string separator() {
    return chance(1, 40) ? longBlanksOr("") : pick({" ", " ", " ", "\t", "  ", " \t"});
  }
  // A line end the characteristic patterns accept, mostly as Windows tools write it.
  std::string blockEnding() { return pick({"\r\n", "\r\n", "\r\n", "\n"}); }
  std::string ending() {
    return pick({"\r\n", "\r\n", "\r\n", "\r\n", "\r\n", "\n", "\r", "\r\r\n", "\n\r"});
  }

  std::string pick(std::initializer_list<const char*> choices) {
    return *(choices.begin() + number(0, static_cast<int>(choices.size()) - 1));
  }
  template <size_t N>
  std::string pick(const char* const (&choices)[N]) {
    return choices[number(0, N - 1)];
  }
  int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool chance(int times, int in) { return number(1, in) <= times; }

  std::mt19937 random_;
};

// The streamed scan must equal the plain patterns at every size given;
// returns the plain result, none where the engine gives up.
std::optional<A2lMatches> Compare(std::string_view text, std::initializer_list<size_t> sizes) {
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

TEST(A2lScan, EqualsTheWholeTextPatternsAtEveryChunkSize) {
  Generator generate(20240601);
  size_t addresses = 0, sections = 0, segments = 0, constants = 0, epks = 0, skipped = 0;
  for (int i = 0; i < 2500 && !::testing::Test::HasFailure(); ++i) {
    const std::string text = generate.text();
    // Every text in one piece, at a size of the table and at a small one.
    const std::optional<A2lMatches> plain =
        Compare(text, {text.size() + 1, kChunkSizes[i % std::size(kChunkSizes)],
                       static_cast<size_t>(1 + i % 40)});
    if (!plain) {
      ++skipped;
      continue;
    }
    addresses += plain->sgidb1.count == 1 || plain->sgidb3.count == 1;
    if (WholeTextPatterns::HasSection(*plain) && *plain->sectionEnd > *plain->sectionBegin) {
      ++sections;
      segments += plain->section.memorySegments.size();
      constants += plain->section.systemConstants.size();
      epks += plain->section.epkCount;
    }
  }
  // The generator must actually produce what is compared.
  EXPECT_TRUE(addresses > 500 && sections > 1500 && segments > 500 && constants > 500 &&
              epks > 200 && skipped < 100)
      << addresses << " " << sections << " " << segments << " " << constants << " " << epks << " "
      << skipped;
}

// A file whose lines end in a lone LF, as tools on Linux write them: the
// patterns find in it what they find with CR LF, and so does the scan,
// wherever the chunks end.
TEST(A2lScan, LfLineEndsFindWhatCrLfFinds) {
  const auto corpusFile = [](const char* name) {
    return fs::ReadAllBytes(XKM_SOURCE_DIR "/fuzz/corpus/a2l/" + std::string(name));
  };
  const struct {
    const char* name;
    std::string crlf;
  } rows[] = {
      {"ST10 demo file", corpusFile("ecu_st10_crlf.a2l")},
      {"TriCore demo file", corpusFile("ecu_tc_crlf.a2l")},
      {"every fact", corpusFile("facts_crlf.a2l")},
      {"address line at the file's end",
       "/begin CHARACTERISTIC\r\nx\r\n SGIDB3\r\ny\r\n\r\n\t0x1F"},
      {"EPK pair at the section's end",
       "/begin MOD_PAR\r\nADDR_EPK 0x40\r\nEPK \"E\"/end MOD_PAR\r\n"},
  };
  static const WholeTextPatterns plain;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::string lf;
    for (size_t at = 0; at < row.crlf.size(); ++at)
      if (row.crlf.compare(at, 2, "\r\n") != 0) lf += row.crlf[at];
    std::set<std::string> found{Facts(plain.scan(lf))};
    for (size_t size : kChunkSizes) found.insert(Facts(ScanA2lText(lf, size)));
    EXPECT_EQ(found, std::set{Facts(plain.scan(row.crlf))});
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

}  // namespace
}  // namespace xkm::a2l
