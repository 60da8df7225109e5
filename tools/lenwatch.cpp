// Length check of one BCB file: compares the length in its header with the
// bytes that follow and writes the verdict to <file without .bcb>_bcb.log.
#include <iostream>
#include <string>
#include <vector>

#include "common/container_formats.h"
#include "common/file_io.h"
#include "common/text.h"
#include "common/tool_error.h"
#include "common/tool_main.h"

namespace xkm::tools {
namespace {

std::string LogPath(const std::string& bcbPath) {
  const std::string stem =
      EndsWithNoCase(bcbPath, ".bcb") ? bcbPath.substr(0, bcbPath.size() - 4) : bcbPath;
  return stem + "_bcb.log";
}

int Run(const std::vector<std::string>& args) {
  if (args.size() != 1) throw ToolError("usage: lenwatch BCBFILE");
  const std::string& bcbPath = args[0];
  const auto content = DecodeBcb(ReadFileBytes(bcbPath));
  if (!content) {
    WriteFileAtomic(LogPath(bcbPath), "INVALID not a BCB file\r\n");
    throw ToolError(bcbPath + " is not a BCB file");
  }
  const std::uint64_t payload = content->payload.size();
  if (payload == content->declaredLength) {
    WriteFileAtomic(LogPath(bcbPath), "OK length " + std::to_string(payload) + "\r\n");
    return 0;
  }
  const std::string verdict = "MISMATCH header " + std::to_string(content->declaredLength) +
                              " payload " + std::to_string(payload);
  WriteFileAtomic(LogPath(bcbPath), verdict + "\r\n");
  std::cerr << "lenwatch: " << bcbPath << ": " << verdict << "\n";
  return 1;
}

}  // namespace
}  // namespace xkm::tools

int main(int argc, char** argv) {
  return xkm::tools::RunToolMain("lenwatch", argc, argv, xkm::tools::Run);
}
