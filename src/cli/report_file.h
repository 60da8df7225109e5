#pragma once

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/os/file_system.h"

namespace xkm {

// The file named by --report. Decided on before the run starts, and nothing
// that is not the run's own is ever removed, replaced or written through:
// a regular file there (an earlier report) is removed at the start, and the
// report is written in one step at the end, so that what lies there is this
// run's report or nothing; a device or FIFO (/dev/stdout) is written where
// it is.
class ReportFile {
 public:
  // `path` is made absolute here, since a run changes the current folder;
  // nothing is touched yet. No report when `path` is empty.
  explicit ReportFile(const std::string& path);

  // Before the run: refuses a path that names one of `inputs` (by name or as
  // the same file), a folder claim or what cannot take a report, and removes
  // an earlier report. The reason when the run must not start, else empty.
  [[nodiscard]] std::string prepare(const std::vector<std::string>& inputs);

  // Writes `report`; when it cannot be written, says so on `err` with the
  // path and the reason and returns the exit code that says so: kExitReportLost,
  // unless `exitCode` already tells of a failure (1, 2 or 4). A file that
  // appeared at the path during the run (the container itself, say) is not
  // replaced.
  int write(const nlohmann::ordered_json& report, int exitCode, std::ostream& err) const;
  // The same for a report that is not JSON (a page).
  int writeText(const std::string& text, int exitCode, std::ostream& err) const;
  // Writes `text`; why it could not, else empty. The file this object wrote
  // last, untouched since, may be replaced by a newer report of the same run.
  std::string tryWrite(const std::string& text) const;

  const std::string& path() const { return path_; }
  // Whether it is written into a stream (/dev/stdout, a FIFO), which takes a
  // report once and cannot have it replaced.
  bool isStream() const { return kind_ == fs::NodeKind::Stream; }

  // A JSON report's bytes.
  static std::string Text(const nlohmann::ordered_json& report);
  // The exit code of a run that ended with `exitCode` and lost its report:
  // kExitReportLost, unless the code already tells of a failure (1, 2 or 4).
  static int ExitCodeWhenLost(int exitCode);

 private:
  std::string path_;
  fs::NodeKind kind_ = fs::NodeKind::Missing;     // as prepare() left it
  mutable std::optional<fs::FileStamp> written_;  // the file this object wrote
};

}  // namespace xkm
