#include "core/traces/trace_figures_json.h"

#include <algorithm>

namespace xkm {
namespace {

using Json = nlohmann::ordered_json;

template <typename Key, typename Value>
std::vector<std::pair<Key, Value>> SortedByCount(const std::map<Key, Value>& counts,
                                                 uint64_t (*countOf)(const Value&)) {
  std::vector<std::pair<Key, Value>> sorted(counts.begin(), counts.end());
  std::stable_sort(sorted.begin(), sorted.end(), [countOf](const auto& a, const auto& b) {
    return countOf(a.second) > countOf(b.second);
  });
  return sorted;
}

uint64_t Plain(const uint64_t& count) {
  return count;
}
uint64_t OfMessage(const MessageFigure& figure) {
  return figure.count;
}

Json OrNull(const std::string& text) {
  return text.empty() ? Json(nullptr) : Json(text);
}

// Counts by how runs ended, under the names of RunKindName.
Json OutcomeCountsToJson(const OutcomeCounts& counts) {
  Json json = {{"total", counts.total()}};
  for (int kind = 0; kind < kRunKinds; ++kind)
    json[RunKindName(static_cast<RunKind>(kind))] = counts.byKind[static_cast<size_t>(kind)];
  return json;
}

Json Counted(const std::string& name, const std::string& key, const OutcomeCounts& counts) {
  Json entry = {{name, key}};
  entry.update(OutcomeCountsToJson(counts));
  return entry;
}

Json CountedList(const std::string& name, const std::map<std::string, OutcomeCounts>& counts) {
  Json list = Json::array();
  for (const auto& [key, value] : counts) list.push_back(Counted(name, key, value));
  return list;
}

Json Durations(const DurationCounts& counts) {
  return {{"runs", counts.runs()}, {"medianMs", counts.median()}, {"p95Ms", counts.p95()}};
}

Json ToolDurationsToJson(const std::map<std::string, ToolDurations>& durations) {
  Json list = Json::array();
  for (const auto& [tool, counts] : durations) {
    Json entry = {{"tool", tool}};
    entry.update(Durations(counts.all));
    Json days = Json::array();
    for (const auto& [day, dayCounts] : counts.byDay) {
      Json dayEntry = {{"day", day}};
      dayEntry.update(Durations(dayCounts));
      days.push_back(std::move(dayEntry));
    }
    entry["byDay"] = std::move(days);
    list.push_back(std::move(entry));
  }
  return list;
}

Json Runs(const LatestRuns& runs) {
  Json rows = Json::array();
  for (const RunRow& row : runs.rows())
    rows.push_back({{"start", row.start},
                    {"host", row.host},
                    {"order", row.order},
                    {"step", row.step},
                    {"reason", row.reason},
                    {"outcome", row.outcome},
                    {"file", row.file},
                    {"line", row.line}});
  return {{"count", runs.count()}, {"runs", std::move(rows)}};
}

Json Skipped(const TraceFigures& figures) {
  Json lines = Json::array();
  for (const SkippedLine& line : figures.skippedLines())
    lines.push_back({{"file", line.file}, {"line", line.line}, {"reason", line.reason}});
  return {{"count", figures.skippedCount()}, {"lines", std::move(lines)}};
}

}  // namespace

std::vector<std::pair<std::string, uint64_t>> ByCount(
    const std::map<std::string, uint64_t>& counts) {
  return SortedByCount(counts, Plain);
}
std::vector<std::pair<ToolFailure, uint64_t>> ByCount(
    const std::map<ToolFailure, uint64_t>& counts) {
  return SortedByCount(counts, Plain);
}
std::vector<std::pair<int, MessageFigure>> ByCount(const std::map<int, MessageFigure>& counts) {
  return SortedByCount(counts, OfMessage);
}

std::string ToolFailureText(const ToolFailure& failure) {
  if (failure.result == "signal") return "signal " + std::to_string(failure.code);
  if (failure.result == "not-started") return "not started";
  return "exit code " + std::to_string(failure.code);
}

Json TraceFiguresToJson(const TraceFigures& figures) {
  Json json = Json::object();
  json["files"] = figures.files();
  json["since"] = OrNull(figures.since());
  json["until"] = OrNull(figures.until());
  json["runs"] = OutcomeCountsToJson(figures.runs());
  json["byDay"] = CountedList("day", figures.byDay());
  Json steps = Json::array();
  for (const auto& [step, count] : ByCount(figures.failuresByStep()))
    steps.push_back({{"step", step}, {"count", count}});
  json["failuresByStep"] = std::move(steps);
  Json tools = Json::array();
  for (const auto& [failure, count] : ByCount(figures.failuresByTool())) {
    const bool signalled = failure.result == "signal";
    const bool exited = failure.result == "exited";
    tools.push_back({{"tool", failure.tool},
                     {"result", failure.result},
                     {"exitCode", exited ? Json(failure.code) : Json(nullptr)},
                     {"signal", signalled ? Json(failure.code) : Json(nullptr)},
                     {"count", count}});
  }
  json["failuresByTool"] = std::move(tools);
  Json messages = Json::array();
  for (const auto& [number, figure] : ByCount(figures.messages()))
    messages.push_back({{"number", number}, {"count", figure.count}, {"example", figure.example}});
  json["messages"] = std::move(messages);
  json["durations"] = ToolDurationsToJson(figures.durations());
  json["stations"] = CountedList("host", figures.byHost());
  json["layouts"] = CountedList("ecuLayout", figures.byLayout());
  json["failedRuns"] = Runs(figures.failedRuns());
  json["changedInputs"] = Runs(figures.changedInputRuns());
  json["unwrittenReports"] = Runs(figures.lostReportRuns());
  json["skippedLines"] = Skipped(figures);
  json["linesOutsideDays"] = figures.linesOutsideDays();
  return json;
}

}  // namespace xkm
