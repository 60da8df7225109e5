#pragma once

#include <string>
#include <string_view>

namespace xkm {

// How a run finds its library and knows it unchanged: the one file beside the
// program whose name ends in ".lbr" (lower case), named "LIB_XKM_" + the
// salted CRC of its content + ".lbr".

bool IsLibraryFileName(std::string_view name);

// The name a library whose checksum text is `crcHex` must carry.
std::string SealedLibraryName(const std::string& crcHex);

// Whether `name` is that name, compared as a run compares it: ignoring case.
bool CarriesSealedName(const std::string& name, const std::string& crcHex);

}  // namespace xkm
