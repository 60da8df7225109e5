#include "cli/command_options.h"

namespace xkm {

const char* const kUsageText =
    "Usage:\n"
    "  xkmtool [XML,HEX,A2L]                         the desktop window\n"
    "  xkmtool --batch [--report FILE] XML,HEX,A2L   one run without a window\n"
    "  xkmtool --library-name FILE                   the name a library file must carry\n"
    "  xkmtool --seal-library FILE                   renames a library file to that name\n"
    "  xkmtool --check-library FILE [--report FILE]  checks a library file without a run\n"
    "  xkmtool --help | --version\n"
    "\n"
    "Exit codes of --batch: 0 completed, 1 a step failed, 2 start-up failed,\n"
    "3 completed with message boxes, 4 stopped, 5 the report could not be written.\n"
    "Exit codes of --check-library: 0 clean, 1 errors, 3 warnings only,\n"
    "2 the file cannot be read, 5 the report could not be written.\n";

CommandOptions ParseCommandOptions(const std::vector<std::string>& arguments) {
  CommandOptions options;
  size_t i = 0;
  for (; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument.rfind("--", 0) != 0) break;
    if (argument == "--batch") {
      options.action = CommandAction::Batch;
    } else if (argument == "--help") {
      options.action = CommandAction::Help;
      return options;
    } else if (argument == "--version") {
      options.action = CommandAction::Version;
      return options;
    } else if (argument == "--library-name" || argument == "--seal-library") {
      if (i + 1 >= arguments.size()) {
        options.action = CommandAction::Invalid;
        options.error = argument + " needs a file name";
        return options;
      }
      options.action =
          argument == "--library-name" ? CommandAction::LibraryName : CommandAction::SealLibrary;
      options.libraryPath = arguments[++i];
      return options;
    } else if (argument == "--check-library") {
      if (i + 1 >= arguments.size()) {
        options.action = CommandAction::Invalid;
        options.error = argument + " needs a file name";
        return options;
      }
      options.action = CommandAction::CheckLibrary;
      options.libraryPath = arguments[++i];
    } else if (argument == "--report" || argument.rfind("--report=", 0) == 0) {
      if (argument == "--report") {
        if (i + 1 >= arguments.size()) {
          options.action = CommandAction::Invalid;
          options.error = "--report needs a file name";
          return options;
        }
        options.reportPath = arguments[++i];
      } else {
        options.reportPath = argument.substr(9);
      }
    } else {
      options.action = CommandAction::Invalid;
      options.error = "unknown option " + argument;
      return options;
    }
  }
  if (options.action == CommandAction::CheckLibrary && i < arguments.size()) {
    options.action = CommandAction::Invalid;
    options.error = "--check-library takes no process command line";
    return options;
  }
  for (; i < arguments.size(); ++i) {
    if (!options.commandLine.empty()) options.commandLine += ' ';
    options.commandLine += arguments[i];
  }
  return options;
}

}  // namespace xkm
