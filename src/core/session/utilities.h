#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/os/process.h"
#include "core/session/tool_run.h"

namespace xkm {

class Host;

// One value of an INI file (see ReadPrivateProfileString for the rules), cut
// to its first 255 characters; a missing file, section or key gives the default.
std::string ReadIniValue(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& defaultValue);

// Splits a path at its last separator: `path` becomes the folder part (without
// the separator), `fileName` the rest. A path without a separator raises
// error 5.
void SplitPath(std::string& path, std::string& fileName);

// Runs a tool and waits for it, never through a shell, while the host's
// pending events run. Returns the record of the run: how it ended, how long it took and
// the last 4 KB of its standard output and error, which reach no screen.
// Step and tool are left for the caller to fill in; `control` may end the tool.
// It runs in `workingFolder` (see RunCommandLine).
ToolRun RunAndCapture(Host& host, const std::string& commandLine, const ChildControl& control = {},
                      const std::string& workingFolder = {});

// The parts of `text` between its `separator`s: one more part than separators.
std::vector<std::string_view> SplitAt(std::string_view text, char separator);

// Every non-overlapping occurrence of `search` replaced, left to right; text a
// replacement brings in is not searched again. No length limit.
std::string ReplaceAll(std::string_view text, std::string_view search,
                       std::string_view replacement);

// True when the value trimmed of blanks is empty; a null value is not blank.
bool IsBlank(std::string_view value);
inline bool IsBlank(const std::string& value) {
  return IsBlank(std::string_view(value));
}
inline bool IsBlank(const char* value) {
  return IsBlank(std::string_view(value));
}
bool IsBlank(const std::optional<std::string>& value);

std::string NullToEmpty(const std::optional<std::string>& value);

}  // namespace xkm
