#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/child_process.h"

namespace xkm::test {

// Runs one of the built sample tools in `folder`, without the tools' test hooks.
ChildResult RunSampleTool(const std::string& tool, const std::vector<std::string>& args,
                          const std::string& folder);

struct ImageChunk {
  std::uint32_t address;
  std::string bytes;
};

// Writes an image of `chunks` to folder/name; `format` is "-intel" or
// "-motorola" (S3 records). Returns the full path.
std::string WriteImage(const std::string& folder, const std::string& name,
                       const std::vector<ImageChunk>& chunks, const std::string& format);

// Bitwise CRC-32 (zlib polynomial), kept apart from the tools' table version.
std::uint32_t ReferenceCrc32(const std::string& bytes);

std::string BigEndian32(std::uint32_t value);

}  // namespace xkm::test
