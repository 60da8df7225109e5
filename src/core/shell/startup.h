#pragma once

#include <string>
#include <vector>

#include "core/session/app_state.h"
#include "core/session/host.h"
#include "core/shell/process_step.h"

namespace xkm {

inline constexpr const char* kStartupErrorTitle = "Error while initializing application";

// Fills in the executable's folder and name from the running executable.
void LocateExecutable(AppState& app);

// The program's name from its file's name: without its extension, so that
// "xkmtool.exe" reads "xkmtool.ini"; a name that only starts with a dot keeps it.
std::string ProgramNameOf(const std::string& fileName);

// The executable's own INI file: <folder>/<name>.ini.
std::string OwnIniPath(const AppState& app);

// Parses "XML,HEX,A2L" into the three input paths (trimmed, checked to exist,
// then made absolute). A blank command line sets nothing. Raises error msg::kFailure
// with the reason.
void ReadCommandLine(AppState& app, const std::string& commandLine);

// The paths "XML,HEX,A2L" names, as the run would take them (trimmed, made
// absolute), whether or not they exist; none for a command line that is not
// three paths or names one the system cannot place.
std::vector<std::string> InputPathsIn(const std::string& commandLine);

// A path as typed into the input dialog, as the run takes it: without the
// blanks around it, made absolute. Raises for a path the system cannot place.
std::string InputPathOf(const std::string& typed);

// Shows the input dialog and, unless it is cancelled, takes its three paths
// (trimmed, made absolute) as the inputs of the next run. False when cancelled;
// the inputs then stay as they were.
[[nodiscard]] bool TakeInputsFromDialog(AppState& app, Host& host);

struct StartupResult {
  bool ok = false;
  std::string failureMessage;  // the text of the one failure box
  std::vector<ProcessStep> steps;
};

// Start-up: configuration, input paths (command line or dialog), the process
// list and the operator's user data. Any failure shows one box titled
// "Error while initializing application" and gives ok = false.
StartupResult RunStartup(AppState& app, Host& host, const std::string& commandLine);

}  // namespace xkm
