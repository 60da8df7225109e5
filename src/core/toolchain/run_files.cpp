#include "core/toolchain/run_files.h"

#include <optional>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/resources/message_ids.h"

namespace xkm {

void CheckNotAnInput(const DataContext& ctx, const std::string& path) {
  const std::optional<fs::FileStamp> target = fs::StampOf(path);
  for (const std::string* input :
       {&ctx.app.InputXmlPath, &ctx.app.InputHexPath, &ctx.app.InputA2lPath}) {
    if (input->empty()) continue;
    bool same = fs::SameFileName(path, *input);
    if (!same && target) {
      const std::optional<fs::FileStamp> stamp = fs::StampOf(*input);
      same = stamp && stamp->sameFileAs(*target);
    }
    if (same)
      throw Error(msg::kWouldTouchInput,
                  ctx.message(msg::kWouldTouchInput, {{"file", path}, {"input", *input}}),
                  "CheckNotAnInput");
  }
}

void WriteRunFile(const DataContext& ctx, const std::string& path, const std::string& bytes) {
  CheckNotAnInput(ctx, path);
  fs::WriteFileAtomic(path, bytes);
}

void RemoveLeftover(const DataContext& ctx, const std::string& path) {
  CheckNotAnInput(ctx, path);
  try {
    fs::DeleteFile(path);
  } catch (const Error& e) {
    if (e.number() == platform_error::kFileNotFound) return;
    throw Error(
        msg::kLeftoverNotRemoved,
        ctx.message(msg::kLeftoverNotRemoved, {{"file", path}, {"reason", e.description()}}),
        "RemoveLeftover");
  }
}

}  // namespace xkm
