#include "cli/report_file.h"

#include <ostream>

#include "cli/batch_mode.h"
#include "core/platform/error.h"
#include "core/platform/os/path.h"
#include "core/toolchain/folder_claim.h"

namespace xkm {
namespace {

// The input that `path` names, by name or as the same file; empty for none.
std::string InputNamedBy(const std::string& path, const std::vector<std::string>& inputs) {
  const std::optional<fs::FileStamp> target = fs::StampOf(path);
  for (const std::string& input : inputs) {
    if (fs::SameFileName(path, input)) return input;
    const std::optional<fs::FileStamp> stamp = fs::StampOf(input);
    if (target && stamp && stamp->sameFileAs(*target)) return input;
  }
  return {};
}

}  // namespace

ReportFile::ReportFile(const std::string& path)
    : path_(path.empty() ? "" : fs::MakeAbsolute(path)) {}

std::string ReportFile::prepare(const std::vector<std::string>& inputs) {
  if (path_.empty()) return {};
  const std::string prefix = "the report " + path_ + " ";
  if (const std::string input = InputNamedBy(path_, inputs); !input.empty())
    return prefix + "would replace the input file " + input;
  // Removing it would end the claim of the run that works in that folder.
  if (fs::SameFileName(fs::FileNameOf(path_), kFolderLockName))
    return prefix + "would replace a run's folder claim";
  // /dev/stdout names whatever the caller made of it, a file too: written
  // there, never removed.
  kind_ = fs::NamesOwnStandardStream(path_) ? fs::NodeKind::Stream : fs::KindOf(path_);
  switch (kind_) {
    case fs::NodeKind::Folder:
      return prefix + "is a folder";
    case fs::NodeKind::Other:
      return prefix + "is neither a file, a character device nor a FIFO";
    case fs::NodeKind::Stream:
      return {};
    case fs::NodeKind::File:
    case fs::NodeKind::Missing:
      break;
  }
  // An earlier report (or a dangling link) must not pass for this run's.
  kind_ = fs::NodeKind::Missing;
  if (!fs::AnythingAt(path_)) return {};
  try {
    fs::DeleteFile(path_);
  } catch (const std::exception& e) {
    return prefix + "of an earlier run cannot be removed: " + AsError(e).description();
  }
  return {};
}

int ReportFile::write(const nlohmann::ordered_json& report, int exitCode, std::ostream& err) const {
  if (path_.empty()) return exitCode;
  return writeText(Text(report), exitCode, err);
}

std::string ReportFile::Text(const nlohmann::ordered_json& report) {
  return report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

int ReportFile::ExitCodeWhenLost(int exitCode) {
  const bool failureAlreadyTold =
      exitCode == kExitStepFailed || exitCode == kExitStartupFailed || exitCode == kExitStopped;
  return failureAlreadyTold ? exitCode : kExitReportLost;
}

std::string ReportFile::tryWrite(const std::string& text) const {
  try {
    if (kind_ == fs::NodeKind::Stream) {
      fs::WriteIntoStream(path_, text);
      return {};
    }
    // Removed at the start: whatever lies there now is another's, or a file
    // this run wrote under that name.
    const bool own = written_ && fs::StampOf(path_) == written_;
    if (!own && fs::AnythingAt(path_))
      throw Error(platform_error::kFileAlreadyExists,
                  "a file was made under its name during the run and is left as it is");
    fs::WriteFileAtomic(path_, text);
    written_ = fs::StampOf(path_);
    return {};
  } catch (const std::exception& e) {
    return AsError(e).description();
  }
}

int ReportFile::writeText(const std::string& text, int exitCode, std::ostream& err) const {
  if (path_.empty()) return exitCode;
  const std::string reason = tryWrite(text);
  if (reason.empty()) return exitCode;
  err << "xkmtool: cannot write the report " << path_ << ": " << reason << std::endl;
  return ExitCodeWhenLost(exitCode);
}

}  // namespace xkm
