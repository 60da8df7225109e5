#include "core/session/file_names.h"

#include "core/platform/error.h"
#include "core/platform/os/path.h"
#include "core/platform/text/text_pieces.h"

namespace xkm {

void CheckNameInWorkingFolder(const std::string& name, int number, const std::string& what) {
  const std::string fault = fs::FileNameFault(name);
  if (!fault.empty()) throw Error(number, what + " " + name + " " + fault, what);
}

bool ControlFileReplacesScript(const std::string& controlFileName, const std::string& scriptName) {
  return !IsBlank(controlFileName) && fs::SameFileName(controlFileName, scriptName);
}

}  // namespace xkm
