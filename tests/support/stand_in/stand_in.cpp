// A stand-in for an external tool, for the tests: one program whose behaviour
// is a list of actions, so that no test needs a shell script (which Wine
// cannot run). The actions are the lines of the environment variable
// XKM_STAND_IN, and then all arguments are the tool's own; without that
// variable the arguments are the actions, up to an optional "--" after which
// come the tool's own arguments.
//
//   out=TEXT, err=TEXT   TEXT to stdout/stderr; "\n" is a line break and {N}
//                        the tool's N-th argument (from 1)
//   fill-out=N:C         N copies of the character C to stdout (fill-err: stderr)
//   touch=PATH           creates an empty file
//   copy=FROM>TO         copies a file
//   link=TARGET>PATH     replaces PATH by a symbolic link to TARGET
//   hardlink=TARGET>PATH replaces PATH by a hard link to TARGET
//   remove=PATH          removes a file
//   wait-for=PATH        waits until PATH exists; exit 9 after two minutes
//   sleep=MS             sleeps
//   run=PROGRAM          runs PROGRAM with the tool's arguments; its exit code
//                        becomes ours unless a later action changes it
//   trap                 crashes (SIGILL; an exception status on Windows)
//   exit=N               ends with N at once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/platform/os/path.h"
#include "core/platform/os/process.h"
#include "core/platform/os/this_process.h"
#include "core/toolchain/command_text.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string Expand(const std::string& text, const std::vector<std::string>& arguments) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "\\n") == 0) {
      result += '\n';
      ++i;
    } else if (text[i] == '{' && i + 2 < text.size() && text[i + 2] == '}' && text[i + 1] >= '1' &&
               text[i + 1] <= '9') {
      const size_t index = static_cast<size_t>(text[i + 1] - '1');
      if (index < arguments.size()) result += arguments[index];
      i += 2;
    } else {
      result += text[i];
    }
  }
  return result;
}

int Run(const std::string& program, const std::vector<std::string>& arguments) {
  std::string line = "\"" + program + "\"";
  for (const std::string& argument : arguments) line += " " + xkm::QuoteArgument(argument);
  const xkm::ProcessOutcome outcome = xkm::RunCommandLine(line);
  return outcome.started ? outcome.exitCode : 127;
}

// Performs one action; a value above -1 ends the program with it.
int Perform(const std::string& action, const std::vector<std::string>& arguments, int& exitCode) {
  const size_t equals = action.find('=');
  const std::string name = action.substr(0, equals);
  const std::string value = equals == std::string::npos ? "" : action.substr(equals + 1);
  if (name == "out" || name == "err") {
    (name == "out" ? std::cout : std::cerr) << Expand(value, arguments) << std::flush;
  } else if (name == "fill-out" || name == "fill-err") {
    const size_t colon = value.find(':');
    const std::string fill(std::stoul(value.substr(0, colon)), value.at(colon + 1));
    (name == "fill-out" ? std::cout : std::cerr) << fill << std::flush;
  } else if (name == "touch") {
    std::ofstream(xkm::fs::NativePath(value), std::ios::binary | std::ios::app);
  } else if (name == "copy") {
    const size_t arrow = value.find('>');
    // Removed first: MinGW's copy_file refuses to overwrite under Wine.
    const std::filesystem::path to = xkm::fs::NativePath(value.substr(arrow + 1));
    std::filesystem::remove(to);
    std::filesystem::copy_file(xkm::fs::NativePath(value.substr(0, arrow)), to);
  } else if (name == "link" || name == "hardlink") {
    const size_t arrow = value.find('>');
    const std::filesystem::path path = xkm::fs::NativePath(value.substr(arrow + 1));
    const std::filesystem::path target = xkm::fs::NativePath(value.substr(0, arrow));
    std::filesystem::remove(path);
    if (name == "link")
      std::filesystem::create_symlink(target, path);
    else
      std::filesystem::create_hard_link(target, path);
  } else if (name == "remove") {
    std::filesystem::remove(xkm::fs::NativePath(value));
  } else if (name == "wait-for") {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!std::filesystem::exists(xkm::fs::NativePath(value))) {
      if (std::chrono::steady_clock::now() > deadline) return 9;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  } else if (name == "sleep") {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(value)));
  } else if (name == "run") {
    exitCode = Run(value, arguments);
  } else if (name == "trap") {
    __builtin_trap();
  } else if (name == "exit") {
    return std::stoi(value);
  } else {
    std::cerr << "stand-in: unknown action " << action << "\n";
    return 125;
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  xkm::UseBinaryStandardStreams();
  std::vector<std::string> actions;
  std::vector<std::string> arguments = xkm::ProgramArguments(argc, argv);
  if (const char* fromEnvironment = std::getenv("XKM_STAND_IN")) {
    actions = Lines(fromEnvironment);
  } else {
    auto separator = std::find(arguments.begin(), arguments.end(), "--");
    actions.assign(arguments.begin(), separator);
    arguments.erase(arguments.begin(), separator == arguments.end() ? separator : separator + 1);
  }
  int exitCode = 0;
  for (const std::string& action : actions) {
    const int end = Perform(action, arguments, exitCode);
    if (end >= 0) return end;
  }
  return exitCode;
}
