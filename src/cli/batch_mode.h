#pragma once

#include <iosfwd>
#include <string>

#include "core/session/app_state.h"
#include "core/session/exit_codes.h"

namespace xkm {

struct BatchOptions {
  std::string commandLine;  // "XML,HEX,A2L"
  std::string reportPath;   // empty: no report
};

// Start-up and one run of the process without a window. `app` must know the
// executable's folder and name. Returns the exit code.
int RunBatch(AppState& app, const BatchOptions& options, std::ostream& out, std::ostream& err);

}  // namespace xkm
