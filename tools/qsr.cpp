// Checksum-script tool: runs the CHECKSUM lines of a script over a hex image
// and writes CS.LOG (the results) and QSR.LOG (what it did) into the current
// folder.
#include <cstdint>
#include <string>
#include <vector>

#include "common/crc32.h"
#include "common/file_io.h"
#include "common/hex_image.h"
#include "common/text.h"
#include "common/tool_error.h"
#include "common/tool_main.h"

namespace xkm::tools {
namespace {

enum class Algorithm { kCrc32, kSum16 };

struct Checksum {
  std::string name;
  Algorithm algorithm = Algorithm::kCrc32;
  std::uint32_t start = 0;
  std::uint32_t end = 0;  // inclusive
};

constexpr const char* kResultLog = "CS.LOG";
constexpr const char* kRunLog = "QSR.LOG";

std::uint32_t ParseAddress(const std::string& text, const std::string& line) {
  const auto value = ParseHexNumber(Trim(text));
  if (!value || *value > 0xFFFFFFFFull) throw ToolError("bad address in line: " + line);
  return static_cast<std::uint32_t>(*value);
}

Algorithm ParseAlgorithm(const std::string& text, const std::string& line) {
  const std::string upper = ToUpperAscii(Trim(text));
  if (upper == "CRC32") return Algorithm::kCrc32;
  if (upper == "SUM16") return Algorithm::kSum16;
  throw ToolError("unknown algorithm in line: " + line);
}

Checksum ParseChecksum(const std::string& value, const std::string& line) {
  const std::vector<std::string> fields = SplitFields(value, ';');
  if (fields.size() != 4) throw ToolError("CHECKSUM needs name;algorithm;start;end: " + line);
  Checksum checksum{Trim(fields[0]), ParseAlgorithm(fields[1], line), ParseAddress(fields[2], line),
                    ParseAddress(fields[3], line)};
  // The name is a field of CS.LOG.
  if (checksum.name.empty() || checksum.name.find(';') != std::string::npos) {
    throw ToolError("bad checksum name in line: " + line);
  }
  if (checksum.end < checksum.start) throw ToolError("range ends before it starts: " + line);
  return checksum;
}

std::vector<Checksum> ParseScript(const std::string& text) {
  std::vector<Checksum> checksums;
  for (const std::string& line : SplitLines(text)) {
    const auto entry = SplitKeyValue(line);
    if (entry && entry->key == "CHECKSUM") checksums.push_back(ParseChecksum(entry->value, line));
  }
  return checksums;
}

std::string Compute(Algorithm algorithm, const std::string& bytes) {
  if (algorithm == Algorithm::kCrc32) return FormatHex(Crc32(bytes), 8);
  std::uint32_t sum = 0;
  for (char byte : bytes) sum = (sum + static_cast<unsigned char>(byte)) & 0xFFFF;
  return FormatHex(sum, 4);
}

std::string Describe(const Checksum& checksum) {
  return std::string(checksum.algorithm == Algorithm::kCrc32 ? "CRC32" : "SUM16") + " " +
         checksum.name + " 0x" + FormatHex(checksum.start, 8) + "-0x" + FormatHex(checksum.end, 8);
}

// Adds what it did to `runLog`. CS.LOG is written only once every checksum is
// known.
void Calculate(const std::string& scriptPath, const std::string& imagePath, std::string& runLog) {
  const std::vector<Checksum> checksums = ParseScript(ReadFileBytes(scriptPath));
  const HexImage image = ReadHexImage(imagePath);
  runLog += "Image: " + imagePath + " (" + ImageFormatName(image.format()) + ")\r\n";
  std::string results = "Type;Name;Value;Range\r\n";
  for (const Checksum& checksum : checksums) {
    const std::string value =
        Compute(checksum.algorithm, image.range(checksum.start, checksum.end));
    results += "Checksum;" + checksum.name + ";" + value + "\r\n";
    runLog += Describe(checksum) + " = " + value + "\r\n";
  }
  WriteFileAtomic(kResultLog, results);
  runLog += std::to_string(checksums.size()) + " checksum(s) written to " + kResultLog + "\r\n";
}

int Run(const std::vector<std::string>& args) {
  if (args.size() != 3 || args[0] != "-b") throw ToolError("usage: qsr -b SCRIPTFILE HEXFILE");
  std::string runLog = "QSR sample checksum tool\r\nScript: " + args[1] + "\r\n";
  try {
    Calculate(args[1], args[2], runLog);
  } catch (const ToolError& error) {
    RemoveIfExists(kResultLog);
    WriteFileAtomic(kRunLog, runLog + "Error: " + error.what() + "\r\n");
    throw;
  }
  WriteFileAtomic(kRunLog, runLog);
  return 0;
}

}  // namespace
}  // namespace xkm::tools

int main(int argc, char** argv) {
  return xkm::tools::RunToolMain("qsr", argc, argv, xkm::tools::Run);
}
