// Container converter: wraps an XKM container into an SGO file beside it
// (length and CRC-32 of the content ahead of the content).
#include <string>
#include <vector>

#include "common/container_formats.h"
#include "common/file_io.h"
#include "common/text.h"
#include "common/tool_error.h"
#include "common/tool_main.h"

namespace xkm::tools {
namespace {

std::string SgoPath(const std::string& containerPath) {
  const std::string stem = EndsWithNoCase(containerPath, ".xkm")
                               ? containerPath.substr(0, containerPath.size() - 4)
                               : containerPath;
  return stem + ".sgo";
}

int Run(const std::vector<std::string>& args) {
  if (args.size() != 2 || args[0] != "-l") throw ToolError("usage: xkm2sgo -l CONTAINER.xkm");
  const std::string sgoPath = SgoPath(args[1]);
  try {
    WriteFileAtomic(sgoPath, EncodeSgo(ReadFileBytes(args[1])));
  } catch (const ToolError&) {
    RemoveIfExists(sgoPath);
    throw;
  }
  return 0;
}

}  // namespace
}  // namespace xkm::tools

int main(int argc, char** argv) {
  return xkm::tools::RunToolMain("xkm2sgo", argc, argv, xkm::tools::Run);
}
