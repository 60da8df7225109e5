#pragma once

#include <cstdint>
#include <string>

namespace xkm {

// One run of an external tool, as the operator needs it to see why a step
// found no file: what was started, how it ended and what it said.
// Every member has its default, so that a run can be named by the fields that matter.
struct ToolRun {
  std::string step{};  // the process step that ran it
  std::string tool{};  // its key in the tool configuration
  std::string commandLine{};
  bool started = false;      // false when it could not be started at all
  std::string startError{};  // then the system's reason
  bool running = false;      // true while it runs
  int exitCode = -1;         // its exit status when it exited
  int signal = 0;            // the signal that ended it, 0 when it exited
  int64_t durationMs = 0;
  std::string stdoutTail{};  // the last 4 KB of its standard output
  std::string stderrTail{};  // the last 4 KB of its standard error
};

}  // namespace xkm
