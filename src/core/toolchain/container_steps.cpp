#include <string>

#include "core/platform/cp1252.h"
#include "core/platform/error.h"
#include "core/platform/file_system.h"
#include "core/resources/message_ids.h"
#include "core/templates/replace_data.h"
#include "core/templates/template_expansion.h"
#include "core/toolchain/ansi_file_text.h"
#include "core/toolchain/command_text.h"
#include "core/toolchain/file_names.h"
#include "core/toolchain/tool_chain.h"
#include "core/toolchain/working_files.h"

namespace xkm {
namespace {

// Boxes "without a title of their own" show the application's title.
constexpr const char* kApplicationTitle = "xkmtool";
constexpr size_t kPaddedNameLength = 16;

std::string Config(const Context& ctx, const char* name) {
  return ReadValue(ctx.session.ConfigTable, name, 1);
}

// SGIDB1, underscores, SGIDB3: at least one underscore, and a short name is
// padded to 16 characters.
std::string ContainerName(const std::string& sgidb1, const std::string& sgidb3) {
  const size_t length = Utf8Length(sgidb1) + Utf8Length(sgidb3);
  const size_t underscores = length >= kPaddedNameLength - 1 ? 1 : kPaddedNameLength - length;
  return sgidb1 + std::string(underscores, '_') + sgidb3;
}

}  // namespace

void clsToolChain::BuildXKMContainer() {
  try {
    UpdateState(ctx_.message(msg::kBuildingContainer));
    ctx_.host.processEvents();
    const std::string name = ContainerName(ReadValue(ctx_.session.DataTable, "SGIDB1", 1),
                                           ReadValue(ctx_.session.DataTable, "SGIDB3", 1));
    WriteValue(ctx_.session.ConfigTable, "CNT_FILENAME", name);

    std::string mcs = Config(ctx_, "MCS_CONTENT");
    const std::string raw = Config(ctx_, "RAW_CONTENT");
    const std::string folder = Config(ctx_, "PFADZIELABLAGE");
    const std::string containerName = Config(ctx_, "CNT_FILENAME");

    ReplaceData(ctx_, mcs);
    if (mcs.find("<$") != std::string::npos) {
      ctx_.host.showMessage(
          std::to_string(msg::kUnknownMcsVariables) + " " + ctx_.message(msg::kUnknownMcsVariables),
          kApplicationTitle);
      return;
    }
    SessionTable variables = ParseVariableDefinitions(ctx_, mcs);
    ctx_.host.processEvents();
    std::string container;
    ExpandTemplate(ctx_, variables, raw, container);
    CheckNameInWorkingFolder(containerName, msg::kContainerNameError, "Container name");
    const std::string containerPath = folder + fs::kSeparator + containerName + ".xkm";
    fs::WriteFileAtomic(containerPath, EncodeForAnsiFile(ctx_, container, containerPath));
    ctx_.session.writtenContainer = containerPath;
  } catch (const std::exception& e) {
    // This step never stops the run: any failure, memory included, is shown
    // and the clean-up after it still runs.
    ctx_.host.showMessage(AsError(e).numberAndDescription(), kApplicationTitle);
  }
}

void clsToolChain::BuildSGOContainer() {
  try {
    const std::string name = Config(ctx_, "CNT_FILENAME");
    const std::string converter = QuotedToolPath("XKM2SGO");
    // Quoted only when needed: the name comes from the logistic data and may
    // hold blanks or quotes, which must still reach the tool as one argument.
    const std::string file = name + ".xkm";
    const bool plain = file.find_first_of(" \t\"") == std::string::npos;
    RunTool("XKM2SGO", converter, " -l " + (plain ? file : QuoteArgument(file)), "SGO-Conversion");
    const std::string folder = Config(ctx_, "PFADZIELABLAGE");
    if (!fs::FileExists(folder + fs::kSeparator + name + ".xkm"))
      throw Error(msg::kFailure, "SGO-File : " + name + ".xkm" + " was not created!");
  } catch (const std::exception& e) {
    throw Error(msg::kFailure, AsError(e).description() + " - program stops!", "BuildSGOContainer");
  }
}

void clsToolChain::CLEANUPSESSION() {
  try {
    UpdateState(ctx_.message(msg::kDeletingWorkingFiles));
    ctx_.host.processEvents();
    DeleteWorkingFiles(ctx_.session);
    UpdateState(ctx_.message(msg::kReady));
  } catch (const std::exception& e) {
    throw Error(msg::kFailure, AsError(e).description(), "CLEANUPSESSION");
  }
}

}  // namespace xkm
