#include "cli/command_options.h"

#include <CLI/CLI.hpp>

namespace xkm {
namespace {

constexpr const char* kExitCodes =
    "Exit codes of --batch: 0 completed, 1 a step failed, 2 start-up failed,\n"
    "3 completed with message boxes, 4 stopped, 5 the report could not be written.\n"
    "Exit codes of --check-library: 0 clean, 1 errors, 3 warnings only,\n"
    "2 the file cannot be read, 5 the report could not be written.\n"
    "Exit codes of --preview: 0 a run would reach its tools, 1 a step before\n"
    "them would fail, 3 a run would show messages, 2 usage or unreadable inputs,\n"
    "5 the report could not be written.\n"
    "Exit codes of --compare-library: 0 every order the same, 3 some differ,\n"
    "1 a preview fails with one library only, 2 usage or unreadable traces,\n"
    "5 the report could not be written.\n"
    "Exit codes of --trace-report: 0 the page written, 3 written but lines were\n"
    "skipped, 2 usage or unreadable traces, 5 the page or report could not be written.\n"
    "--batch, --preview, --compare-library, --trace-report, --library-name, --seal-library,\n"
    "--check-library and --version exclude each other. A wrong command line exits with 2\n"
    "and this text.";

// The declarations' own words, without CLI11's notes on which options exclude
// which (the footer says it once).
class UsageFormatter : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App*, std::string name) const override {
    return "Usage: " + name + " [OPTIONS] [XML,HEX,A2L]\n";
  }
  std::string make_option_opts(const CLI::Option* option) const override {
    return option->get_type_size() != 0 ? " " + option->get_type_name() : std::string();
  }
};

// The options as declared once: the parser and the usage text both come from
// here. Everything after the options is the process command line (XML,HEX,A2L),
// which may itself begin with "-".
struct Declared {
  CLI::App app{
      "xkmtool: production data for the engine control unit.\n"
      "Without an option, the desktop window (on the process command line\n"
      "XML,HEX,A2L, or the files it asks for).",
      "xkmtool"};
  bool batch = false;
  bool version = false;
  std::string report;
  std::string libraryName;
  std::string sealLibrary;
  std::string checkLibrary;
  std::string preview;
  std::string library;
  std::string compareLibrary;
  std::vector<std::string> orders;
  std::string tracePage;
  std::string since;
  std::string until;
  CLI::Option* batchOption;
  CLI::Option* reportOption;
  CLI::Option* libraryOption;
  CLI::Option* ordersOption;
  CLI::Option* sinceOption;
  CLI::Option* untilOption;
  std::vector<CLI::Option*> modes;

  Declared() {
    app.prefix_command();
    app.formatter(std::make_shared<UsageFormatter>());
    app.set_help_flag("--help", "this text");
    app.footer(kExitCodes);
    batchOption = app.add_flag("--batch", batch, "one run without a window on XML,HEX,A2L");
    reportOption = app.add_option("--report", report,
                                  "the JSON report of --batch, --check-library, --preview, "
                                  "--compare-library or --trace-report")
                       ->type_name("FILE");
    libraryOption = app.add_option("--library", library,
                                   "the library --preview uses, or --compare-library compares "
                                   "with, instead of the one beside the program; its name need "
                                   "not carry the checksum yet")
                        ->type_name("FILE");
    ordersOption =
        app.add_option("--orders", orders,
                       "trace files whose orders --compare-library previews with both libraries")
            ->type_name("TRACE...");
    sinceOption = app.add_option("--since", since,
                                 "--trace-report counts the runs that started on this day or later")
                      ->type_name("YYYY-MM-DD");
    untilOption =
        app.add_option("--until", until,
                       "--trace-report counts the runs that started on this day or earlier")
            ->type_name("YYYY-MM-DD");
    modes = {batchOption,
             app.add_option("--library-name", libraryName, "the name a library file must carry")
                 ->type_name("FILE"),
             app.add_option("--seal-library", sealLibrary, "renames a library file to that name")
                 ->type_name("FILE"),
             app.add_option("--check-library", checkLibrary, "checks a library file without a run")
                 ->type_name("FILE"),
             app.add_flag("--version", version, "the program's version"),
             app.add_option("--preview", preview,
                            "writes into FOLDER (new or empty) the files a run of XML,HEX,A2L "
                            "would hand its tools, and preview.json; starts no tool and touches "
                            "nothing else")
                 ->type_name("FOLDER"),
             app.add_option("--compare-library", compareLibrary,
                            "previews the orders of --orders with this library and the other one "
                            "and says which would come out different")
                 ->type_name("FILE"),
             app.add_option("--trace-report", tracePage,
                            "writes one HTML page of the runs in the trace files (or folders of "
                            "them) given after the options: TRACE...")
                 ->type_name("FILE.html")};
    // One mode at a time: "--check-library F --batch" never quietly runs a batch.
    for (CLI::Option* mode : modes)
      for (CLI::Option* other : modes)
        if (mode != other) mode->excludes(other);
  }

