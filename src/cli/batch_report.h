#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/batch_host.h"
#include "core/session/app_state.h"
#include "core/session/session.h"
#include "core/shell/process_step.h"

namespace xkm {

struct BatchReport {
  const std::vector<StateRow>* rows = nullptr;
  const std::vector<ShownMessage>* messages = nullptr;
  const std::vector<ProcessStep>* steps = nullptr;
  std::string outcome;
  int exitCode = 0;
  const Session* session = nullptr;
  const AppState* app = nullptr;
};

nlohmann::ordered_json ReportToJson(const BatchReport& report);

// {table name: [[field, ...] per row]} with null fields as null.
nlohmann::ordered_json SessionTablesToJson(const Session& session, const AppState& app);

// Why the address layout was chosen: every rule tried.
nlohmann::ordered_json LayoutTraceToJson(const Session& session);

}  // namespace xkm
