#pragma once

#include <functional>
#include <string>
#include <vector>

namespace xkm::tools {

// The tool's work: gets argv from argv[1] on, returns the exit code.
using ToolWork = std::function<int(const std::vector<std::string>& args)>;

// Common frame of every tool: the test hooks (argv log, forced faults), the
// work, and the mapping of failures to a message on stderr and an exit code.
int RunToolMain(const std::string& toolName, int argc, char** argv, const ToolWork& work);

}  // namespace xkm::tools
