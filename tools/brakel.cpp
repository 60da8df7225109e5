// Boot-loader-format converter: cuts the data blocks named in a control file
// out of a hex image and writes each as <NAME>_<i>.bcb beside the control file.
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "common/container_formats.h"
#include "common/file_io.h"
#include "common/hex_image.h"
#include "common/text.h"
#include "common/tool_error.h"
#include "common/tool_main.h"

namespace xkm::tools {
namespace {

struct Block {
  std::uint32_t number = 0;
  std::uint32_t start = 0;
  std::uint32_t end = 0;  // inclusive
};

struct ControlData {
  std::string image;
  std::string name;
  std::vector<Block> blocks;
};

std::uint32_t ParseAddress(const std::string& text, const std::string& line) {
  const auto value = ParseHexNumber(Trim(text));
  if (!value) throw ToolError("bad address in line: " + line);
  if (*value > 0xFFFFFFFFull) throw ToolError("address outside 32 bits in line: " + line);
  return static_cast<std::uint32_t>(*value);
}

Block ParseBlock(const std::string& value, const std::string& line) {
  const std::vector<std::string> fields = SplitFields(value, ';');
  if (fields.size() != 3) throw ToolError("BLOCK needs number;start;end: " + line);
  const auto number = ParseDecimal(Trim(fields[0]));
  if (!number || *number == 0) throw ToolError("bad block number in line: " + line);
  Block block{*number, ParseAddress(fields[1], line), ParseAddress(fields[2], line)};
  if (block.end < block.start) throw ToolError("block ends before it starts: " + line);
  return block;
}

// The name becomes part of file names in the control file's folder.
void CheckName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." ||
      name.find_first_of("/\\") != std::string::npos) {
    throw ToolError("NAME must be a plain file name, got \"" + name + "\"");
  }
}

ControlData ParseControlFile(const std::string& text) {
  ControlData data;
  std::set<std::uint32_t> numbers;
  for (const std::string& line : SplitLines(text)) {
    const auto entry = SplitKeyValue(line);
    if (!entry) continue;
    if (entry->key == "IMAGE") {
      if (!data.image.empty()) throw ToolError("IMAGE given twice");
      data.image = entry->value;
    } else if (entry->key == "NAME") {
      if (!data.name.empty()) throw ToolError("NAME given twice");
      data.name = entry->value;
    } else if (entry->key == "BLOCK") {
      Block block = ParseBlock(entry->value, line);
      if (!numbers.insert(block.number).second) throw ToolError("block given twice: " + line);
      data.blocks.push_back(block);
    }
  }
  if (data.image.empty()) throw ToolError("no IMAGE line");
  CheckName(data.name);
  return data;
}

std::string BcbPath(const std::string& folder, const std::string& name, std::uint32_t number) {
  return folder + "/" + name + "_" + std::to_string(number) + ".bcb";
}

void RemoveBcbFiles(const std::string& folder, const ControlData& data) {
  for (const Block& block : data.blocks) RemoveIfExists(BcbPath(folder, data.name, block.number));
}

// Every block is cut before the first file is written, so that a failed run
// leaves no BCB file at all.
void WriteBlocks(const std::string& folder, const ControlData& data, const std::string& imagePath) {
  const HexImage image = ReadHexImage(imagePath);  // an unreadable image fails even without blocks
  std::vector<std::string> files;
  for (const Block& block : data.blocks) {
    files.push_back(EncodeBcb(block.start, image.range(block.start, block.end)));
  }
  for (std::size_t i = 0; i < data.blocks.size(); ++i) {
    const std::string path = BcbPath(folder, data.name, data.blocks[i].number);
    WriteFileAtomic(path, files[i]);
    std::cout << "brakel: " << path << " (" << files[i].size() - kBcbHeaderSize << " bytes)\n";
  }
}

int Run(const std::vector<std::string>& args) {
  if (args.size() != 1) throw ToolError("usage: brakel CONTROLFILE");
  const std::string folder = FolderOf(args[0]);
  const ControlData data = ParseControlFile(ReadFileBytes(args[0]));
  // The control file is Windows-1252 text.
  std::filesystem::path image = NativePath(Cp1252ToUtf8(data.image));
  if (image.is_relative()) image = NativePath(folder) / image;
  try {
    WriteBlocks(folder, data, Utf8Path(image));
  } catch (const ToolError&) {
    RemoveBcbFiles(folder, data);
    throw;
  }
  return 0;
}

}  // namespace
}  // namespace xkm::tools

int main(int argc, char** argv) {
  return xkm::tools::RunToolMain("brakel", argc, argv, xkm::tools::Run);
}
