#pragma once

#include <string>

#include "core/traces/trace_figures.h"

namespace xkm {

// The trace report as one HTML page that fetches nothing: its style inline,
// its charts inline SVG, no script. Readable on a laptop and printable.
std::string TraceReportPage(const TraceFigures& figures);

}  // namespace xkm
