#pragma once

#include <string>

namespace xkm::library_path {

// Where a run looks in the library, and so where the check looks too.
inline const std::string kEcuEntries = "/XKMTOOL/ECU_CONFIGURATION/ENTRY";
inline const std::string kFrequencyEntries = "/XKMTOOL/FREQ_CONFIGURATION/ENTRY";
// Configuration 1 chooses its baud rates by the system frequency; every other
// one takes the first entry of configuration 2.
inline const std::string kBaudEntriesByFrequency =
    "/XKMTOOL/BAUD_CONFIGURATION/CONFIG_NUM[@VALUE='1']/ENTRY";
inline const std::string kBaudEntriesFixed =
    "/XKMTOOL/BAUD_CONFIGURATION/CONFIG_NUM[@VALUE='2']/ENTRY";
inline const std::string kLayoutRules = "/XKMTOOL/ADRESSLAYOUT_CONFIGURATION/ENTRY";
inline const std::string kLayouts = "/XKMTOOL/ADRESSLAYOUT";
// The layout named by the XPath variable $layout.
inline const std::string kLayoutNamed = kLayouts + "[@VALUE=$layout]";

}  // namespace xkm::library_path
