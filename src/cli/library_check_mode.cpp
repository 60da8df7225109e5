#include "cli/library_check_mode.h"

#include <ostream>

#include "cli/batch_mode.h"
#include "cli/report_file.h"
#include "core/platform/error.h"
#include "core/platform/os/file_system.h"

namespace xkm {
namespace {

size_t CountOf(const std::vector<Finding>& findings, Severity severity) {
  size_t count = 0;
  for (const Finding& finding : findings)
    if (finding.severity == severity) ++count;
  return count;
}

std::string Counted(size_t count, const char* what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

}  // namespace

nlohmann::ordered_json LibraryCheckToJson(const std::string& libraryPath,
                                          const std::vector<Finding>& findings) {
  nlohmann::ordered_json json = nlohmann::ordered_json::object();
  json["library"] = libraryPath;
  json["findings"] = nlohmann::ordered_json::array();
  for (const Finding& finding : findings) {
    json["findings"].push_back({{"file", libraryPath},
                                {"line", finding.line},
                                {"column", finding.column},
                                {"severity", SeverityName(finding.severity)},
                                {"text", finding.text}});
  }
  json["errors"] = CountOf(findings, Severity::Error);
  json["warnings"] = CountOf(findings, Severity::Warning);
  json["exitCode"] = CheckExitCode(findings);
  return json;
}

int RunLibraryCheck(const std::string& libraryPath, const std::string& reportPath,
                    std::ostream& out, std::ostream& err) {
  ReportFile reportFile(reportPath);
  std::vector<std::string> inputs;
  try {
    inputs.push_back(fs::MakeAbsolute(libraryPath));
  } catch (const Error&) {
    // A path the system cannot place is reported by the check itself.
  }
  if (const std::string refusal = reportFile.prepare(inputs); !refusal.empty()) {
    err << "xkmtool: " << refusal << "\n";
    return kExitStartupFailed;
  }
  std::vector<Finding> findings;
  try {
    findings = CheckLibraryFile(libraryPath);
  } catch (const Error& e) {
    err << "xkmtool: " << libraryPath << ": " << e.numberAndDescription() << "\n";
    return kExitStartupFailed;
  }
  for (const Finding& finding : findings) out << FormatFinding(libraryPath, finding) << "\n";
  out.flush();
  err << "xkmtool: " << libraryPath << ": " << Counted(CountOf(findings, Severity::Error), "error")
      << ", " << Counted(CountOf(findings, Severity::Warning), "warning") << "\n";
  return reportFile.write(LibraryCheckToJson(libraryPath, findings), CheckExitCode(findings), err);
}

}  // namespace xkm
