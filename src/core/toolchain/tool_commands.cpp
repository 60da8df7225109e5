#include "core/toolchain/tool_commands.h"

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/os/ini_reader.h"
#include "core/platform/os/path.h"
#include "core/platform/text/text_pieces.h"
#include "core/resources/message_ids.h"
#include "core/toolchain/command_text.h"

namespace xkm {

namespace {

// The configured path of an external tool; msg::kFailure when the entry is
// missing or blank or the file does not exist.
std::string GetToolPath(const AppState& app, const std::string& key) {
  try {
    std::string path = ReadIniValue(app.ToolConfigPath, "Tools", key, "");
    if (IsBlank(path))
      throw Error(msg::kFailure, "No Entry for tool : " + key + " found in configuration");
    if (!fs::FileExists(ResolveToolPath(app, path)))
      throw Error(msg::kFailure, "Tool : " + key + " not found");
    return path;
  } catch (const Error& e) {
    throw Error(msg::kFailure, e.description(), "GetToolPath");
  }
}

}  // namespace

std::string ResolveToolPath(const AppState& app, const std::string& path) {
  // A relative tool path is taken beside the tool configuration, so that a
  // configuration folder can be moved as a whole.
  if (path.empty()) return path;
  // An absolute path stays as it is; one that depends on a drive's current
  // folder raises, and the existence check reports it.
  if (fs::AnchorOf(path) != fs::PathAnchor::Relative) return fs::ResolvePath({}, path);
  std::string folder = app.ToolConfigPath;
  std::string name;
  try {
    fs::SplitPath(folder, name);
  } catch (const Error&) {
    // A configuration path without a folder: the tool path stays as given,
    // and the existence check then names the tool that is not found.
    return path;
  }
  return folder + fs::kSeparator + path;
}

std::string QuotedToolPath(const AppState& app, const std::string& key) {
  return "\"" + ResolveToolPath(app, GetToolPath(app, key)) + "\"";
}

std::string ConverterArguments(const PreparedRun& run, const std::string& controlFile) {
  // Every path goes through QuoteArgument: a quote in a folder or file name
  // would otherwise end the quoted argument early and split it.
  return " " + QuoteArgument(run.folder + fs::kSeparator + controlFile);
}

std::string LengthCheckArguments(const std::string& bcbFile) {
  // Quoted, so that a working folder with blanks still reaches the tool as
  // one argument.
  return QuoteArgument(bcbFile);
}

std::string ChecksumArguments(const PreparedRun& run) {
  return " -b " + QuoteArgument(run.folder + fs::kSeparator + run.qsrScript) + " " +
         QuoteArgument(run.hexPath);
}

std::string MimFileOf(const PreparedRun& run, int32_t block) {
  return run.hexPath + "_blk_" + std::to_string(block) + "_mim";
}

std::string PackerArguments(const std::string& mimFile, const std::string& bcbFile) {
  return " -o " + QuoteArgument(mimFile) + " " + QuoteArgument(bcbFile);
}

std::string SgoConverterArguments(const std::string& containerName) {
  // Quoted only when needed: the name comes from the logistic data and may
  // hold blanks or quotes, which must still reach the tool as one argument.
  const std::string file = containerName + ".xkm";
  const bool plain = file.find_first_of(" \t\"") == std::string::npos;
  return " -l " + (plain ? file : QuoteArgument(file));
}

}  // namespace xkm
