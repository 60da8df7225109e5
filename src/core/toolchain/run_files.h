#pragma once

#include <string>

#include "core/session/data_context.h"

namespace xkm {

// Refuses a path the run is about to write or remove when it names one of the
// run's three input files, by name (on Windows without regard to case) or as
// the same file: error msg::kWouldTouchInput names both.
void CheckNotAnInput(const DataContext& ctx, const std::string& path);

// Writes a file of the run in one step (see WriteFileAtomic), never over an input.
void WriteRunFile(const DataContext& ctx, const std::string& path, const std::string& bytes);

// Removes the file an earlier run left under a name that a tool of this run
// is judged by, so that a leftover is never taken for this tool's work.
// Nothing when there is none; one that cannot be removed raises
// msg::kLeftoverNotRemoved with its name and the reason.
void RemoveLeftover(const DataContext& ctx, const std::string& path);

}  // namespace xkm
