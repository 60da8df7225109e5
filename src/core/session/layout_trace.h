#pragma once

#include <string>

namespace xkm {

// Why an address layout was chosen: one entry per ADRESSLAYOUT_CONFIGURATION
// rule tried, with the first condition that failed (or matched = true).
struct LayoutTraceEntry {
  int position = 0;  // the rule's position among the rules, from 1
  bool matched = false;
  std::string condition;  // the failing condition's attribute name; empty when matched
  std::string expected;
  std::string actual;
};

}  // namespace xkm
