#pragma once

#include "core/session/session.h"

namespace xkm {

// Removes the run's working files from the working folder: per data block the
// image's block files, MIM files (when the MIM conversion ran), BCB files and
// their length logs, then the address-info file, the checksum log, the checksum
// tool's log (kept as "<image>_QSR.LOG"), the three template files and the
// ".wbc" file. Each name is tested right before its removal; the first failure
// ends the routine and is passed on.
void DeleteWorkingFiles(const Session& session);

}  // namespace xkm
