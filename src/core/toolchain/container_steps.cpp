#include <string>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/resources/message_ids.h"
#include "core/session/config_names.h"
#include "core/session/file_names.h"
#include "core/toolchain/ansi_file_text.h"
#include "core/toolchain/container_files.h"
#include "core/toolchain/run_files.h"
#include "core/toolchain/tool_chain.h"
#include "core/toolchain/tool_commands.h"
#include "core/toolchain/tool_inputs.h"
#include "core/toolchain/working_files.h"

namespace xkm {
void clsToolChain::BuildXKMContainer() {
  std::string name;
  try {
    UpdateState(ctx_.message(msg::kBuildingContainer));
    ctx_.host.processEvents();
    // Known without a session: an earlier container of the order is set
    // aside whatever fails.
    name = ContainerName(ValueOf(ctx_.session.DataTable, data::kSgidb1),
                         ValueOf(ctx_.session.DataTable, data::kSgidb3));
    RequirePreparedSession(ctx_.session);
    WriteValue(ctx_.session.ConfigTable, config::kContainerFileName, name);
    name = Config(ctx_, config::kContainerFileName);

    const std::string& folder = ctx_.session.prepared.folder;

    // Empty order fields would make a container that looks whole.
    if (ctx_.session.logisticData == Session::LogisticData::Failed)
      throw Error(msg::kNoContainerWithoutOrder,
                  ctx_.message(msg::kNoContainerWithoutOrder, {{"file", ctx_.app.InputXmlPath}}));
    const std::string container = RenderContainerText(ctx_);
    CheckNameInWorkingFolder(name, msg::kContainerNameError, "Container name");
    const std::string containerPath = ContainerPath(folder, name);
    const std::string bytes = EncodeForAnsiFile(ctx_, container, containerPath);
    // The SGO file of the container this one replaces would no longer match
    // it: set aside, so that nothing is lost should the write fail.
    SetAsideEarlierSgo(ctx_, folder, name);
    WriteRunFile(ctx_, containerPath, bytes);
    ctx_.session.writtenContainer = containerPath;
  } catch (const std::exception& e) {
    // This step never stops the run: any failure, memory included, is shown
    // and the clean-up after it still runs. What an earlier run left under
    // this name must not pass for this run's container.
    ctx_.host.showMessage(AsError(e).numberAndDescription(), kApplicationTitle);
    SetAsideEarlierOutputsOf(name);
  }
}

void clsToolChain::BuildSGOContainer() {
  try {
    RequirePreparedSession(ctx_.session);
    const std::string name = Config(ctx_, config::kContainerFileName);
    const std::string& folder = ctx_.session.prepared.folder;
    const std::string container = ContainerPath(folder, name);
    // Only this run's container is converted; an earlier one lying there is
    // as good as none.
    if (ctx_.session.writtenContainer != container)
      throw Error(msg::kFailure, "SGO-File : " + name + ".xkm" + " was not created!");
    const std::string converter = QuotedToolPath(ctx_.app, tool::kSgoConverter);
    const std::string sgo = SgoPath(folder, name);
    RemoveLeftover(ctx_, sgo);
    RunTool(tool::kSgoConverter, converter, SgoConverterArguments(name), "SGO-Conversion");
    if (!fs::FileExists(container))
      throw Error(msg::kFailure, "SGO-File : " + name + ".xkm" + " was not created!");
    if (!fs::FileExists(sgo))
      throw Error(msg::kFailure, "SGO-File : " + name + ".sgo" + " was not created!");
    ctx_.session.convertedContainer = sgo;
  } catch (const std::exception& e) {
    throw Error(msg::kFailure, AsError(e).description() + kProgramStops, "BuildSGOContainer");
  }
}

void clsToolChain::CLEANUPSESSION() {
  try {
    UpdateState(ctx_.message(msg::kDeletingWorkingFiles));
    ctx_.host.processEvents();
    RequirePreparedSession(ctx_.session);
    DeleteWorkingFiles(ctx_);
    UpdateState(ctx_.message(msg::kReady));
  } catch (const std::exception& e) {
    throw Error(msg::kFailure, AsError(e).description(), "CLEANUPSESSION");
  }
}

void clsToolChain::RunEnded(bool completed) {
  if (completed) return;
  std::string name = Config(ctx_, config::kContainerFileName);
  if (name.empty() && ctx_.session.logisticData == Session::LogisticData::Read)
    name = ContainerName(ValueOf(ctx_.session.DataTable, data::kSgidb1),
                         ValueOf(ctx_.session.DataTable, data::kSgidb3));
  SetAsideEarlierOutputsOf(name);
}

void clsToolChain::SetAsideEarlierOutputsOf(const std::string& name) {
  // Only in the folder this run claimed, known also when the preparation
  // failed; a refused run never claimed one, and what lies there belongs to
  // the run that holds it.
  if (!ctx_.session.folderLock.held() || name.empty() || !fs::FileNameFault(name).empty()) return;
  try {
    SetAsideEarlierOutputs(ctx_, fs::FolderOf(ctx_.session.folderLock.path()), name);
  } catch (const std::exception& e) {
    ctx_.host.showMessage(AsError(e).numberAndDescription(), kApplicationTitle);
  }
}

}  // namespace xkm
