#include "cli/trace_report_mode.h"

#include <algorithm>
#include <ostream>

#include "cli/report_file.h"
#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/os/path.h"
#include "core/session/exit_codes.h"
#include "core/traces/trace_figures.h"
#include "core/traces/trace_figures_json.h"
#include "core/traces/trace_lines.h"
#include "core/traces/trace_page.h"
#include "core/traces/trace_time.h"

namespace xkm {
namespace {

// Whether a file found in a trace folder is no trace: this report's own
// outputs (a report kept beside the traces is not read back the next time)
// or what an interrupted write left.
bool PassedOver(const std::string& folder, const std::string& name,
                const std::vector<std::string>& outputs) {
  if (name.rfind(fs::kTemporaryPrefix, 0) == 0) return true;
  const std::string path = fs::MakeAbsolute(folder + fs::kSeparator + name);
  return std::any_of(outputs.begin(), outputs.end(),
                     [&path](const std::string& output) { return fs::SameFileName(path, output); });
}

// The trace files named: a folder stands for the regular files directly in
// it, by name, but `outputs` (absolute); a path that is neither throws.
std::vector<std::string> TraceFiles(const std::vector<std::string>& named,
                                    const std::vector<std::string>& outputs) {
  std::vector<std::string> files;
  for (const std::string& path : named) {
    if (fs::FolderExists(path)) {
      std::vector<std::string> names = fs::ListFiles(path);
      std::sort(names.begin(), names.end());
      for (const std::string& name : names)
        if (!PassedOver(path, name, outputs)) files.push_back(path + fs::kSeparator + name);
    } else if (fs::FileExists(path)) {
      files.push_back(path);
    } else {
      throw Error(platform_error::kFileNotFound, path + ": no such trace file or folder");
    }
  }
  return files;
}

// Why the days cannot bound the report, else empty.
std::string DaysFault(const TraceReportOptions& options) {
  for (const std::string* day : {&options.since, &options.until})
    if (!day->empty() && !IsIsoDay(*day)) return "not a day (YYYY-MM-DD): " + *day;
  if (!options.since.empty() && !options.until.empty() && options.since > options.until)
    return "--since " + options.since + " is after --until " + options.until;
  return {};
}

void Summarize(const TraceFigures& figures, std::ostream& out, std::ostream& err) {
  const OutcomeCounts& runs = figures.runs();
  out << runs.total() << " runs: " << runs.of(RunKind::Completed) << " completed, "
      << runs.of(RunKind::CompletedWithMessages) << " completed with messages, "
      << runs.of(RunKind::Failed) << " failed, " << runs.of(RunKind::Stopped) << " stopped; "
      << figures.skippedCount() << " lines skipped\n";
  for (const SkippedLine& line : figures.skippedLines())
    err << "xkmtool: " << line.file << ":" << line.line << ": skipped, " << line.reason << "\n";
  if (figures.skippedCount() > figures.skippedLines().size())
    err << "xkmtool: and " << figures.skippedCount() - figures.skippedLines().size()
        << " more lines skipped\n";
}

}  // namespace

int RunTraceReport(const TraceReportOptions& options, std::ostream& out, std::ostream& err) {
  if (const std::string fault = DaysFault(options); !fault.empty()) {
    err << "xkmtool: " << fault << "\n";
    return kExitStartupFailed;
  }
  ReportFile page(options.page);
  ReportFile report(options.reportPath);
  TraceFigures figures(options.since, options.until);
  try {
    for (const std::string& file : TraceFiles(options.traces, {page.path(), report.path()}))
      figures.addFile(file);
  } catch (const std::exception& e) {
    err << "xkmtool: " << AsError(e).description() << "\n";
    return kExitStartupFailed;
  }
  if (!report.path().empty() && fs::SameFileName(page.path(), report.path())) {
    err << "xkmtool: the page and --report name the same file\n";
    return kExitStartupFailed;
  }
  for (ReportFile* output : {&page, &report})
    if (const std::string refusal = output->prepare(figures.files()); !refusal.empty()) {
      err << "xkmtool: " << refusal << "\n";
      return kExitStartupFailed;
    }
  for (const std::string& file : figures.files()) {
    try {
      ForEachTraceLine(file, [&](const TraceLine& line) {
        figures.addLine(file, line.number, line.text, line.overlong);
      });
    } catch (const std::exception& e) {
      err << "xkmtool: " << file << ": the trace cannot be read: " << AsError(e).description()
          << "\n";
      return kExitStartupFailed;
    }
  }
  Summarize(figures, out, err);
  const int code = figures.skippedCount() > 0 ? kExitCompletedWithMessages : kExitCompleted;
  const int pageCode = page.writeText(TraceReportPage(figures), code, err);
  const int reportCode = report.write(TraceFiguresToJson(figures), code, err);
  return std::max(pageCode, reportCode);
}

}  // namespace xkm
