// MIM packer: writes the bytes of one BCB file, placed at the block's start
// address, as Intel-Hex text into the MIM file.
#include <string>
#include <vector>

#include "common/container_formats.h"
#include "common/file_io.h"
#include "common/intel_hex_writer.h"
#include "common/tool_error.h"
#include "common/tool_main.h"

namespace xkm::tools {
namespace {

BcbContent ReadBcb(const std::string& path) {
  const auto content = DecodeBcb(ReadFileBytes(path));
  if (!content) throw ToolError(path + " is not a BCB file");
  if (content->payload.size() != content->declaredLength) {
    throw ToolError(path + ": header length does not match the data");
  }
  return *content;
}

int Run(const std::vector<std::string>& args) {
  if (args.size() != 3 || args[0] != "-o") throw ToolError("usage: zoven -o MIMFILE BCBFILE");
  const std::string& mimPath = args[1];
  try {
    const BcbContent bcb = ReadBcb(args[2]);
    WriteIntelHex(mimPath, bcb.start, bcb.payload);
  } catch (const ToolError&) {
    RemoveIfExists(mimPath);
    throw;
  }
  return 0;
}

}  // namespace
}  // namespace xkm::tools

int main(int argc, char** argv) {
  return xkm::tools::RunToolMain("zoven", argc, argv, xkm::tools::Run);
}
