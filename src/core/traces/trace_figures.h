#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/traces/duration_counts.h"
#include "core/traces/trace_entry.h"

namespace xkm {

// Runs counted by how they ended (RunKind).
struct OutcomeCounts {
  std::array<uint64_t, kRunKinds> byKind{};
  void add(RunKind kind) { ++byKind[static_cast<size_t>(kind)]; }
  uint64_t of(RunKind kind) const { return byKind[static_cast<size_t>(kind)]; }
  uint64_t total() const;
};

// A tool run that did not end with exit code 0: the tool and how it ended.
struct ToolFailure {
  std::string tool;
  std::string result;  // "exited", "signal" or "not-started"
  int64_t code = 0;    // the exit code or the signal
  bool operator<(const ToolFailure& other) const {
    return std::tie(tool, result, code) < std::tie(other.tool, other.result, other.code);
  }
};

struct MessageFigure {
  uint64_t count = 0;
  std::string example;  // the first text seen with this number
};

struct ToolDurations {
  DurationCounts all;
  std::map<std::string, DurationCounts> byDay;
};

// One run in a list of the page: where it stands in the traces and the facts
// a row shows; `entry` is the whole line, shown on the page.
struct RunRow {
  int64_t startSeconds = 0;
  uint64_t sequence = 0;  // order of reading, between runs of the same second
  std::string start;
  std::string host;
  std::string order;
  std::string step;
  std::string reason;
  std::string outcome;
  std::string file;
  uint64_t line = 0;
  std::string entry;
};

// The latest `capacity` runs of a kind by start time, whatever the order the
// trace files are read in.
class LatestRuns {
 public:
  explicit LatestRuns(size_t capacity) : capacity_(capacity) {}
  void offer(RunRow row);
  uint64_t count() const { return count_; }
  // Latest first.
  std::vector<RunRow> rows() const;

 private:
  size_t capacity_;
  uint64_t count_ = 0;
  std::vector<RunRow> heap_;  // the oldest kept at the front
};

struct SkippedLine {
  std::string file;
  uint64_t line = 0;
  std::string reason;
};

// How many runs a list of the page shows, and how many skipped lines it names.
inline constexpr size_t kListedRuns = 50;
inline constexpr size_t kListedSkippedLines = 200;
// The part of a trace line the page shows in full for a listed run.
inline constexpr size_t kShownEntryBytes = size_t{64} * 1024;

// The trace report's figures, gathered line by line in room that grows with
// the days, stations, layouts, tools and message numbers seen, never with the
// number of lines.
class TraceFigures {
 public:
  // `since` and `until` (YYYY-MM-DD, empty for open) bound the runs counted
  // by their start's local day.
  TraceFigures(std::string since, std::string until);

  void addFile(const std::string& path) { files_.push_back(path); }
  // One line of `file`: a run counted, a line outside the days passed over,
  // or a line that is no trace line counted as skipped.
  void addLine(const std::string& file, uint64_t number, std::string_view line, bool overlong);

  const std::vector<std::string>& files() const { return files_; }
  const std::string& since() const { return since_; }
  const std::string& until() const { return until_; }
  const OutcomeCounts& runs() const { return runs_; }
  const std::map<std::string, OutcomeCounts>& byDay() const { return byDay_; }
  const std::map<std::string, OutcomeCounts>& byHost() const { return byHost_; }
  const std::map<std::string, OutcomeCounts>& byLayout() const { return byLayout_; }
  const std::map<std::string, uint64_t>& failuresByStep() const { return failuresByStep_; }
  const std::map<ToolFailure, uint64_t>& failuresByTool() const { return failuresByTool_; }
  const std::map<int, MessageFigure>& messages() const { return messages_; }
  const std::map<std::string, ToolDurations>& durations() const { return durations_; }
  const LatestRuns& failedRuns() const { return failedRuns_; }
  const LatestRuns& changedInputRuns() const { return changedInputRuns_; }
  const LatestRuns& lostReportRuns() const { return lostReportRuns_; }
  uint64_t skippedCount() const { return skippedCount_; }
  const std::vector<SkippedLine>& skippedLines() const { return skipped_; }
  uint64_t linesOutsideDays() const { return outsideDays_; }

 private:
  void skip(const std::string& file, uint64_t number, std::string reason);
  void count(const TraceEntry& entry);
  void list(const TraceEntry& entry, const std::string& file, uint64_t number,
            std::string_view line);

  std::string since_;
  std::string until_;
  std::vector<std::string> files_;
  TraceEntry entry_;
  uint64_t sequence_ = 0;
  OutcomeCounts runs_;
  std::map<std::string, OutcomeCounts> byDay_;
  std::map<std::string, OutcomeCounts> byHost_;
  std::map<std::string, OutcomeCounts> byLayout_;
  std::map<std::string, uint64_t> failuresByStep_;
  std::map<ToolFailure, uint64_t> failuresByTool_;
  std::map<int, MessageFigure> messages_;
  std::map<std::string, ToolDurations> durations_;
  LatestRuns failedRuns_{kListedRuns};
  LatestRuns changedInputRuns_{kListedRuns};
  LatestRuns lostReportRuns_{kListedRuns};
  uint64_t skippedCount_ = 0;
  std::vector<SkippedLine> skipped_;
  uint64_t outsideDays_ = 0;
};

const char* RunKindName(RunKind kind);

}  // namespace xkm
