#pragma once

#include <string>
#include <vector>

#include "core/session/context.h"
#include "core/shell/process_step.h"

namespace xkm {

// A file a run would write for its tools, under the name the run gives it.
struct PreviewFile {
  std::string name;
  std::string bytes;
};

// What a run of the current order would do up to its tools.
struct OrderPreview {
  bool reachesTools = false;              // false: a step before the tools fails
  std::string failure;                    // that step's failure, as the run's "Error" box shows it
  std::vector<PreviewFile> files;         // in the order a run writes them
  std::vector<std::string> commandLines;  // in the order a run starts them
  std::string containerName;              // empty when the order names none
};

// The ending of a container preview: never ".xkm", so that a preview cannot
// be taken for a container.
inline constexpr const char* kContainerPreviewEnding = ".xkm.preview";

// Goes through `steps` as a run does, but starts no tool and writes, removes
// and claims nothing: the preparation, the logistic data, and the files and
// command lines of the steps after them. In the container, each part only a
// tool supplies is a marker naming its source. Messages a run would show go
// to the host as the run shows them.
OrderPreview PreviewOrder(Context& ctx, const std::vector<ProcessStep>& steps);

}  // namespace xkm
