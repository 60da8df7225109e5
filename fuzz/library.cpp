// The library load and its lookups on arbitrary XML, placed and with facts
// as library_support.h lays them out, so that the lookups can succeed on a
// good library. A lookup that finds nothing or meets a malformed library
// raises a numbered error, which is all it may do.

#include "fuzz_support.h"
#include "fuzz_target.h"
#include "library_support.h"

namespace xkm::fuzz::library {

int Run(const uint8_t* data, size_t size) {
  static const std::string folder = ScratchFolder("library");
  PlaceLibrary(folder, AsText(data, size));
  RunLookups(folder, [](const Error&) {});
  return 0;
}

}  // namespace xkm::fuzz::library

XKM_FUZZ_ENTRY(library) {
  return xkm::fuzz::library::Run(data, size);
}
