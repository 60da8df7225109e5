#include <iostream>
#include <string>
#include <vector>

#include "cli/batch_host.h"
#include "cli/batch_mode.h"
#include "cli/command_options.h"
#include "cli/library_check_mode.h"
#include "cli/library_compare_mode.h"
#include "cli/preview_mode.h"
#include "cli/trace_report_mode.h"
#include "core/library/library_loader.h"
#include "core/platform/error.h"
#include "core/platform/os/this_process.h"
#include "core/session/app_state.h"
#include "core/shell/startup.h"

#ifdef XKM_WITH_GUI
#include "gui/gui_main.h"
#endif
#ifdef XKM_WINDOW_MODULE
#include "core/platform/os/file_system.h"
#include "core/platform/os/path.h"
#include "core/platform/os/program_module.h"
#endif

namespace {

#ifdef XKM_WINDOW_MODULE
// Loads the window from its module beside the program and runs it.
int RunWindowModule(int argc, char** argv, const std::string& commandLine) {
  using WindowEntry = int (*)(int, char**, const char*);
  const std::string modulePath =
      xkm::fs::FolderOf(xkm::fs::ExecutablePath()) + xkm::fs::kSeparator + XKM_WINDOW_MODULE;
  std::string reason;
  auto* entry = reinterpret_cast<WindowEntry>(  // NOLINT: the module's entry has this type
      xkm::LoadModuleEntry(modulePath, "XkmRunWindow", reason));
  if (entry == nullptr) {
    std::cerr << "xkmtool: the desktop window cannot be loaded (" << reason << "); use --batch\n";
    return xkm::kExitStartupFailed;
  }
  xkm::RestoreStopRequests();
  return entry(argc, argv, commandLine.c_str());
}
#endif

// The modes that read the configuration beside the executable, as a run does.
int RunWithConfiguration(const xkm::CommandOptions& options) {
  xkm::AppState app;
  xkm::LocateExecutable(app);
  switch (options.action) {
    case xkm::CommandAction::Preview:
      return xkm::RunPreview(
          app,
          {options.previewFolder, options.libraryFile, options.commandLine, options.reportPath},
          std::cout, std::cerr);
    case xkm::CommandAction::CompareLibrary:
      return xkm::RunLibraryCompare(
          app,
          {options.compareLibrary, options.libraryFile, options.traceFiles, options.reportPath},
          std::cout, std::cerr);
    default:
      return xkm::RunBatch(app, {options.commandLine, options.reportPath}, std::cout, std::cerr);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything else: a stop request must never end a run half-way.
  xkm::WatchStopRequests();
  xkm::ExitDistinctlyOnAbort();
  // Rows, boxes and reports are the same bytes on every platform.
  xkm::UseBinaryStandardStreams();
  std::vector<std::string> arguments = xkm::ProgramArguments(argc, argv);
  xkm::CommandOptions options = xkm::ParseCommandOptions(arguments);

  switch (options.action) {
    case xkm::CommandAction::Help:
      std::cout << xkm::UsageText();
      return 0;
    case xkm::CommandAction::Version:
      std::cout << "xkmtool " << XKM_VERSION << "\n";
      return 0;
    case xkm::CommandAction::LibraryName:
    case xkm::CommandAction::SealLibrary:
      try {
        if (options.action == xkm::CommandAction::LibraryName)
          std::cout << xkm::LibraryFileName(options.libraryPath) << "\n";
        else
          std::cout << xkm::SealLibraryFile(options.libraryPath) << "\n";
        return 0;
      } catch (const std::exception& e) {
        std::cerr << "xkmtool: " << options.libraryPath << ": "
                  << xkm::AsError(e).numberAndDescription() << "\n";
        return xkm::kExitStartupFailed;
      }
    case xkm::CommandAction::CheckLibrary:
      return xkm::RunLibraryCheck(options.libraryPath, options.reportPath, std::cout, std::cerr);
    case xkm::CommandAction::TraceReport:
      return xkm::RunTraceReport(
          {options.tracePage, options.reportPath, options.since, options.until, options.traceFiles},
          std::cout, std::cerr);
    case xkm::CommandAction::Invalid:
      std::cerr << "xkmtool: " << options.error << "\n" << xkm::UsageText();
      return xkm::kExitStartupFailed;
    case xkm::CommandAction::Batch:
    case xkm::CommandAction::Preview:
    case xkm::CommandAction::CompareLibrary:
      return RunWithConfiguration(options);
    case xkm::CommandAction::Gui:
#ifdef XKM_WITH_GUI
      xkm::RestoreStopRequests();
      return xkm::RunGui(argc, argv, options.commandLine);
#elif defined(XKM_WINDOW_MODULE)
      return RunWindowModule(argc, argv, options.commandLine);
#elif defined(XKM_WINDOW_PROGRAM)
      std::cerr << "xkmtool: the desktop window is " XKM_WINDOW_PROGRAM
                   "; this program is the batch mode\n"
                << xkm::UsageText();
      return xkm::kExitStartupFailed;
#else
      std::cerr << "xkmtool: this build has no desktop window; use --batch\n" << xkm::UsageText();
      return xkm::kExitStartupFailed;
#endif
  }
  return xkm::kExitStartupFailed;
}
