// The library check on arbitrary bytes. Besides not crashing, every finding
// must point into the file: a line that exists and a column from 1.

#include "core/check/library_check.h"

#include <algorithm>

#include "fuzz_support.h"
#include "fuzz_target.h"

namespace xkm::fuzz::library_check {

int Run(const uint8_t* data, size_t size) {
  const std::string_view bytes = AsText(data, size);
  const int lines = 1 + static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n') +
                                         std::count(bytes.begin(), bytes.end(), '\r'));
  for (const Finding& finding : CheckLibraryBytes("LIB_XKM_0.lbr", bytes)) {
    if (finding.line < 1 || finding.line > lines || finding.column < 1 || finding.text.empty())
      PropertyFailed("a finding points outside the file");
  }
  return 0;
}

}  // namespace xkm::fuzz::library_check

XKM_FUZZ_ENTRY(library_check) {
  return xkm::fuzz::library_check::Run(data, size);
}
