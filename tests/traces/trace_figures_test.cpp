#include "core/traces/trace_figures.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/scratch_folder.h"

namespace xkm::test {
namespace {

// Real runs' trace lines, in the order the sample tools' faults made them.
enum RealRun { kSt10, kTc, kQsrExit, kZovenCrash, kLenwatchNoFiles, kStopped, kInputChanged };

const std::vector<std::string>& RealLines() {
  static const std::vector<std::string> kLines = [] {
    std::vector<std::string> lines;
    const std::string text = ReadFileBytes(XKM_TEST_DATA "/traces/real_runs.log");
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
      lines.push_back(text.substr(at, end - at));
    return lines;
  }();
  return kLines;
}

// A real run's line moved to `start`, on `host`.
std::string RunAt(RealRun run, const std::string& start, const std::string& host = "ST-1") {
  nlohmann::ordered_json entry = nlohmann::ordered_json::parse(RealLines().at(run));
  entry["start"] = start;
  entry["host"] = host;
  return entry.dump();
}

std::string Without(RealRun run, const std::string& field) {
  nlohmann::ordered_json entry = nlohmann::ordered_json::parse(RealLines().at(run));
  entry.erase(field);
  return entry.dump();
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

void Feed(TraceFigures& figures, const std::vector<std::string>& lines) {
  uint64_t number = 0;
  for (const std::string& line : lines) figures.addLine("runs.log", ++number, line, false);
}

TEST(TraceFigures, CountsEachRunByDayAndOutcome) {
  TraceFigures figures("", "");
  Feed(figures,
       {RunAt(kSt10, "2026-12-01T08:00:00+0100"), RunAt(kTc, "2026-12-01T23:59:59+0100"),
        RunAt(kZovenCrash, "2026-12-01T09:00:00+0100"), RunAt(kStopped, "2026-12-02T00:00:00+0100"),
        RunAt(kInputChanged, "2026-12-02T10:00:00-0500"),
        RunAt(kLenwatchNoFiles, "2026-12-02T11:00:00+0100")});
  const struct {
    const char* name;
    const char* day;
    RunKind kind;
    uint64_t runs;
  } kRows[] = {
      {"completed on the first day", "2026-12-01", RunKind::Completed, 2},
      {"failed on the first day", "2026-12-01", RunKind::Failed, 1},
      {"the station's local day, not UTC's", "2026-12-02", RunKind::Stopped, 1},
      {"a message makes its own kind", "2026-12-02", RunKind::CompletedWithMessages, 1},
      {"failed on the second day", "2026-12-02", RunKind::Failed, 1},
      {"none completed plainly on the second day", "2026-12-02", RunKind::Completed, 0},
  };
  for (const auto& row : kRows)
    EXPECT_EQ(figures.byDay().at(row.day).of(row.kind), row.runs) << row.name;
}

TEST(TraceFigures, NamesWhyALineIsNoTraceLine) {
  const std::string real = RealLines().at(kSt10);
  const struct {
    const char* name;
    std::string line;
    std::string reason;
  } kRows[] = {
      {"a real run", real, ""},
      {"cut off by a crash mid-write", real.substr(0, 700), "not JSON (at byte 701)"},
      {"no start", Without(kSt10, "start"), "no \"start\" time"},
      {"a start that is no time", RunAt(kSt10, "yesterday"), "no \"start\" time"},
      {"an older version without steps", Without(kSt10, "steps"), "no \"steps\""},
      {"no tools", Without(kSt10, "tools"), "no \"tools\""},
      {"no host", Without(kSt10, "host"), "no \"host\""},
      {"an outcome this version does not know", R"({"start":"2026-12-01T08:00:00+0100",
        "host":"a","outcome":"aborted","steps":[],"tools":[],"messages":[]})",
       "no known \"outcome\""},
      {"JSON, but no object", "[1,2]", "no \"start\" time"},
      {"a duration past any clock",
       Replaced(real, "\"durationMs\":", "\"durationMs\":1e300,\"x\":"),
       "a tool without name or duration"},
  };
  TraceEntry entry;
  for (const auto& row : kRows) EXPECT_EQ(ReadTraceEntry(row.line, entry), row.reason) << row.name;
}

TEST(TraceFigures, SkippedLinesAreCountedAndNamedNotFatal) {
  TraceFigures figures("", "");
  Feed(figures, {RealLines().at(kSt10), "{\"start\":\"2026-12-0", "", RealLines().at(kTc)});
  figures.addLine("other.log", 9, "", true);
  EXPECT_EQ(figures.runs().total(), 2U);
  EXPECT_EQ(figures.skippedCount(), 2U);  // the blank line is no line at all
  ASSERT_EQ(figures.skippedLines().size(), 2U);
  EXPECT_EQ(figures.skippedLines()[0].file + ":" + std::to_string(figures.skippedLines()[0].line),
            "runs.log:2");
  EXPECT_EQ(figures.skippedLines()[1].reason, "longer than 16 MiB");
}

TEST(TraceFigures, SinceAndUntilCountTheDaysBetween) {
  const std::vector<std::string> lines = {
      RunAt(kSt10, "2026-11-30T23:59:59+0100"), RunAt(kSt10, "2026-12-01T00:00:00+0100"),
      RunAt(kSt10, "2026-12-02T12:00:00+0100"), RunAt(kSt10, "2026-12-03T00:00:00+0100")};
  const struct {
    const char* name;
    const char* since;
    const char* until;
    uint64_t runs;
  } kRows[] = {
      {"open", "", "", 4},
      {"since is inclusive", "2026-12-01", "", 3},
      {"until is inclusive", "", "2026-12-02", 3},
      {"one day", "2026-12-02", "2026-12-02", 1},
      {"no run in the days", "2026-12-04", "", 0},
  };
  for (const auto& row : kRows) {
    TraceFigures figures(row.since, row.until);
    Feed(figures, lines);
    EXPECT_EQ(figures.runs().total(), row.runs) << row.name;
  }
}

TEST(TraceFigures, FailuresMessagesAndChangedInputsOfRealRuns) {
  TraceFigures figures("", "");
  Feed(figures, RealLines());
  const auto failures = [&](const std::string& tool, const std::string& result, int64_t code) {
    const auto found = figures.failuresByTool().find({tool, result, code});
    return found == figures.failuresByTool().end() ? 0 : found->second;
  };
  const struct {
    const char* name;
    uint64_t got;
    uint64_t expected;
  } kRows[] = {
      {"a checksum tool's exit code", failures("QSR", "exited", 3), 1},
      {"a packer's crash", failures("ZOVEN", "signal", 6), 1},
      {"failed in the conversion", figures.failuresByStep().at("RUN_BCB_CONVERSION"), 1},
      {"failed in the packing", figures.failuresByStep().at("RUN_BCB2MIM_CONVERSION"), 1},
      {"the changed input's message", figures.messages().at(60048).count, 1},
      {"the run with a changed input", figures.changedInputRuns().count(), 1},
      {"failed or stopped", figures.failedRuns().count(), 3},
      {"no report lost", figures.lostReportRuns().count(), 0},
      {"the checksum tool ran in all but the failed conversion",
       figures.durations().at("QSR").all.runs(), 6},
  };
  for (const auto& row : kRows) EXPECT_EQ(row.got, row.expected) << row.name;
  // The latest is the stopped run, which wrote no container.
  const RunRow latest = figures.failedRuns().rows().front();
  EXPECT_EQ(latest.order + " " + latest.step + " " + latest.reason,
            "ecu_st10.hex RUN_BCB_CONVERSION stopped");
}

TEST(TraceFigures, ARunWhoseReportWasNotWrittenIsListed) {
  nlohmann::ordered_json entry = nlohmann::ordered_json::parse(RealLines().at(kSt10));
  entry["report"] = {{"path", "C:\\line\\r.json"}, {"written", false}};
  TraceFigures figures("", "");
  Feed(figures, {entry.dump(), RealLines().at(kTc)});
  ASSERT_EQ(figures.lostReportRuns().count(), 1U);
  EXPECT_EQ(figures.lostReportRuns().rows().front().reason, "C:\\line\\r.json");
}

TEST(LatestRuns, KeepsTheLatestByStartWhateverTheReadingOrder) {
  LatestRuns latest(3);
  for (const int64_t second : {50, 10, 90, 70, 20, 80, 60}) {
    RunRow row;
    row.startSeconds = second;
    latest.offer(row);
  }
  std::vector<int64_t> kept;
  for (const RunRow& row : latest.rows()) kept.push_back(row.startSeconds);
  EXPECT_EQ(kept, (std::vector<int64_t>{90, 80, 70}));
  EXPECT_EQ(latest.count(), 7U);
}

}  // namespace
}  // namespace xkm::test
