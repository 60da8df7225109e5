#include "core/toolchain/file_names.h"

#include "core/platform/error.h"
#include "core/platform/file_system.h"

namespace xkm {

void CheckNameInWorkingFolder(const std::string& name, int number, const std::string& what) {
  if (name.find(fs::kSeparator) != std::string::npos || name == "." || name == "..")
    throw Error(number, what + " " + name + " holds a path separator", what);
}

}  // namespace xkm
