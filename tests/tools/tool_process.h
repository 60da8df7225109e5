#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/child_process.h"

namespace xkm::test {

using ProcessResult = ChildResult;

using Environment = std::vector<std::pair<std::string, std::string>>;

// Runs `program` (looked up on PATH when it has no folder) with `args` in
// `folder`. The child gets this process's environment without the tools' test
// hooks, plus `env`.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& folder, const Environment& env = {});

// Runs one of the built sample tools.
ProcessResult RunSampleTool(const std::string& tool, const std::vector<std::string>& args,
                            const std::string& folder, const Environment& env = {});

struct ImageChunk {
  std::uint32_t address;
  std::string bytes;
};

// Writes an image of `chunks` to folder/name with srec_cat; `format` is
// "-intel" or "-motorola", `formatOptions` more srec_cat output options.
// Returns the full path.
std::string WriteImage(const std::string& folder, const std::string& name,
                       const std::vector<ImageChunk>& chunks, const std::string& format,
                       const std::vector<std::string>& formatOptions = {});

// Bitwise CRC-32 (zlib polynomial), kept apart from the tools' table version.
std::uint32_t ReferenceCrc32(const std::string& bytes);

std::string BigEndian32(std::uint32_t value);

}  // namespace xkm::test
