#pragma once

#include <string>
#include <vector>

#include "core/platform/error.h"
#include "core/session/data_context.h"

namespace xkm {

// What a library load found: its failures in the order they happened, each
// with the text its "Error" box shows (numberAndDescription), and whether
// the session now holds the library (Session::Library).
struct LibraryLoad {
  std::vector<Error> failures;
  bool loaded = false;
};

// The names of the library files in `folder`: those ending in ".lbr"
// (compared case-sensitively). A run loads the one there is; none or several
// stop it. Raises when the folder cannot be listed.
std::vector<std::string> LibraryFilesIn(const std::string& folder);

// Finds the one "*.lbr" file in the executable's folder, checks its name
// against the CRC of its content and parses it into the session's
// LibraryModel (Session::Library). Shows nothing: the failures are msg::kNoOrSeveralLibraries
// (with the reason when the folder cannot be listed),
// kLibraryNameMismatch and kLibraryUnparsable (a file that cannot be read
// gives the last two, with the reason). Raises nothing but memory running out.
// AppState::LibraryFile, when set, is loaded instead, without the name check.
[[nodiscard]] LibraryLoad LoadLibraryFile(DataContext& ctx);

// "LIB_XKM_" + CRC text + ".lbr": the name a library file must carry. Raises
// the reason when the file cannot be read.
std::string LibraryFileName(const std::string& path);

// Renames the library file to LibraryFileName in its folder and returns the
// new path. Refuses (error 58, file already exists) when another file already
// has that name; a missing file raises error 53.
std::string SealLibraryFile(const std::string& path);

}  // namespace xkm
