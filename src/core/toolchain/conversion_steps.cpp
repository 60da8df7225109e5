#include <string>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/resources/message_ids.h"
#include "core/session/config_names.h"
#include "core/session/file_names.h"
#include "core/templates/checksum_import.h"
#include "core/toolchain/run_files.h"
#include "core/toolchain/tool_chain.h"
#include "core/toolchain/tool_commands.h"
#include "core/toolchain/tool_inputs.h"
#include "core/toolchain/working_files.h"

namespace xkm {
namespace {

void RequireFile(const std::string& path) {
  if (!fs::FileExists(path)) throw Error(msg::kFailure, "File : " + path + " not found!");
}

}  // namespace

void clsToolChain::RUN_BCB_CONVERSION() {
  try {
    UpdateState(ctx_.message(msg::kConvertingToBcb));
    ctx_.host.processEvents();
    RequirePreparedSession(ctx_.session);
    const PreparedRun& run = ctx_.session.prepared;
    const ToolInputFile controlFile = RenderControlFile(ctx_);
    ctx_.session.writtenControlFile = controlFile.name;
    WriteRunFile(ctx_, run.folder + fs::kSeparator + controlFile.name, controlFile.bytes);

    // A tool is judged by the files it leaves: none may be an earlier run's.
    const WorkingFileNames names = WorkingFileNamesOf(ctx_.session);
    for (int32_t i = 1; i <= names.blockCount; ++i) {
      RemoveLeftover(ctx_, BcbFile(names, i));
      RemoveLeftover(ctx_, LengthLog(names, i));
    }
    RunTool(tool::kConverter, QuotedToolPath(ctx_.app, tool::kConverter),
            ConverterArguments(run, ValueAsReadBack(controlFile.name)), "BCB-Conversion");

    const std::string lenwatch = QuotedToolPath(ctx_.app, tool::kLengthCheck);
    for (int32_t i = 1; i <= names.blockCount; ++i) {
      const std::string bcb = BcbFile(names, i);
      RequireFile(bcb);
      RunTool(tool::kLengthCheck, lenwatch, LengthCheckArguments(bcb), "Check-BCB-Length");
      // The length log is the check's verdict: without it nothing was checked.
      RequireFile(LengthLog(names, i));
    }

    const std::string checksumLog = run.folder + fs::kSeparator + kChecksumLogName;
    RemoveLeftover(ctx_, checksumLog);
    RemoveLeftover(ctx_, run.folder + fs::kSeparator + kQsrLogName);
    RunTool(tool::kChecksum, QuotedToolPath(ctx_.app, tool::kChecksum), ChecksumArguments(run),
            "Calculate checksums");

    if (!fs::FileExists(checksumLog))
      throw Error(msg::kFailure, "Checksum-File : " + checksumLog + " not found!");
    ImportChecksums(ctx_);
  } catch (const std::exception& e) {
    throw Error(msg::kFailure, AsError(e).description() + kProgramStops, "RUN_BCB_CONVERSION");
  }
}

void clsToolChain::RUN_BCB2MIM_CONVERSION() {
  try {
    UpdateState(ctx_.message(msg::kConvertingToMim));
    ctx_.host.processEvents();
    RequirePreparedSession(ctx_.session);
    const std::string zoven = QuotedToolPath(ctx_.app, tool::kPacker);
    const WorkingFileNames names = WorkingFileNamesOf(ctx_.session);
    for (int32_t i = 1; i <= names.blockCount; ++i) {
      const std::string mim = MimFileOf(ctx_.session.prepared, i);
      RemoveLeftover(ctx_, mim);
      RunTool(tool::kPacker, zoven, PackerArguments(mim, BcbFile(names, i)), "MIM-Conversion");
      if (!fs::FileExists(mim))
        throw Error(msg::kFailure, "MIM-File : " + mim + " was not created!");
    }
  } catch (const std::exception& e) {
    throw Error(msg::kFailure, AsError(e).description() + kProgramStops, "RUN_BCB2MIM_CONVERSION");
  }
}

}  // namespace xkm
