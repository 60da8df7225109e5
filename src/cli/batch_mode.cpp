#include "cli/batch_mode.h"

#include <optional>
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
namespace {

int ExitCodeOf(RunOutcome outcome, BatchHost& host) {
  switch (outcome) {
    case RunOutcome::Failed:
      return kExitStepFailed;
    case RunOutcome::Stopped:
      return kExitStopped;
    case RunOutcome::Completed:
      break;
  }
  return host.messages().empty() ? kExitCompleted : kExitCompletedWithMessages;
}

}  // namespace

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

  // The report is written before the trace line, so that the line can say
  // whether the caller got it; only a message the trace itself adds (it
  // could not be written) makes the report written again. A stream takes
  // the report once, at the end.
  std::optional<size_t> reportedMessages;
  std::string lostReason;
  runner.setBeforeTrace([&](RunRecord& record) {
    if (reportFile.path().empty() || reportFile.isStream()) return;
    report.outcome = RunOutcomeName(record.outcome);
    report.exitCode = ExitCodeOf(record.outcome, host);
    reportedMessages = host.messages().size();
    lostReason = reportFile.tryWrite(ReportFile::Text(ReportToJson(report)));
    record.report = ReportRecord{reportFile.path(), lostReason.empty(), lostReason};
  });
  host.setStopHandler([&runner] { runner.Stop(); });
  RunOutcome outcome = runner.RunProcess();
  host.setStopHandler({});

  report.outcome = RunOutcomeName(outcome);
  report.exitCode = ExitCodeOf(outcome, host);
  if (reportedMessages == host.messages().size()) {
    if (lostReason.empty()) return report.exitCode;
    err << "xkmtool: cannot write the report " << reportFile.path() << ": " << lostReason
        << std::endl;
    return ReportFile::ExitCodeWhenLost(report.exitCode);
  }
  return reportFile.write(ReportToJson(report), report.exitCode, err);
}

}  // namespace xkm
