#include "tool_process.h"

#include <fstream>
#include <stdexcept>

#ifndef XKM_TOOLS_DIR
#error "XKM_TOOLS_DIR must name the folder of the built sample tools"
#endif

namespace xkm::test {

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& folder, const Environment& env) {
  ChildCommand command;
  command.argv = {program};
  command.argv.insert(command.argv.end(), args.begin(), args.end());
  command.workingFolder = folder;
  command.withoutVariablesStartingWith = "XKM_TOOL_";
  for (const auto& [name, value] : env) command.environment[name] = value;
  return RunChild(command);
}

ProcessResult RunSampleTool(const std::string& tool, const std::vector<std::string>& args,
                            const std::string& folder, const Environment& env) {
  return RunProcess(std::string(XKM_TOOLS_DIR) + "/" + tool, args, folder, env);
}

std::string WriteImage(const std::string& folder, const std::string& name,
                       const std::vector<ImageChunk>& chunks, const std::string& format,
                       const std::vector<std::string>& formatOptions) {
  std::vector<std::string> args;
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    const std::string chunkFile = folder + "/" + name + ".chunk" + std::to_string(i);
    std::ofstream(chunkFile, std::ios::binary) << chunks[i].bytes;
    args.insert(args.end(), {chunkFile, "-binary", "-offset", std::to_string(chunks[i].address)});
  }
  const std::string path = folder + "/" + name;
  args.insert(args.end(), {"-o", path, format});
  args.insert(args.end(), formatOptions.begin(), formatOptions.end());
  if (RunProcess("srec_cat", args, folder).exitCode != 0) {
    throw std::runtime_error("srec_cat could not write " + path);
  }
  return path;
}

std::uint32_t ReferenceCrc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (char byte : bytes) {
    crc ^= static_cast<unsigned char>(byte);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string BigEndian32(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

}  // namespace xkm::test
