#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/platform/os/file_system.h"
#include "core/platform/os/sha256.h"
#include "core/session/app_state.h"

namespace xkm {

// One input file of a run as it was when the run started and, when it
// changed during the run, as it was at the end.
struct InputFacts {
  std::string key;  // "xml", "hex" or "a2l"
  std::string path;
  std::optional<fs::FileStamp> stamp;
  std::optional<FileDigest> digest;  // taken only when asked for
  bool changed = false;
  std::optional<FileDigest> digestAtEnd;  // read only when `changed`
};

// The three inputs as they are now; with their digests when `withDigests`
// (reading gigabytes costs seconds, so only a trace asks for them).
std::vector<InputFacts> TakeInputFacts(const AppState& app, bool withDigests);

// Looks at each input again and marks those that changed: another file,
// size or time of writing, and, where digests were taken, other content.
void MarkChangedInputs(std::vector<InputFacts>& inputs);

}  // namespace xkm
