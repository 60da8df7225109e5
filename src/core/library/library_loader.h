#pragma once

#include "core/session/context.h"

namespace xkm {

// Finds the one "*.lbr" file in the executable's folder, checks its name
// against the CRC of its content and loads it into the session's
// LibraryDocument. Failures are shown as "Error" boxes (msg::kNoOrSeveralLibraries,
// kLibraryNameMismatch, kLibraryUnparsable; a file that cannot be read gives
// the last two, with the reason); raises
// nothing but memory running out. A successful load clears StopRequested.
void LoadLibraryFile(Context& ctx);

// "LIB_XKM_" + CRC text + ".lbr": the name a library file must carry.
std::string LibraryFileName(const std::string& path);

// Renames the library file to LibraryFileName in its folder and returns the
// new path. Refuses (error 58, file already exists) when another file already
// has that name; a missing file raises error 53.
std::string SealLibraryFile(const std::string& path);

}  // namespace xkm
