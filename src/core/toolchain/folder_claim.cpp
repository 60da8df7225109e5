#include "core/toolchain/folder_claim.h"

#include <chrono>

#include "core/platform/error.h"
#include "core/platform/file_system.h"
#include "core/platform/system_info.h"
#include "core/resources/message_ids.h"
#include "core/session/utilities.h"

namespace xkm {
namespace {

std::string Describe() {
  return "pid=" + std::to_string(ProcessId()) + "\nhost=" + HostName() +
         "\nstarted=" + LocalIsoTime(std::chrono::system_clock::now()) + "\n";
}

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
  return "?";
}

}  // namespace

void ClaimWorkingFolder(Context& ctx, const std::string& hexPath) {
  std::string folder = hexPath;
  std::string name;
  try {
    SplitPath(folder, name);
  } catch (const Error&) {
    return;  // no folder named: the preparation reports the path
  }
  std::string holder;
  const FileLock::Status status = ctx.session.folderLock.tryAcquire(
      folder + fs::kSeparator + kFolderLockName, Describe(), holder);
  if (status != FileLock::Status::HeldByOther) return;
  throw Error(msg::kFolderInUse,
              ctx.message(msg::kFolderInUse, {{"folder", folder},
                                              {"pid", Field(holder, "pid")},
                                              {"host", Field(holder, "host")},
                                              {"start", Field(holder, "started")}}),
              "Init");
}

}  // namespace xkm