  CommandAction action() const {
    // In the order of `modes`.
    constexpr CommandAction kActions[] = {
        CommandAction::Batch,          CommandAction::LibraryName, CommandAction::SealLibrary,
        CommandAction::CheckLibrary,   CommandAction::Version,     CommandAction::Preview,
        CommandAction::CompareLibrary, CommandAction::TraceReport};
    for (size_t i = 0; i < modes.size(); ++i)
      if (modes[i]->count() > 0) return kActions[i];
    return CommandAction::Gui;
  }
};

CommandOptions Invalid(const std::string& why) {
  CommandOptions options;
  options.action = CommandAction::Invalid;
  options.error = why;
  return options;
}

}  // namespace

std::string UsageText() {
  return Declared().app.help();
}

CommandOptions ParseCommandOptions(const std::vector<std::string>& arguments) {
  Declared declared;
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    declared.app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    CommandOptions help;
    help.action = CommandAction::Help;
    return help;
  } catch (const CLI::ParseError& e) {
    return Invalid(e.what());
  }
  CommandOptions options;
  options.action = declared.action();
  options.reportPath = declared.report;
  options.libraryPath = declared.libraryName + declared.sealLibrary + declared.checkLibrary;
  options.previewFolder = declared.preview;
  options.libraryFile = declared.library;
  options.compareLibrary = declared.compareLibrary;
  options.traceFiles = declared.orders;
  options.tracePage = declared.tracePage;
  options.since = declared.since;
  options.until = declared.until;
  const std::vector<std::string> rest = declared.app.remaining();
  if (!rest.empty() && rest.front().rfind("--", 0) == 0)
    return Invalid("unknown option " + rest.front());
  const bool takesCommandLine = options.action == CommandAction::Gui ||
                                options.action == CommandAction::Batch ||
                                options.action == CommandAction::Preview;
  const bool tracing = options.action == CommandAction::TraceReport;
  if (!rest.empty() && !takesCommandLine && !tracing)
    return Invalid("no process command line goes with this option: " + rest.front());
  if (declared.reportOption->count() > 0 && options.action != CommandAction::Batch &&
      options.action != CommandAction::CheckLibrary && options.action != CommandAction::Preview &&
      options.action != CommandAction::CompareLibrary && !tracing)
    return Invalid(
        "--report goes with --batch, --check-library, --preview, --compare-library or "
        "--trace-report");
  const bool comparing = options.action == CommandAction::CompareLibrary;
  if (declared.libraryOption->count() > 0 && options.action != CommandAction::Preview && !comparing)
    return Invalid("--library goes with --preview or --compare-library");
  if ((declared.ordersOption->count() > 0) != comparing)
    return Invalid("--orders goes with --compare-library, which needs it");
  if ((declared.sinceOption->count() > 0 || declared.untilOption->count() > 0) && !tracing)
    return Invalid("--since and --until go with --trace-report");
  if (tracing) {
    if (rest.empty()) return Invalid("--trace-report needs one or more trace files or folders");
    for (const std::string& trace : rest)
      if (trace.rfind("--", 0) == 0) return Invalid("options come before the traces: " + trace);
    options.traceFiles = rest;
    return options;
  }
  if (options.action == CommandAction::Preview && rest.empty())
    return Invalid("--preview needs the process command line XML,HEX,A2L");
  for (const std::string& part : rest) {
    if (!options.commandLine.empty()) options.commandLine += ' ';
    options.commandLine += part;
  }
  return options;
}

}  // namespace xkm
