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
  Preview,
  CompareLibrary,
  TraceReport,
  Invalid
};

struct CommandOptions {
  CommandAction action = CommandAction::Gui;
  std::string reportPath;
  std::string libraryPath;              // --library-name / --seal-library / --check-library
  std::string previewFolder;            // --preview
  std::string libraryFile;              // --library
  std::string compareLibrary;           // --compare-library
  std::vector<std::string> traceFiles;  // --orders, or the traces of --trace-report
  std::string tracePage;                // --trace-report
  std::string since;                    // --since (YYYY-MM-DD)
  std::string until;                    // --until (YYYY-MM-DD)
  std::string commandLine;              // the arguments after the options, joined by single blanks
  std::string error;                    // why the options are invalid
};

// Options start with "--" and come first; the rest is the process command line.
// One mode at a time, and nothing after an option that takes no command line.
CommandOptions ParseCommandOptions(const std::vector<std::string>& arguments);

// The usage text, made from the declared options.
std::string UsageText();

}  // namespace xkm
