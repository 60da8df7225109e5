#include <string>

#include "core/library/layout_templates.h"
#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/resources/message_ids.h"
#include "core/session/config_names.h"
#include "core/session/file_names.h"
#include "core/templates/checksum_import.h"
#include "core/templates/replace_data.h"
#include "core/toolchain/ansi_file_text.h"
#include "core/toolchain/command_text.h"
#include "core/toolchain/run_files.h"
#include "core/toolchain/tool_chain.h"
#include "core/toolchain/working_files.h"

namespace xkm {
namespace {

constexpr const char* kProgramStops = " - program stops!";

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
    const std::string& folder = run.folder;

    BrakelTemplate brakel = GetBrakelTemplate(ctx_, run.layout);
    WriteValue(ctx_.session.ConfigTable, config::kBslTemplate, brakel.name);
    ctx_.session.writtenControlFile = brakel.name;
    CheckNameInWorkingFolder(brakel.name, msg::kTemplateFileNameError, "BRAKEL template name");
    const std::string brakelTemplate = brakel.content;
    ReplaceData(ctx_, brakel.content);
    const std::string controlFile = folder + fs::kSeparator + brakel.name;
    WriteRunFile(ctx_, controlFile,
                 EncodeForAnsiFile(ctx_, brakel.content, controlFile,
                                   {{"<ADRESSLAYOUT " + run.layout + " BRAKEL>", brakelTemplate}}));

    // A tool is judged by the files it leaves: none may be an earlier run's.
    const WorkingFileNames names = WorkingFileNamesOf(ctx_.session);
    for (int32_t i = 1; i <= names.blockCount; ++i) {
      RemoveLeftover(ctx_, BcbFile(names, i));
      RemoveLeftover(ctx_, LengthLog(names, i));
    }
    // Every path goes through QuoteArgument: a quote in a folder or file name
    // would otherwise end the quoted argument early and split it.
    RunTool("Brakel", QuotedToolPath("Brakel"),
            " " + QuoteArgument(folder + fs::kSeparator + ValueAsReadBack(brakel.name)),
            "BCB-Conversion");

    const std::string lenwatch = QuotedToolPath("Lenwatch");
    for (int32_t i = 1; i <= names.blockCount; ++i) {
      const std::string bcb = BcbFile(names, i);
      RequireFile(bcb);
      // Quoted, so that a working folder with blanks still reaches the tool
      // as one argument.
      RunTool("Lenwatch", lenwatch, QuoteArgument(bcb), "Check-BCB-Length");
      // The length log is the check's verdict: without it nothing was checked.
      RequireFile(LengthLog(names, i));
    }

    const std::string checksumLog = folder + fs::kSeparator + kChecksumLogName;
    RemoveLeftover(ctx_, checksumLog);
    RemoveLeftover(ctx_, folder + fs::kSeparator + kQsrLogName);
    RunTool("QSR", QuotedToolPath("QSR"),
            " -b " + QuoteArgument(folder + fs::kSeparator + run.qsrScript) + " " +
                QuoteArgument(run.hexPath),
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
    const std::string zoven = QuotedToolPath("ZOVEN");
    const WorkingFileNames names = WorkingFileNamesOf(ctx_.session);
    const std::string& hexFile = ctx_.session.prepared.hexPath;
    for (int32_t i = 1; i <= names.blockCount; ++i) {
      const std::string mim = hexFile + "_blk_" + std::to_string(i) + "_mim";
      RemoveLeftover(ctx_, mim);
      RunTool("ZOVEN", zoven, " -o " + QuoteArgument(mim) + " " + QuoteArgument(BcbFile(names, i)),
              "MIM-Conversion");
      if (!fs::FileExists(mim))
        throw Error(msg::kFailure, "MIM-File : " + mim + " was not created!");
    }
  } catch (const std::exception& e) {
    throw Error(msg::kFailure, AsError(e).description() + kProgramStops, "RUN_BCB2MIM_CONVERSION");
  }
}

}  // namespace xkm
