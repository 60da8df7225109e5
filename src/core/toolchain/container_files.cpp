#include "core/toolchain/container_files.h"

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/text/cp1252.h"
#include "core/resources/message_ids.h"
#include "core/session/file_names.h"
#include "core/toolchain/run_files.h"

namespace xkm {
namespace {

constexpr size_t kPaddedNameLength = 16;

void SetAside(const DataContext& ctx, const std::string& path,
              const std::string& writtenByThisRun) {
  if (path == writtenByThisRun || !fs::FileExists(path)) return;
  const std::string aside = path + kEarlierRunSuffix;
  CheckNotAnInput(ctx, path);
  CheckNotAnInput(ctx, aside);
  fs::MoveReplacing(path, aside);
  ctx.session.setAside.push_back(aside);
}

}  // namespace

std::string ContainerName(const std::string& sgidb1, const std::string& sgidb3) {
  const size_t length = Utf8Length(sgidb1) + Utf8Length(sgidb3);
  const size_t underscores = length >= kPaddedNameLength - 1 ? 1 : kPaddedNameLength - length;
  return sgidb1 + std::string(underscores, '_') + sgidb3;
}

std::string ContainerPath(const std::string& folder, const std::string& name) {
  return folder + fs::kSeparator + name + ".xkm";
}

std::string SgoPath(const std::string& folder, const std::string& name) {
  return folder + fs::kSeparator + name + ".sgo";
}

void SetAsideEarlierOutputs(const DataContext& ctx, const std::string& folder,
                            const std::string& name) {
  CheckNameInWorkingFolder(name, msg::kContainerNameError, "Container name");
  SetAside(ctx, ContainerPath(folder, name), ctx.session.writtenContainer);
  SetAsideEarlierSgo(ctx, folder, name);
}

void SetAsideEarlierSgo(const DataContext& ctx, const std::string& folder,
                        const std::string& name) {
  SetAside(ctx, SgoPath(folder, name), ctx.session.convertedContainer);
}

}  // namespace xkm
