// One trace line of arbitrary bytes through the trace report: the line is
// read (SAX, only the fields the report needs), counted or skipped, and the
// page and the figures are made. Whatever the line holds, its text reaches
// the page escaped: no tag of the input's own survives.

#include <string>

#include "core/traces/trace_figures.h"
#include "core/traces/trace_figures_json.h"
#include "core/traces/trace_page.h"
#include "fuzz_support.h"
#include "fuzz_target.h"

namespace xkm::fuzz::trace_line {

int Run(const uint8_t* data, size_t size) {
  const std::string_view line = AsText(data, size);
  TraceFigures figures("", "");
  figures.addLine("runs.log", 1, line, false);
  if (figures.runs().total() + figures.skippedCount() > 1)
    PropertyFailed("one line counted more than once");
  const std::string page = TraceReportPage(figures);
  if (page.find("<script") != std::string::npos) PropertyFailed("a tag of the line on the page");
  TraceFiguresToJson(figures).dump();
  return 0;
}

}  // namespace xkm::fuzz::trace_line

XKM_FUZZ_ENTRY(trace_line) {
  return xkm::fuzz::trace_line::Run(data, size);
}
