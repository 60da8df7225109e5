#include "core/traces/trace_page.h"

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "support/scratch_folder.h"

namespace xkm::test {
namespace {

// The real failed run (a packer's crash), changed by `change`.
std::string FailedRun(const std::function<void(nlohmann::ordered_json&)>& change) {
  const std::string text = ReadFileBytes(XKM_TEST_DATA "/traces/real_runs.log");
  size_t at = 0;
  for (int line = 0; line < 3; ++line) at = text.find('\n', at) + 1;
  nlohmann::ordered_json entry =
      nlohmann::ordered_json::parse(text.substr(at, text.find('\n', at) - at));
  change(entry);
  return entry.dump();
}

TEST(TracePage, ShowsWhatItIsGiven) {
  const struct {
    const char* name;
    std::string line;
    std::string shown;
  } kRows[] = {
      // A whole line is shown indented; a line cut at the page's limit as it is.
      {"an entry longer than the page shows",
       FailedRun([](auto& entry) { entry["userData"]["NOTE"] = std::string(70000, 'n'); }),
       "nnn …</pre>"},
      {"tools that took no time (a coarse clock)", FailedRun([](auto& entry) {
         for (auto& tool : entry["tools"]) tool["durationMs"] = 0;
       }),
       ">0 ms</td>"},
      {"text of the line is escaped", FailedRun([](auto& entry) { entry["host"] = "<b>ST-1</b>"; }),
       "&lt;b&gt;ST-1&lt;/b&gt;"},
  };
  for (const auto& row : kRows) {
    TraceFigures figures("", "");
    figures.addLine("runs.log", 1, row.line, false);
    EXPECT_NE(TraceReportPage(figures).find(row.shown), std::string::npos) << row.name;
  }
}

}  // namespace
}  // namespace xkm::test
