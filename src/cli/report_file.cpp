#include "cli/report_file.h"

#include <ostream>

#include "cli/batch_mode.h"
#include "core/platform/error.h"
#include "core/platform/os/file_system.h"

namespace xkm {

ReportFile::ReportFile(const std::string& path)
    : path_(path.empty() ? "" : fs::MakeAbsolute(path)) {
  if (path_.empty()) return;
  try {
    fs::DeleteFile(path_);
  } catch (const Error&) {
    // Nothing there, or something that cannot be removed: the write at the
    // end then fails and says why.
  }
}

int ReportFile::write(const nlohmann::ordered_json& report, int exitCode, std::ostream& err) const {
  if (path_.empty()) return exitCode;
  try {
    const std::string text =
        report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    fs::WriteFileAtomic(path_, text + "\n");
    return exitCode;
  } catch (const std::exception& e) {
    err << "xkmtool: cannot write the report " << path_ << ": " << AsError(e).description()
        << std::endl;
  }
  const bool failureAlreadyTold =
      exitCode == kExitStepFailed || exitCode == kExitStartupFailed || exitCode == kExitStopped;
  return failureAlreadyTold ? exitCode : kExitReportLost;
}

}  // namespace xkm
