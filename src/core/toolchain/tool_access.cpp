#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/text/text_pieces.h"
#include "core/resources/message_ids.h"
#include "core/toolchain/captured_run.h"
#include "core/toolchain/tool_chain.h"
#include "core/toolchain/tool_watch.h"

namespace xkm {

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

}  // namespace xkm
