#pragma once

#include <map>
#include <string>

#include "support/scratch_folder.h"

namespace xkm::test {

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// A copy of the built xkmtool in a scratch folder, so that it finds the
// configuration files written beside it.
class InstalledTool {
 public:
  InstalledTool();
  const ScratchFolder& folder() const { return folder_; }
  std::string executable() const { return folder_.file("xkmtool"); }
  // Runs the copy with `arguments` (a shell word list; quote as needed) in `workingFolder`
  // (the tool's folder when empty).
  ToolRun run(const std::string& arguments, const std::string& workingFolder = {}) const;

  // Environment variables set for every run (values single-quoted for the shell).
  std::map<std::string, std::string> environment;

 private:
  ScratchFolder folder_;
};

}  // namespace xkm::test
