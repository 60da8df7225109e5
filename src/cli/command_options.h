#pragma once

#include <string>
#include <vector>

namespace xkm {

enum class CommandAction {
  Gui,
  Batch,
  Help,
  Version,
  LibraryName,
  SealLibrary,
  CheckLibrary,
  Invalid
};

struct CommandOptions {
  CommandAction action = CommandAction::Gui;
  std::string reportPath;
  std::string libraryPath;  // --library-name / --seal-library / --check-library
  std::string commandLine;  // the arguments after the options, joined by single blanks
  std::string error;        // why the options are invalid
};

// Options start with "--" and come first; the rest is the process command line.
CommandOptions ParseCommandOptions(const std::vector<std::string>& arguments);

extern const char* const kUsageText;

}  // namespace xkm
