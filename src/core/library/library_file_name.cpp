#include "core/library/library_file_name.h"

#include "core/platform/text/letter_case.h"

namespace xkm {
namespace {

constexpr std::string_view kExtension = ".lbr";
constexpr std::string_view kPrefix = "LIB_XKM_";

}  // namespace

bool IsLibraryFileName(std::string_view name) {
  return name.ends_with(kExtension);
}

std::string SealedLibraryName(const std::string& crcHex) {
  return std::string(kPrefix) + crcHex + std::string(kExtension);
}

bool CarriesSealedName(const std::string& name, const std::string& crcHex) {
  return ToUpperCase(name) == ToUpperCase(SealedLibraryName(crcHex));
}

}  // namespace xkm
