#pragma once

#include <string>

#include "core/session/context.h"

namespace xkm {

// SGIDB1, underscores, SGIDB3: at least one underscore, and a short name is
// padded to 16 characters.
std::string ContainerName(const std::string& sgidb1, const std::string& sgidb3);

// The container `name` in `folder`, and the SGO file the converter makes of it.
std::string ContainerPath(const std::string& folder, const std::string& name);
std::string SgoPath(const std::string& folder, const std::string& name);

// What a set-aside file is renamed to: a name no run writes or converts.
inline constexpr const char* kEarlierRunSuffix = ".earlier-run";

// Renames the container `name` and its SGO file in `folder` to
// "<file>.earlier-run" (replacing an older one) unless this run wrote them,
// so that after a run that built no container of its own nothing under the
// current names passes for its output. A name that would lead out of the
// folder is refused first.
void SetAsideEarlierOutputs(const DataContext& ctx, const std::string& folder,
                            const std::string& name);

// Renames the SGO file of the container `name` in `folder` to
// "<file>.earlier-run" (replacing an older one), before a new container
// replaces the one it was made of.
void SetAsideEarlierSgo(const DataContext& ctx, const std::string& folder, const std::string& name);

}  // namespace xkm
