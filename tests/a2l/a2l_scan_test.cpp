#include "core/a2l/a2l_scan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "core/platform/error.h"
#include "core/platform/file_system.h"
#include "random_segment_line.h"
#include "whole_text_patterns.h"

namespace xkm::a2l {
namespace {

using test::Described;
using test::Escaped;

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
    std::string text;
    lines(text, 12);
    if (chance(9, 10)) text += pick({"/begin MOD_PAR \"\"", "  /begin MOD_PAR", "/begin MOD_PAR"});
    if (chance(1, 20)) text += "/end MOD_PAR";
    lineEnd(text);
    for (int i = number(0, 14); i > 0; --i) {
      text += sectionLine();
      lineEnd(text);
    }
    if (chance(9, 10)) text += pick({"/end MOD_PAR", "  /end MOD_PAR", "x\"/end MOD_PAR\"\""});
    if (chance(1, 20)) text += "/begin MOD_PAR";
    if (chance(1, 2)) lineEnd(text);
    lines(text, 8);
    return text;
  }

 private:
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
        return test::RandomSegmentLine(random_);
      case 6:
        return std::string(static_cast<size_t>(number(60, 150)), ' ') +
               pick({"", "ECU \"long\"", "x"});
      default:
        return pick({"", "/end MEMORY_SEGMENT", "x", "  /* ECU \"no\" */"});
    }
  }

  void lines(std::string& text, int most) {
    // clang-format off
    static const char* const kLines[] = {
        "/begin CHARACTERISTIC", "/begin CHARACTERISTIC", "/BEGIN characteristic",
        "/begin CHARACTERISTIC ", " /begin CHARACTERISTIC", "", "x", "\"long id\"", "SGIDB1",
        "  sgidb1", "\tSGIDB3", "SGIDB1 ", "SGIDB13", "0x12", "  0X34  ", "\t0x5^6", "0x",
        "0x/begin CHARACTERISTIC", "/end"};
    // clang-format on
    static const char* const kNames[] = {"SGIDB1", " sgidb1", "\tSGIDB3", "SGIDB3 "};
    for (int i = number(0, most); i > 0; --i) {
      if (chance(1, 4)) {  // a block that nearly always matches
        text += std::string("/begin CHARACTERISTIC\r\n") + longOr(pick(kLines)) + "\r\n" +
                longBlanksOr("") + pick(kNames) + "\r\n" + longOr(pick(kLines)) + "\r\n" +
                pick(kLines) + ending() + longBlanksOr("") + "0x" + longOr(pick(kLines));
      } else {
        text += longOr(pick(kLines));
      }
      lineEnd(text);
    }
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
  std::string ending() {
    return pick({"\r\n", "\r\n", "\r\n", "\r\n", "\r\n", "\n", "\r", "\r\r\n", "\n\r"});
  }
  void lineEnd(std::string& text) { text += ending(); }

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

// Fails the test when the streamed scan differs from the plain patterns at
// any chunk size; returns the plain result.
struct StreamComparison {
  test::WholeTextPatterns plain;
  size_t next = 0;

  std::optional<A2lMatches> check(std::string_view text, std::initializer_list<size_t> sizes) {
    A2lMatches expected;
    try {
      expected = plain.scan(text);
    } catch (const Error&) {
      return std::nullopt;  // the engine gave up: nothing to compare with
    }
    const std::string described = Described(expected);
    for (size_t size : sizes)
      EXPECT_EQ(Described(ScanA2lText(text, size)), described) << "chunk size " << size << " in\n"
                                                               << Escaped(text);
    return expected;
  }
};

TEST(A2lScan, EqualsTheWholeTextPatternsAtEveryChunkSize) {
  StreamComparison compare;
  Generator generate(20240601);
  size_t addresses = 0, sections = 0, segments = 0, constants = 0, epks = 0, skipped = 0;
  for (int i = 0; i < 2500 && !::testing::Test::HasFailure(); ++i) {
    const std::string text = generate.text();
    // Every text in one piece, at a size of the table and at a small one.
    const std::optional<A2lMatches> plain =
        compare.check(text, {text.size() + 1, kChunkSizes[i % std::size(kChunkSizes)],
                             static_cast<size_t>(1 + i % 40)});
    if (!plain) {
      ++skipped;
      continue;
    }
    addresses += plain->sgidb1.count == 1 || plain->sgidb3.count == 1;
    if (plain->sectionBegin && plain->sectionEnd && *plain->sectionEnd > *plain->sectionBegin) {
      ++sections;
      segments += plain->section.memorySegments.size();
      constants += plain->section.systemConstants.size();
      epks += plain->section.epkCount;
    }
  }
  // The generator must actually produce what is compared.
  EXPECT_GT(addresses, 500u);
  EXPECT_GT(sections, 1500u);
  EXPECT_GT(segments, 500u);
  EXPECT_GT(constants, 500u);
  EXPECT_GT(epks, 200u);
  EXPECT_LT(skipped, 100u);
}

TEST(A2lScan, EqualsTheWholeTextPatternsOnRealFiles) {
  const std::filesystem::path corpus = "/work/shared/corpus/a2l";
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(corpus, ec))
    if (entry.path().extension() == ".a2l") files.push_back(entry.path().string());
  if (files.empty()) GTEST_SKIP() << "no corpus";
  StreamComparison compare;
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const std::string text = fs::ReadAllBytes(file);
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const std::string& variant : {text, crlf})
      EXPECT_TRUE(compare.check(variant, {7, 4096, A2lScanner::kDefaultChunkSize}));
  }
}

}  // namespace
}  // namespace xkm::a2l
