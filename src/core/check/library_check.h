#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xkm {

enum class Severity { Error, Warning };

// One problem a run could hit, at the place in the library file that causes it.
struct Finding {
  int line = 1;
  int column = 1;
  Severity severity = Severity::Error;
  std::string text;
};

// Checks a library file without running anything: it is loaded the way a run
// loads it (a name that does not match the salted checksum is a finding, not a
// stop), and every lookup, layout and template a run reads is tried against
// it. Findings come in the order of their position. A file that cannot be read
// raises a numbered Error.
std::vector<Finding> CheckLibraryFile(const std::string& path);

// The same for the bytes of a file named `fileName`.
std::vector<Finding> CheckLibraryBytes(const std::string& fileName, std::string_view bytes);

// "FILE:LINE:COLUMN: error: text", the form editors and CI systems read.
std::string FormatFinding(const std::string& file, const Finding& finding);

const char* SeverityName(Severity severity);  // "error" or "warning"

// 0 without findings, 1 with an error, 3 with warnings only.
int CheckExitCode(const std::vector<Finding>& findings);

}  // namespace xkm
