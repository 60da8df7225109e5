#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/scratch_folder.h"

namespace xkm::test {

using ToolRun = ChildResult;

// A copy of the built xkmtool in a scratch folder, so that it finds the
// configuration files written beside it.
// A tool configuration with the platform's suffix for programs (".exe") added
// to each "tools/..." value.
std::string WithProgramSuffix(const std::string& toolsIni);

class InstalledTool {
 public:
  InstalledTool();
  const ScratchFolder& folder() const { return folder_; }
  // "xkmtool" with the built program's extension (xkmtool.com on Windows).
  std::string executable() const;
  // Runs the copy with `arguments` in `workingFolder` (the tool's folder when empty).
  ToolRun run(const std::vector<std::string>& arguments,
              const std::string& workingFolder = {}) const;

  // Environment variables set for every run.
  std::map<std::string, std::string> environment;

 private:
  ScratchFolder folder_;
};

}  // namespace xkm::test
