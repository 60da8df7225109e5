#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xkm {

// How a run ended, as the trace report counts it: a completed run that showed
// a message box counts apart from one that did not.
enum class RunKind { Completed, CompletedWithMessages, Failed, Stopped };
inline constexpr int kRunKinds = 4;

// One tool run of a trace line, without its command line.
struct TraceTool {
  std::string step;
  std::string tool;
  std::string result;  // "exited", "signal" or "not-started"
  std::optional<int64_t> exitCode;
  std::optional<int64_t> signal;
  int64_t durationMs = 0;
};

// The facts of one trace line that the trace report reads. Kept from line to
// line and cleared, so that reading a long trace does not allocate per line.
struct TraceEntry {
  std::string start;
  std::string host;
  std::string ecu;
  std::string layout;
  std::string outcome;
  std::string container;  // the container's path; empty when none was written
  std::string image;      // the program image's path
  // A run ends at the step that failed or was stopped: its last step.
  std::string lastStep;
  std::string lastStepError;
  std::vector<TraceTool> tools;
  std::vector<std::string> messages;
  std::vector<int> messageNumbers;         // of each message; 0 for one without a number
  std::vector<std::string> changedInputs;  // the inputs with an "atEnd"
  std::string lostReport;                  // the report that could not be written
  bool hasSteps = false;
  bool hasTools = false;
  bool hasMessages = false;

  void clear();
  RunKind kind() const;
};

// Reads `line` into `entry`. Empty when it is a trace line, else why not
// ("not JSON: …", "no \"start\" time", …).
std::string ReadTraceEntry(std::string_view line, TraceEntry& entry);

}  // namespace xkm
