#include <gtest/gtest.h>

#include "core/traces/duration_counts.h"
#include "core/traces/trace_lines.h"
#include "core/traces/trace_time.h"
#include "support/scratch_folder.h"

namespace xkm::test {
namespace {

TEST(DurationCounts, QuantilesMatchAHandComputedRow) {
  const struct {
    const char* name;
    std::vector<int64_t> durations;
    int percent;
    int64_t expected;
  } kRows[] = {
      // Sorted: 80 90 95 100 105 110 120 300 1500 2048; the 5th and the 10th.
      {"median of ten", {120, 80, 300, 95, 1500, 110, 2048, 90, 100, 105}, 50, 105},
      {"p95 of ten", {120, 80, 300, 95, 1500, 110, 2048, 90, 100, 105}, 95, 2048},
      // 0.95 × 20 is 19 exactly: the 19th, not the 20th.
      {"p95 of twenty",
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20},
       95,
       19},
      {"median of one", {700}, 50, 700},
      {"none", {}, 50, 0},
      {"above 1024 ms, ten significant bits", {123456}, 50, 123392},
  };
  for (const auto& row : kRows) {
    DurationCounts counts;
    for (const int64_t duration : row.durations) counts.add(duration);
    EXPECT_EQ(counts.quantile(row.percent), row.expected) << row.name;
  }
}

TEST(TraceTime, ReadsTheOffsetsStationsWrite) {
  const int64_t utc = *EpochSecondsOf("2026-12-08T07:54:24Z");
  const struct {
    const char* name;
    const char* time;
    std::optional<int64_t> expected;
  } kRows[] = {
      {"an hour east", "2026-12-08T08:54:24+0100", utc},
      {"with a colon", "2026-12-08T08:54:24+01:00", utc},
      {"five hours west, the day before", "2026-12-08T02:54:24-0500", utc},
      {"a day that does not exist", "2026-02-29T08:00:00+0100", std::nullopt},
      {"a blank for the T", "2026-12-08 07:54:24+0000", std::nullopt},
      {"no offset", "2026-12-08T07:54:24", std::nullopt},
      {"a letter for a digit", "2026-12-0xT07:54:24+0000", std::nullopt},
      {"the character before 0 for a digit", "2026-12-08T0/:54:24+0000", std::nullopt},
      {"the 25th hour", "2026-12-08T24:00:00+0000", std::nullopt},
      {"the 61st minute", "2026-12-08T07:60:00+0000", std::nullopt},
      {"a leap second", "2026-12-31T23:59:60+0000", 1798761600},
      {"past a leap second", "2026-12-31T23:59:61+0000", std::nullopt},
  };
  for (const auto& row : kRows) EXPECT_EQ(EpochSecondsOf(row.time), row.expected) << row.name;
  EXPECT_EQ(utc, 1796716464);
}

TEST(TraceLines, SplitsPiecesIntoLines) {
  ScratchFolder folder;
  const std::string longLine(3 << 20, 'x');  // across pieces
  const struct {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
  } kRows[] = {
      {"line breaks of both systems", "a\r\nb\n", {"a", "b"}},
      {"a last line without its break", "a\nb", {"a", "b"}},
      {"an empty line kept in its place", "a\n\nb\n", {"a", "", "b"}},
      {"a line longer than a piece", longLine + "\nz\n", {longLine, "z"}},
      {"nothing", "", {}},
  };
  for (const auto& row : kRows) {
    const std::string path = folder.write("t.log", row.bytes);
    std::vector<std::string> lines;
    ForEachTraceLine(path, [&](const TraceLine& line) {
      EXPECT_EQ(line.number, lines.size() + 1) << row.name;
      lines.emplace_back(line.text);
    });
    EXPECT_EQ(lines, row.lines) << row.name;
  }
}

TEST(TraceLines, AnOverlongLineIsPassedOverNotHeld) {
  ScratchFolder folder;
  const std::string path =
      folder.write("t.log", std::string(kLongestTraceLine + 1, 'x') + "\nnext\n" +
                                std::string(kLongestTraceLine, 'y') + "\n");
  std::vector<std::pair<bool, size_t>> lines;
  ForEachTraceLine(
      path, [&](const TraceLine& line) { lines.emplace_back(line.overlong, line.text.size()); });
  EXPECT_EQ(lines, (std::vector<std::pair<bool, size_t>>{
                       {true, 0}, {false, 4}, {false, kLongestTraceLine}}));
}

}  // namespace
}  // namespace xkm::test
