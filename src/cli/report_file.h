#pragma once

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

namespace xkm {

// The file named by --report: absent until the end of the run, then written
// in one step, so that what lies there is always this run's.
class ReportFile {
 public:
  // Removes a report of an earlier run at `path` (made absolute here, since
  // a run changes the current folder); no file when `path` is empty.
  explicit ReportFile(const std::string& path);

  // Writes `report`; when it cannot be written, says so on `err` with the
  // path and the reason and returns the exit code that says so: kExitReportLost,
  // unless `exitCode` already tells of a failure (1, 2 or 4).
  int write(const nlohmann::ordered_json& report, int exitCode, std::ostream& err) const;

 private:
  std::string path_;
};

}  // namespace xkm
