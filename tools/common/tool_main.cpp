#include "common/tool_main.h"

#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>

#include "common/file_io.h"
#include "common/text.h"
#include "common/tool_error.h"

#ifdef _WIN32
#include <windows.h>
// windows.h first
#include <shellapi.h>
#endif

namespace xkm::tools {
namespace {

enum class FaultMode { kNone, kCrash, kExit, kNoFiles };

FaultMode ReadFaultMode(const std::string& toolName) {
  const std::string variable = "XKM_TOOL_FAIL_" + ToUpperAscii(toolName);
  const char* value = std::getenv(variable.c_str());
  if (value == nullptr) return FaultMode::kNone;
  const std::string mode = value;
  if (mode == "crash") return FaultMode::kCrash;
  if (mode == "exit") return FaultMode::kExit;
  if (mode == "nofiles") return FaultMode::kNoFiles;
  return FaultMode::kNone;
}

// One line per call, written with a single append (the line is far shorter
// than the stream's buffer), so that lines of tools run one after the other
// never interleave.
void LogArgv(const std::string& toolName, const std::vector<std::string>& args) {
  const char* logPath = std::getenv("XKM_TOOL_ARGV_LOG");
  if (logPath == nullptr || *logPath == '\0') return;
  std::string line = toolName;
  for (const std::string& arg : args) line += " <" + arg + ">";
  line += "\n";
  std::ofstream log(NativePath(logPath), std::ios::binary | std::ios::app);
  log.write(line.data(), static_cast<std::streamsize>(line.size()));
}

#ifdef _WIN32
// The command line as Unicode, each argument as UTF-8: the C runtime's narrow
// argv holds only what the ANSI code page can spell.
std::vector<std::string> Arguments(int, char**) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide != nullptr && i < count; ++i) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), size, nullptr, nullptr);
    text.pop_back();  // the terminating NUL
    args.push_back(std::move(text));
  }
  LocalFree(wide);
  return args;
}
#else
std::vector<std::string> Arguments(int argc, char** argv) {
  return {argv + (argc > 0 ? 1 : 0), argv + argc};
}
#endif

}  // namespace

int RunToolMain(const std::string& toolName, int argc, char** argv, const ToolWork& work) {
  const std::vector<std::string> args = Arguments(argc, argv);
  LogArgv(toolName, args);
  const FaultMode mode = ReadFaultMode(toolName);
  if (mode == FaultMode::kCrash) std::abort();
  if (mode == FaultMode::kNoFiles) return 0;

  int exitCode = 0;
  try {
    exitCode = work(args);
  } catch (const ToolError& error) {
    std::cerr << toolName << ": " << error.what() << "\n";
    exitCode = error.exitCode();
  } catch (const std::exception& error) {
    std::cerr << toolName << ": " << error.what() << "\n";
    exitCode = 2;
  }
  return mode == FaultMode::kExit ? 3 : exitCode;
}

}  // namespace xkm::tools
