#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>

#include "support/installed_process.h"

namespace xkm::test {
namespace {

// The real runs' lines: three completed (one with a tool's exit code), two
// failed, one stopped, one completed with a changed input.
std::string RealLines(size_t from, size_t to) {
  const std::string text = ReadFileBytes(XKM_TEST_DATA "/traces/real_runs.log");
  size_t begin = 0;
  for (size_t i = 0; i < from; ++i) begin = text.find('\n', begin) + 1;
  size_t end = begin;
  for (size_t i = from; i < to; ++i) end = text.find('\n', end) + 1;
  return text.substr(begin, end - begin);
}

class TraceReport : public ::testing::Test, public InstalledTool {
 protected:
  ChildResult report(std::vector<std::string> traces, std::vector<std::string> options = {}) {
    std::vector<std::string> arguments = {"--trace-report", file("page.html")};
    arguments.insert(arguments.end(), options.begin(), options.end());
    for (const std::string& trace : traces) arguments.push_back(file(trace));
    return run(arguments);
  }
  nlohmann::json figures() const {
    return nlohmann::json::parse(ReadFileBytes(file("figures.json")));
  }
};

TEST_F(TraceReport, SeveralFilesAndAFolderOfThemMerge) {
  write("a.log", RealLines(0, 3));
  write("station2/b.log", RealLines(3, 5));
  write("station2/c.log", RealLines(5, 7));
  const ChildResult result = report({"a.log", "station2"}, {"--report", file("figures.json")});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const nlohmann::json runs = figures()["runs"];
  const struct {
    const char* name;
    const char* field;
    int runs;
  } kRows[] = {
      {"all files", "total", 7},
      {"completed", "completed", 3},
      {"with messages", "completedWithMessages", 1},
      {"failed", "failed", 2},
      {"stopped", "stopped", 1},
  };
  for (const auto& row : kRows) EXPECT_EQ(runs[row.field], row.runs) << row.name;
  EXPECT_EQ(figures()["files"].size(), 3U);
}

// A report kept in the folder of the traces it reads is not read back, nor
// refused as an input, the next time.
TEST_F(TraceReport, TheReportBesideItsTracesIsNoTrace) {
  write("traces/runs.log", RealLines(0, 7));
  for (int time = 1; time <= 2; ++time) {
    const ChildResult result = run({"--trace-report", file("traces/page.html"), "--report",
                                    file("traces/figures.json"), file("traces")});
    EXPECT_EQ(result.exitCode, 0) << time << result.err;
  }
  EXPECT_EQ(nlohmann::json::parse(ReadFileBytes(file("traces/figures.json")))["files"].size(), 1U);
}

TEST_F(TraceReport, ExitCodes) {
  write("runs.log", RealLines(0, 7));
  write("crashed.log", RealLines(0, 2) + "{\"start\":\"2026-12-08T07:5\n");
  const struct {
    const char* name;
    std::vector<std::string> traces;
    std::vector<std::string> options;
    int exitCode;
  } kRows[] = {
      {"every line a run", {"runs.log"}, {}, 0},
      {"a line cut by a crash", {"crashed.log"}, {}, 3},
      {"a trace that is not there", {"gone.log"}, {}, 2},
      {"a day that is no day", {"runs.log"}, {"--since", "2026-13-01"}, 2},
      {"the figures named like a trace", {"runs.log"}, {"--report", file("runs.log")}, 2},
      {"the figures in a folder that is not there",
       {"runs.log"},
       {"--report", file("none/figures.json")},
       5},
  };
  for (const auto& row : kRows)
    EXPECT_EQ(report(row.traces, row.options).exitCode, row.exitCode) << row.name;
  EXPECT_EQ(ReadFileBytes(file("runs.log")), RealLines(0, 7));
}

TEST_F(TraceReport, ASkippedLineIsNamedByFileAndLine) {
  write("crashed.log", RealLines(0, 2) + "{\"start\":\"2026-12-08T07:5\n" + RealLines(2, 3));
  const ChildResult result = report({"crashed.log"}, {"--report", file("figures.json")});
  ASSERT_EQ(result.exitCode, 3) << result.err;
  EXPECT_EQ(figures()["skippedLines"]["lines"][0]["line"], 3);
  EXPECT_EQ(figures()["runs"]["total"], 3);
  EXPECT_NE(result.err.find("crashed.log:3: skipped"), std::string::npos) << result.err;
}

TEST_F(TraceReport, ThePageFetchesNothing) {
  write("runs.log", RealLines(0, 7));
  ASSERT_EQ(report({"runs.log"}).exitCode, 0);
  const std::string page = ReadFileBytes(file("page.html"));
  const std::regex reference(R"((src|href)\s*=\s*["']?\s*(https?:|//))", std::regex::icase);
  EXPECT_FALSE(std::regex_search(page, reference));
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_NE(page.find("<svg class=\"chart\""), std::string::npos);
  EXPECT_NE(page.find("href=\"#run-1\""), std::string::npos);
  EXPECT_NE(page.find("id=\"run-1\""), std::string::npos);
}

}  // namespace
}  // namespace xkm::test
