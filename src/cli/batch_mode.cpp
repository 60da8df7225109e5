#include "cli/batch_mode.h"

#include <ostream>

#include "cli/batch_host.h"
#include "cli/batch_report.h"
#include "cli/report_file.h"
#include "core/session/context.h"
#include "core/shell/run_record.h"
#include "core/shell/runner.h"
#include "core/shell/startup.h"
#include "core/toolchain/tool_chain.h"

namespace xkm {

int RunBatch(AppState& app, const BatchOptions& options, std::ostream& out, std::ostream& err) {
  BatchHost host(out, err);
  Session session;
  Context context{app, session, host};
  Runner runner(context, MakeToolChain);
  ReportFile reportFile(options.reportPath);
  if (const std::string refusal = reportFile.prepare(InputPathsIn(options.commandLine));
      !refusal.empty()) {
    err << "xkmtool: " << refusal << "\n";
    return kExitStartupFailed;
  }

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
    return reportFile.write(ReportToJson(report), report.exitCode, err);
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
  return reportFile.write(ReportToJson(report), report.exitCode, err);
}

}  // namespace xkm
