#pragma once

#include <string>

#include "core/session/context.h"

namespace xkm {

// The file in an image folder that says which run works there.
inline constexpr const char* kFolderLockName = ".xkmtool.lock";

// Claims the folder of `hexPath` for this run, so that a second run on images
// in the same folder cannot overwrite its working files; the claim lasts
// until the runner releases it at the end of the run (or this program ends,
// however it ends). A folder another run holds raises msg::kFolderInUse naming the
// folder and that run; a folder that exists but cannot be claimed (anything
// but a regular file at the lock's name, no permission, another program's
// lock) raises msg::kFolderNotClaimed naming the lock file and the reason.
// Only a folder that does not exist is left to the preparation to report.
void ClaimWorkingFolder(Context& ctx, const std::string& hexPath);

}  // namespace xkm
