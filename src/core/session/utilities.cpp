#include "core/session/utilities.h"

#include <chrono>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/os/ini_reader.h"
#include "core/platform/os/process.h"
#include "core/platform/text/cp1252.h"
#include "core/session/conversions.h"
#include "core/session/host.h"

namespace xkm {

namespace {
constexpr size_t kIniValueLimit = 255;
}

std::string ReadIniValue(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& defaultValue) {
  std::string value = ReadPrivateProfileString(file, section, key, defaultValue);
  if (value.size() > kIniValueLimit) {
    // The limit counts characters; INI text is single-byte on disk.
    value = std::string(Utf8Head(value, kIniValueLimit));
  }
  return value;
}

void SplitPath(std::string& path, std::string& fileName) {
  size_t separator = fs::LastSeparator(path);
  if (separator == std::string::npos) throw platform_error::InvalidProcedureCall("SplitPath");
  fileName = path.substr(separator + 1);
  path.resize(separator);
}

ToolRun RunAndCapture(Host& host, const std::string& commandLine, const ChildControl& control,
                      const std::string& workingFolder) {
  ToolRun run;
  run.commandLine = commandLine;
  const auto start = std::chrono::steady_clock::now();
  // A tool's output never reaches the state lines and messages this program
  // prints; it is kept for the record of the run instead.
  ProcessOutcome outcome =
      RunCommandLine(commandLine, {.output = ChildOutput::Capture,
                                   .workingFolder = workingFolder,
                                   .whileWaiting = [&host](auto time) { host.waitForEvents(time); },
                                   .control = control});
  run.durationMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now() - start)
                       .count();
  run.started = outcome.started;
  run.startError = std::move(outcome.startError);
  run.exitCode = outcome.exitCode;
  run.signal = outcome.signal;
  run.stdoutTail = std::move(outcome.stdoutTail);
  run.stderrTail = std::move(outcome.stderrTail);
  return run;
}

std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t at = text.find(separator); at != std::string_view::npos;
       at = text.find(separator, start)) {
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string ReplaceAll(std::string_view text, std::string_view search,
                       std::string_view replacement) {
  if (search.empty()) return std::string(text);
  std::string result;
  result.reserve(text.size());
  size_t start = 0;
  for (size_t p = text.find(search); p != std::string_view::npos; p = text.find(search, start)) {
    result.append(text, start, p - start);
    result.append(replacement);
    start = p + search.size();
  }
  result.append(text, start);
  return result;
}

bool IsBlank(std::string_view value) {
  return TrimBlanks(value).empty();
}

bool IsBlank(const std::optional<std::string>& value) {
  return value && IsBlank(*value);
}

std::string NullToEmpty(const std::optional<std::string>& value) {
  return value ? *value : "";
}

}  // namespace xkm
