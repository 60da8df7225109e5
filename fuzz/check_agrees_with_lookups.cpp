// The library check against the lookups of a run: a library in which the
// check finds no error never makes a lookup fail on a malformed library
// (62001 to 62099), on the facts of a typical ST10 A2L file.

#include <string>

#include "core/check/library_check.h"
#include "fuzz_support.h"
#include "fuzz_target.h"
#include "library_support.h"

namespace xkm::fuzz::check_agrees_with_lookups {

constexpr int kFirstMalformedLibrary = 62001;
constexpr int kLastMalformedLibrary = 62099;

int Run(const uint8_t* data, size_t size) {
  static const std::string folder = ScratchFolder("check_agrees_with_lookups");
  const std::string path = PlaceLibrary(folder, AsText(data, size));
  for (const Finding& finding : CheckLibraryFile(path))
    if (finding.severity == Severity::Error) return 0;
  RunLookups(folder, [](const Error& e) {
    if (e.number() >= kFirstMalformedLibrary && e.number() <= kLastMalformedLibrary)
      PropertyFailed(
          ("the check found no error, a lookup failed: " + e.numberAndDescription()).c_str());
  });
  return 0;
}

}  // namespace xkm::fuzz::check_agrees_with_lookups

XKM_FUZZ_ENTRY(check_agrees_with_lookups) {
  return xkm::fuzz::check_agrees_with_lookups::Run(data, size);
}
