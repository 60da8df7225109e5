#include "core/traces/trace_figures.h"

#include <algorithm>

#include "core/resources/message_ids.h"
#include "core/traces/trace_time.h"

namespace xkm {
namespace {

// The heap keeps the oldest run at its front, to be pushed out first.
bool Later(const RunRow& a, const RunRow& b) {
  return a.startSeconds != b.startSeconds ? a.startSeconds > b.startSeconds
                                          : a.sequence > b.sequence;
}

// A path's last part, whichever system wrote it: a trace may come from a
// Windows station and be read on Linux, or the other way round.
std::string NameOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The order a run worked on: its container, or its image when none was made.
std::string OrderOf(const TraceEntry& entry) {
  if (!entry.container.empty()) return NameOf(entry.container);
  return entry.image.empty() ? std::string() : NameOf(entry.image);
}

bool InputChanged(const TraceEntry& entry) {
  return !entry.changedInputs.empty() ||
         std::find(entry.messageNumbers.begin(), entry.messageNumbers.end(), msg::kInputChanged) !=
             entry.messageNumbers.end();
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
}

// "ECU / layout" of a run.
std::string LayoutKey(const TraceEntry& entry) {
  return (entry.ecu.empty() ? "(no ECU)" : entry.ecu) + " / " +
         (entry.layout.empty() ? "(no layout)" : entry.layout);
}

}  // namespace

uint64_t OutcomeCounts::total() const {
  uint64_t sum = 0;
  for (uint64_t count : byKind) sum += count;
  return sum;
}

const char* RunKindName(RunKind kind) {
  switch (kind) {
    case RunKind::Completed:
      return "completed";
    case RunKind::CompletedWithMessages:
      return "completedWithMessages";
    case RunKind::Failed:
      return "failed";
    case RunKind::Stopped:
      return "stopped";
  }
  return "failed";
}

void LatestRuns::offer(RunRow row) {
  ++count_;
  if (heap_.size() == capacity_) {
    if (!Later(row, heap_.front())) return;
    std::pop_heap(heap_.begin(), heap_.end(), Later);
    heap_.pop_back();
  }
  heap_.push_back(std::move(row));
  std::push_heap(heap_.begin(), heap_.end(), Later);
}

std::vector<RunRow> LatestRuns::rows() const {
  std::vector<RunRow> rows = heap_;
  std::sort(rows.begin(), rows.end(), Later);
  return rows;
}

TraceFigures::TraceFigures(std::string since, std::string until)
    : since_(std::move(since)), until_(std::move(until)) {}

void TraceFigures::skip(const std::string& file, uint64_t number, std::string reason) {
  ++skippedCount_;
  if (skipped_.size() < kListedSkippedLines) skipped_.push_back({file, number, std::move(reason)});
}

void TraceFigures::addLine(const std::string& file, uint64_t number, std::string_view line,
                           bool overlong) {
  if (overlong) return skip(file, number, "longer than 16 MiB");
  if (line.find_first_not_of(" \t") == std::string_view::npos) return;
  if (std::string reason = ReadTraceEntry(line, entry_); !reason.empty())
    return skip(file, number, std::move(reason));
  const std::string_view day = DayOf(entry_.start);
  if ((!since_.empty() && day < since_) || (!until_.empty() && day > until_)) {
    ++outsideDays_;
    return;
  }
  count(entry_);
  list(entry_, file, number, line);
}

void TraceFigures::count(const TraceEntry& entry) {
  const RunKind kind = entry.kind();
  const std::string day(DayOf(entry.start));
  runs_.add(kind);
  byDay_[day].add(kind);
  byHost_[entry.host].add(kind);
  byLayout_[LayoutKey(entry)].add(kind);
  if (kind == RunKind::Failed) ++failuresByStep_[entry.lastStep];
  for (const TraceTool& tool : entry.tools) {
    ToolDurations& durations = durations_[tool.tool];
    durations.all.add(tool.durationMs);
    durations.byDay[day].add(tool.durationMs);
    if (tool.result == "exited" && tool.exitCode.value_or(0) == 0) continue;
    const int64_t code =
        tool.result == "signal" ? tool.signal.value_or(0) : tool.exitCode.value_or(0);
    ++failuresByTool_[{tool.tool, tool.result, code}];
  }
  for (size_t i = 0; i < entry.messageNumbers.size(); ++i) {
    MessageFigure& figure = messages_[entry.messageNumbers[i]];
    if (figure.count++ == 0) figure.example = entry.messages[i];
  }
}

void TraceFigures::list(const TraceEntry& entry, const std::string& file, uint64_t number,
                        std::string_view line) {
  const RunKind kind = entry.kind();
  const bool failed = kind == RunKind::Failed || kind == RunKind::Stopped;
  const bool changed = InputChanged(entry);
  const bool lost = !entry.lostReport.empty();
  ++sequence_;
  if (!failed && !changed && !lost) return;
  RunRow row;
  row.startSeconds = *EpochSecondsOf(entry.start);
  row.sequence = sequence_;
  row.start = entry.start;
  row.host = entry.host;
  row.order = OrderOf(entry);
  row.step = entry.lastStep;
  row.reason = !entry.lastStepError.empty() ? entry.lastStepError
               : !entry.messages.empty()    ? entry.messages.front()
                                            : entry.outcome;
  row.outcome = RunKindName(kind);
  row.file = file;
  row.line = number;
  row.entry = std::string(line.substr(0, kShownEntryBytes));
  if (failed) failedRuns_.offer(row);
  if (changed) {
    RunRow changedRow = row;
    changedRow.reason = Joined(entry.changedInputs);
    changedInputRuns_.offer(std::move(changedRow));
  }
  if (lost) {
    row.reason = entry.lostReport;
    lostReportRuns_.offer(std::move(row));
  }
}

}  // namespace xkm
