#pragma once

#include <string>

namespace xkm {

// Opens the main window and runs the program's event loop. `commandLine` is
// the process command line ("XML,HEX,A2L" or blank). Returns the exit code:
// 0 after the window was closed, 2 when start-up failed.
int RunGui(int argc, char** argv, const std::string& commandLine);

}  // namespace xkm
