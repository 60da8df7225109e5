#pragma once

#include "core/session/data_context.h"

namespace xkm {

// Appends one DataTable row per line "Checksum;<name>;<value>" of the checksum
// log CS.LOG in the working folder (PFADZIELABLAGE), in file order. A missing
// log raises msg::kChecksumLogMissing; any other failure is passed on with its number and
// its description trimmed of blanks. Rows appended before a failure stay.
void ImportChecksums(DataContext& ctx);

}  // namespace xkm
