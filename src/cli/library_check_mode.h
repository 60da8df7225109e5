#pragma once

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/check/library_check.h"

namespace xkm {

// --check-library: one line per finding on stdout ("FILE:LINE:COLUMN:
// error|warning: text"), a count on stderr, the JSON report when a path is
// given. Returns 0 clean, 1 with errors, 3 with warnings only, 2 when the file
// cannot be read.
int RunLibraryCheck(const std::string& libraryPath, const std::string& reportPath,
                    std::ostream& out, std::ostream& err);

// {"library", "findings": [{"file", "line", "column", "severity", "text"}],
// "errors", "warnings", "exitCode"}
nlohmann::ordered_json LibraryCheckToJson(const std::string& libraryPath,
                                          const std::vector<Finding>& findings);

}  // namespace xkm
