#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace xkm {

struct TraceReportOptions {
  std::string page;                 // the HTML page
  std::string reportPath;           // the figures as JSON; empty: none
  std::string since;                // YYYY-MM-DD or empty
  std::string until;                // YYYY-MM-DD or empty
  std::vector<std::string> traces;  // trace files, or folders of them
};

// Reads the traces line by line and writes the page (and the figures): a
// summary on `out`, the skipped lines and any failure on `err`. Returns the
// exit code: 0, 3 when lines were skipped, 2 for usage or an unreadable trace,
// 5 when an output cannot be written.
int RunTraceReport(const TraceReportOptions& options, std::ostream& out, std::ostream& err);

}  // namespace xkm
