#pragma once

#include <nlohmann/json.hpp>

#include "core/session/tool_run.h"

namespace xkm {

// One external tool run as the batch report and the trace show it: step, tool
// key, command line, how it ended ("exited" with exitCode, "signal" with
// signal, "not-started"), durationMs and the last 4 KB of stdout and stderr.
nlohmann::ordered_json ToolRunToJson(const ToolRun& run);

}  // namespace xkm
