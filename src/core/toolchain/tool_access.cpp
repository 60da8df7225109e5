#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/os/ini_reader.h"
#include "core/platform/os/path.h"
#include "core/platform/text/text_pieces.h"
#include "core/resources/message_ids.h"
#include "core/toolchain/captured_run.h"
#include "core/toolchain/tool_chain.h"
#include "core/toolchain/tool_watch.h"

namespace xkm {

std::string clsToolChain::GetToolPath(const std::string& key) {
  try {
    std::string path = ReadIniValue(ctx_.app.ToolConfigPath, "Tools", key, "");
    if (IsBlank(path))
      throw Error(msg::kFailure, "No Entry for tool : " + key + " found in configuration");
    if (!fs::FileExists(ResolveToolPath(path)))
      throw Error(msg::kFailure, "Tool : " + key + " not found");
    return path;
  } catch (const Error& e) {
    throw Error(msg::kFailure, e.description(), "GetToolPath");
  }
}

std::string clsToolChain::ResolveToolPath(const std::string& path) const {
  // A relative tool path is taken beside the tool configuration, so that a
  // configuration folder can be moved as a whole.
  if (path.empty()) return path;
  // An absolute path stays as it is; one that depends on a drive's current
  // folder raises, and the existence check reports it.
  if (fs::AnchorOf(path) != fs::PathAnchor::Relative) return fs::ResolvePath({}, path);
  std::string folder = ctx_.app.ToolConfigPath;
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

void clsToolChain::RunTool(const std::string& toolKey, const std::string& program,
                           const std::string& arguments, const std::string& /*title*/) {
  // The title and window placement matter only where a tool gets a console
  // window of its own, which is not the case here.
  const std::string commandLine = program + " " + arguments;
  std::vector<ToolRun>& runs = ctx_.session.toolRuns;
  runs.push_back(
      {.step = currentStep_, .tool = toolKey, .commandLine = commandLine, .running = true});
  ctx_.host.observer().toolRunsChanged(runs);
  ToolWatch watch(ctx_.app, ToolWatch::Clock::now());
  // The tools work in the image's folder; this program's current folder stays.
  ToolRun run =
      RunAndCapture(ctx_.host, commandLine, watch.control(), ctx_.session.prepared.folder);
  run.step = currentStep_;
  run.tool = toolKey;
  runs.back() = std::move(run);
  ctx_.host.observer().toolRunsChanged(runs);
  if (watch.endedByStop()) {
    ctx_.session.endedByStop = true;
    throw Error(msg::kFailure, "Tool : " + toolKey + " was ended by the stop request");
  }
  // A tool that removed the claim let a second run start beside this one.
  if (ctx_.session.folderLock.held() && !ctx_.session.folderLock.stillHeld())
    throw Error(msg::kFailure, std::to_string(msg::kFolderClaimLost) + " " +
                                   ctx_.message(msg::kFolderClaimLost,
                                                {{"file", ctx_.session.folderLock.path()}}));
  if (watch.timedOut())
    throw Error(msg::kFailure, "Tool : " + toolKey + " ran longer than its time limit of " +
                                   std::to_string(ctx_.app.ToolTimeoutSeconds) +
                                   " s (ToolTimeout) and was ended");
}

std::string clsToolChain::QuotedToolPath(const std::string& key) {
  return "\"" + ResolveToolPath(GetToolPath(key)) + "\"";
}

}  // namespace xkm
