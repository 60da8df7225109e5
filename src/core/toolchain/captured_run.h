#pragma once

#include <string>

#include "core/platform/os/process.h"
#include "core/session/tool_run.h"

namespace xkm {

class Host;

// Runs a tool and waits for it, never through a shell, the host's window
// waiting idle for its own events meanwhile. Returns the record of the run:
// how it ended, how long it took and the last 4 KB of its standard output and
// error, which reach no screen. Step and tool are left for the caller to fill
// in; `control` may end the tool. It runs in `workingFolder` (see RunCommandLine).
ToolRun RunAndCapture(Host& host, const std::string& commandLine, const ChildControl& control = {},
                      const std::string& workingFolder = {});

}  // namespace xkm
