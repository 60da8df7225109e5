#include "core/a2l/characteristic_scan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "core/a2l/a2l_patterns.h"
#include "core/a2l/a2l_reader.h"
#include "core/platform/error.h"
#include "core/platform/file_system.h"
#include "support/recording_host.h"

namespace xkm::a2l {
namespace {

constexpr Regex::Options kOptions{.ignoreCase = true, .multiline = true};

// The plain way: one global search with the pattern over the whole text.
AddressMatches WholeTextMatches(std::string_view text, const Regex& regex) {
  const std::vector<Regex::Match> all = regex.findAll(text);
  AddressMatches matches;
  matches.count = all.size();
  if (!all.empty()) matches.firstAddress = all.front().group(text, 1);
  return matches;
}

struct ScanComparison {
  Regex sgidb1{kSgidb1Pattern, kOptions};
  Regex sgidb3{kSgidb3Pattern, kOptions};

  // Fails the test when the fast scan differs from the plain search; returns
  // the plain result for coverage counts.
  CharacteristicAddresses check(std::string_view text) {
    const CharacteristicAddresses fast = ScanCharacteristicAddresses(text, sgidb1, sgidb3);
    const CharacteristicAddresses plain{WholeTextMatches(text, sgidb1),
                                        WholeTextMatches(text, sgidb3)};
    EXPECT_EQ(fast.sgidb1.count, plain.sgidb1.count) << Escaped(text);
    EXPECT_EQ(fast.sgidb3.count, plain.sgidb3.count) << Escaped(text);
    // Same capture at the same place.
    EXPECT_EQ(fast.sgidb1.firstAddress.data(), plain.sgidb1.firstAddress.data()) << Escaped(text);
    EXPECT_EQ(fast.sgidb1.firstAddress, plain.sgidb1.firstAddress) << Escaped(text);
    EXPECT_EQ(fast.sgidb3.firstAddress.data(), plain.sgidb3.firstAddress.data()) << Escaped(text);
    EXPECT_EQ(fast.sgidb3.firstAddress, plain.sgidb3.firstAddress) << Escaped(text);
    return plain;
  }

  static std::string Escaped(std::string_view text) {
    std::string out;
    for (char c : text)
      out += c == '\r' ? std::string("\\r") : c == '\n' ? "\\n\n" : std::string(1, c);
    return out;
  }
};

// Texts made of lines that are, or nearly are, what the patterns want, with
// all kinds of line ends: blocks that match, overlap, nest or just miss.
std::string RandomText(std::mt19937& random) {
  static const char* const kLines[] = {"/begin CHARACTERISTIC",
                                       "/begin CHARACTERISTIC",
                                       "/BEGIN characteristic",
                                       "/begin CHARACTERISTIC ",
                                       " /begin CHARACTERISTIC",
                                       "/begin CHARACTERISTICS",
                                       "",
                                       "x",
                                       "\"long id\"",
                                       "SGIDB1",
                                       "  sgidb1",
                                       "\tSGIDB3",
                                       "SgIdB3",
                                       "SGIDB1 ",
                                       "SGIDB13",
                                       "SGIDB2",
                                       "0x12",
                                       "  0X34  ",
                                       "\t0x5^6",
                                       "0x",
                                       "0x/begin CHARACTERISTIC",
                                       "/",
                                       "/end",
                                       "VALUE 0x100"};
  static const char* const kEnds[] = {"\r\n", "\r\n", "\r\n", "\r\n",   "\r\n",
                                      "\r\n", "\n",   "\r",   "\r\r\n", "\n\r"};
  std::uniform_int_distribution<size_t> line(0, std::size(kLines) - 1);
  std::uniform_int_distribution<size_t> end(0, std::size(kEnds) - 1);
  std::uniform_int_distribution<int> lines(1, 40);
  static const char* const kNames[] = {"SGIDB1", " sgidb1", "\tSGIDB3", "SGIDB3 "};
  std::string text;
  for (int i = lines(random); i > 0; --i) {
    if (random() % 4 == 0) {  // a block that nearly always matches
      text += std::string("/begin CHARACTERISTIC\r\n") + kLines[line(random)] + "\r\n" +
              kNames[random() % std::size(kNames)] + "\r\n" + kLines[line(random)] + "\r\n" +
              kLines[line(random)] + kEnds[end(random)] + "0x" + kLines[line(random)];
    } else {
      text += kLines[line(random)];
    }
    if (i > 1 || random() % 2) text += kEnds[end(random)];
  }
  return text;
}

TEST(CharacteristicScan, AgreesWithTheWholeTextSearchOnTrickyInputs) {
  ScanComparison compare;
  const char* const fixed[] = {
      "",
      "/begin CHARACTERISTIC\r\nx\r\nSGIDB1\r\nx\r\nx\r\n0x1",
      "/begin CHARACTERISTIC\r\nx\r\nSGIDB1\r\nx\r\nx\r\n0x1\r\n",
      "/begin CHARACTERISTIC\r\nx\r\nSGIDB1\r\nx\r\nx\r\n0x1^\r\n",
      // The second block starts inside the first match: global search skips it.
      "/begin CHARACTERISTIC\r\n/begin CHARACTERISTIC\r\nSGIDB1\r\nSGIDB1\r\nx\r\n0x1\r\n0x2\r\n",
      // A match of one pattern inside a match of the other still counts.
      "/begin CHARACTERISTIC\r\nx\r\nSGIDB1\r\n/begin "
      "CHARACTERISTIC\r\nx\r\nSGIDB3\r\nx\r\nx\r\n0x3",
      "\r/begin CHARACTERISTIC\r\nx\r\nsgidb3\r\nx\r\nx\r\n 0X9\r",
      "\n/begin CHARACTERISTIC\r\nx\r\nSGIDB3\r\nx\r\nx\r\n0x9\n/begin "
      "CHARACTERISTIC\r\nx\r\nSGIDB3\r\n"
      "x\r\nx\r\n0x8",
  };
  for (const char* text : fixed) compare.check(text);

  std::mt19937 random(20240601);
  int single = 0, several = 0;
  for (int i = 0; i < 6000; ++i) {
    const CharacteristicAddresses plain = compare.check(RandomText(random));
    for (const AddressMatches* m : {&plain.sgidb1, &plain.sgidb3}) {
      single += m->count == 1;
      several += m->count >= 2;
    }
    if (::testing::Test::HasFailure()) break;
  }
  // The generator must actually produce both outcomes.
  EXPECT_GT(single, 50);
  EXPECT_GT(several, 5);
}

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> files;
  const std::filesystem::path corpus = "/work/shared/corpus/a2l";
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(corpus, ec))
    if (entry.path().extension() == ".a2l") files.push_back(entry.path().string());
  return files;
}

TEST(CharacteristicScan, RealFilesAgreeAndEndWithTheEcuMessage) {
  const std::vector<std::string> files = CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "no corpus";
  ScanComparison compare;
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const std::string text = fs::ReadAllBytes(file);
    compare.check(text);
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    compare.check(crlf);

    // None of them has an ECU line: the reader says so and crashes on none.
    AppState app;
    Session session;
    test::RecordingHost host;
    Context ctx{app, session, host};
    InitSessionTables(session);
    WriteValue(session.ConfigTable, "A2LFILE", file);
    try {
      ReadA2LData(ctx);
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), 60012);
    }
  }
}

}  // namespace
}  // namespace xkm::a2l
