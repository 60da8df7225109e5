#pragma once

#include <cstdint>
#include <string>

#include "core/session/app_state.h"
#include "core/session/prepared_run.h"

namespace xkm {

// The tool keys of the tool configuration's [Tools] section.
namespace tool {
inline constexpr const char* kConverter = "Brakel";
inline constexpr const char* kLengthCheck = "Lenwatch";
inline constexpr const char* kChecksum = "QSR";
inline constexpr const char* kPacker = "ZOVEN";
inline constexpr const char* kSgoConverter = "XKM2SGO";
}  // namespace tool

// A tool path from the configuration, a relative one taken beside it.
std::string ResolveToolPath(const AppState& app, const std::string& path);
// The configured tool's path as the program part of a command line;
// msg::kFailure when the entry is missing or blank or the file does not exist.
std::string QuotedToolPath(const AppState& app, const std::string& key);

// What follows the program on each tool's command line (a run starts
// program + " " + arguments).
std::string ConverterArguments(const PreparedRun& run, const std::string& controlFile);
std::string LengthCheckArguments(const std::string& bcbFile);
std::string ChecksumArguments(const PreparedRun& run);
std::string PackerArguments(const std::string& mimFile, const std::string& bcbFile);
std::string SgoConverterArguments(const std::string& containerName);

// The MIM file the packer makes of data block `block`.
std::string MimFileOf(const PreparedRun& run, int32_t block);

}  // namespace xkm
