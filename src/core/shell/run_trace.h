#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "core/session/context.h"
#include "core/shell/run_record.h"

namespace xkm {

// The trace log named by TraceLog in section [System] of the program's INI
// file, taken beside the executable when relative; empty when there is none.
std::string TraceLogPath(const AppState& app);

// One run as one JSON object: times, host, operator's data, version, the
// inputs and the library with size and SHA-256, the chosen ECU,
// configuration and layout, each step, each tool run, every message, the
// outcome and the container written.
nlohmann::ordered_json RunTraceToJson(const Context& ctx, const RunRecord& run);

// Appends the run to the trace log, when one is configured. A trace that
// cannot be written is message msg::kTraceNotWritten, never a failed run.
void AppendRunTrace(Context& ctx, const RunRecord& run);

}  // namespace xkm
