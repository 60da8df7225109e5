#pragma once

#include <nlohmann/json.hpp>

#include "core/traces/trace_figures.h"

namespace xkm {

// The trace report's figures for machines (docs/schema/trace-figures.schema.json).
nlohmann::ordered_json TraceFiguresToJson(const TraceFigures& figures);

// The lists sorted by count, largest first (ties by name), as both show them.
std::vector<std::pair<std::string, uint64_t>> ByCount(
    const std::map<std::string, uint64_t>& counts);
std::vector<std::pair<ToolFailure, uint64_t>> ByCount(
    const std::map<ToolFailure, uint64_t>& counts);
std::vector<std::pair<int, MessageFigure>> ByCount(const std::map<int, MessageFigure>& counts);

// "exit code 3", "signal 9", "not started".
std::string ToolFailureText(const ToolFailure& failure);

}  // namespace xkm
