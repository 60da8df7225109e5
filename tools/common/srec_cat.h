#pragma once

#include <string>
#include <vector>

namespace xkm::tools {

// Runs srec_cat with `args` (no shell) and waits for it. ToolError (exit 2)
// with srec_cat's own complaint when it fails.
void RunSrecCat(const std::vector<std::string>& args);

// A path as an srec_cat argument: one that begins with "-" would read as an
// option.
std::string SrecCatPath(const std::string& path);

}  // namespace xkm::tools
