#include "cli/batch_mode.h"

#include <ostream>

#include "cli/batch_host.h"
#include "cli/batch_report.h"
#include "core/platform/error.h"
#include "core/platform/file_system.h"
#include "core/session/context.h"
#include "core/shell/run_record.h"
#include "core/shell/runner.h"
#include "core/shell/startup.h"

namespace xkm {
namespace {

void WriteReport(const std::string& path, const BatchReport& report, std::ostream& err) {
  if (path.empty()) return;
  try {
    std::string text =
        ReportToJson(report).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    fs::WriteFileAtomic(path, text + "\n");
  } catch (const std::exception& e) {
    // The run's outcome stands; a report that cannot be written (memory
    // included) is said on stderr.
    err << "xkmtool: cannot write the report: " << AsError(e).description() << std::endl;
  }
}

}  // namespace

int RunBatch(AppState& app, const BatchOptions& options, std::ostream& out, std::ostream& err) {
  BatchHost host(out, err);
  Session session;
  Context context{app, session, host};
  Runner runner(context);
  // The report names the folder the operator gave it, whatever the run does
  // to the current folder.
  const std::string reportPath =
      options.reportPath.empty() ? "" : fs::MakeAbsolute(options.reportPath);

  BatchReport report;
  report.rows = &host.rows();
  report.messages = &host.messages();
  report.steps = &runner.steps();
  report.session = &session;
  report.app = &app;

  StartupResult startup = RunStartup(app, host, options.commandLine);
  if (!startup.ok) {
    report.outcome = "startup-failed";
    report.exitCode = kExitStartupFailed;
    WriteReport(reportPath, report, err);
    return report.exitCode;
  }
  runner.setSteps(std::move(startup.steps));

  host.setStopHandler([&runner] { runner.Stop(); });
  RunOutcome outcome = runner.RunProcess();
  host.setStopHandler({});

  report.outcome = RunOutcomeName(outcome);
  switch (outcome) {
    case RunOutcome::Failed:
      report.exitCode = kExitStepFailed;
      break;
    case RunOutcome::Stopped:
      report.exitCode = kExitStopped;
      break;
    case RunOutcome::Completed:
      report.exitCode = host.messages().empty() ? kExitCompleted : kExitCompletedWithMessages;
      break;
  }
  WriteReport(reportPath, report, err);
  return report.exitCode;
}

}  // namespace xkm
