#include "core/toolchain/folder_claim.h"

#include <chrono>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/os/path.h"
#include "core/platform/os/system_info.h"
#include "core/resources/message_ids.h"

namespace xkm {
namespace {

std::string Describe() {
  return "pid=" + std::to_string(ProcessId()) + "\nhost=" + HostName() +
         "\nstarted=" + LocalIsoTime(std::chrono::system_clock::now()) + "\n";
}

constexpr const char* kUnknown = "?";

// One "key=value" line of a holder's description; "?" when it is missing
// (a holder that ended before it wrote one).
std::string Field(const std::string& description, const std::string& key) {
  const std::string prefix = key + "=";
  size_t start = 0;
  while (start < description.size()) {
    size_t end = description.find('\n', start);
    if (end == std::string::npos) end = description.size();
    if (description.compare(start, prefix.size(), prefix) == 0)
      return description.substr(start + prefix.size(), end - start - prefix.size());
    start = end + 1;
  }
  return kUnknown;
}

}  // namespace

void ClaimWorkingFolder(Context& ctx, const std::string& hexPath) {
  std::string folder = hexPath;
  std::string name;
  try {
    fs::SplitPath(folder, name);
  } catch (const Error&) {
    return;  // no folder named: the preparation reports the path
  }
  const std::string lockFile = folder + fs::kSeparator + kFolderLockName;
  std::string holder;
  const auto keepWaiting = [&ctx] {
    ctx.host.processEvents();
    return !ctx.app.StopRequested;
  };
  const FileLock::Status status =
      ctx.session.folderLock.tryAcquire(lockFile, Describe(), holder, keepWaiting);
  if (status == FileLock::Status::Acquired) return;
  if (ctx.app.StopRequested) ctx.session.endedByStop = true;
  // No folder: the preparation reports the path. A folder that cannot be
  // claimed, or one locked by something that is no run, is never worked in
  // unclaimed: a second run could work beside this one without a word.
  if (status == FileLock::Status::Unavailable && !fs::FolderExists(folder)) return;
  if (status == FileLock::Status::Unavailable || Field(holder, "pid") == kUnknown)
    throw Error(msg::kFolderNotClaimed,
                ctx.message(msg::kFolderNotClaimed,
                            {{"folder", folder},
                             {"file", lockFile},
                             {"reason", status == FileLock::Status::Unavailable
                                            ? holder
                                            : std::string("locked by another program")}}),
                "Init");
  throw Error(msg::kFolderInUse,
              ctx.message(msg::kFolderInUse, {{"folder", folder},
                                              {"pid", Field(holder, "pid")},
                                              {"host", Field(holder, "host")},
                                              {"start", Field(holder, "started")}}),
              "Init");
}

}  // namespace xkm
