#pragma once

#include <string>

namespace xkm {

// One step of the process list: what the operator sees, the tool-chain method
// that performs it, and the help text shown while it runs.
struct ProcessStep {
  std::string display;
  std::string name;
  std::string help;
};

}  // namespace xkm
