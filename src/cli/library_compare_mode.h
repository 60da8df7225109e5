#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "core/session/app_state.h"

namespace xkm {

struct LibraryCompareOptions {
  std::string newLibrary;           // the library to try
  std::string oldLibrary;           // empty: the one beside the program
  std::vector<std::string> traces;  // trace files naming the orders
  std::string reportPath;           // empty: no report
};

// Previews each distinct order of the traces whose inputs are still as they
// were with both libraries and prints one line per order (same, different,
// skipped) and a summary. Exit code 0 all the same, 3 some differ, 1 a
// preview fails with one library only, 2 usage or unreadable traces.
int RunLibraryCompare(AppState& app, const LibraryCompareOptions& options, std::ostream& out,
                      std::ostream& err);

}  // namespace xkm
