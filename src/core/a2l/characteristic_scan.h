#pragma once

#include <cstddef>
#include <string_view>

#include "core/platform/regex.h"

namespace xkm::a2l {

// The global matches of one characteristic-address pattern: how many there
// are and the address capture of the first.
struct AddressMatches {
  size_t count = 0;
  std::string_view firstAddress;
};

struct CharacteristicAddresses {
  AddressMatches sgidb1;
  AddressMatches sgidb3;
};

// The matches of the SGIDB1 and SGIDB3 patterns over the whole text, in one
// pass. Gives the same matches as a global search with each pattern over the
// whole text, but runs the patterns only where a match can start: at a line
// that is exactly "/begin CHARACTERISTIC" whose next-but-one line names one of
// the two objects.
CharacteristicAddresses ScanCharacteristicAddresses(std::string_view text, const Regex& sgidb1,
                                                    const Regex& sgidb3);

}  // namespace xkm::a2l
