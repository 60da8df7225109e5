#include "tool_process.h"

#include <cstdio>
#include <fstream>

#include "common/intel_hex_writer.h"

#ifndef XKM_TOOLS_DIR
#error "XKM_TOOLS_DIR must name the folder of the built sample tools"
#endif

namespace xkm::test {

ChildResult RunSampleTool(const std::string& tool, const std::vector<std::string>& args,
                          const std::string& folder) {
  ChildCommand command{.argv = {std::string(XKM_TOOLS_DIR) + "/" + tool},
                       .withoutVariablesStartingWith = "XKM_TOOL_",
                       .workingFolder = folder};
  command.argv.insert(command.argv.end(), args.begin(), args.end());
  return RunChild(command);
}

namespace {

// One S-record: count, 32-bit address, data, one's complement checksum.
std::string S3Record(const char* type, std::uint32_t address, const std::string& data) {
  std::string bytes = static_cast<char>(data.size() + 5) + BigEndian32(address) + data;
  unsigned sum = 0;
  for (char byte : bytes) sum += static_cast<unsigned char>(byte);
  bytes.push_back(static_cast<char>(~sum));
  std::string line = type;
  char digits[3];
  for (char byte : bytes) {
    std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned char>(byte));
    line += digits;
  }
  return line + "\r\n";
}

}  // namespace

// The tool kit's own writer makes the Intel-Hex images (checked against
// srec_cat where it runs); S3 records are spelled here.
std::string WriteImage(const std::string& folder, const std::string& name,
                       const std::vector<ImageChunk>& chunks, const std::string& format) {
  const std::string intelEnd = ":00000001FF\r\n";
  std::string text;
  for (const ImageChunk& chunk : chunks) {
    if (format == "-intel") {
      const std::string records = tools::EncodeIntelHex(chunk.address, chunk.bytes);
      text += records.substr(0, records.size() - intelEnd.size());
    } else {
      for (std::size_t at = 0; at < chunk.bytes.size(); at += 16)
        text += S3Record("S3", chunk.address + static_cast<std::uint32_t>(at),
                         chunk.bytes.substr(at, 16));
    }
  }
  text += format == "-intel" ? intelEnd : S3Record("S7", 0, "");
  const std::string path = folder + "/" + name;
  std::ofstream(path, std::ios::binary) << text;
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
