#include <string>

#include "core/library/layout_templates.h"
#include "core/platform/error.h"
#include "core/platform/file_system.h"
#include "core/resources/message_ids.h"
#include "core/session/conversions.h"
#include "core/templates/checksum_import.h"
#include "core/templates/replace_data.h"
#include "core/toolchain/ansi_file_text.h"
#include "core/toolchain/command_text.h"
#include "core/toolchain/file_names.h"
#include "core/toolchain/tool_chain.h"

namespace xkm {
namespace {

constexpr const char* kProgramStops = " - program stops!";

std::string Config(const Context& ctx, const char* name) {
  return ReadValue(ctx.session.ConfigTable, name, 1);
}

std::string BlockFile(const std::string& folder, const std::string& stem, int32_t block) {
  return folder + fs::kSeparator + stem + "_" + std::to_string(block) + ".bcb";
}

}  // namespace

void clsToolChain::RUN_BCB_CONVERSION() {
  try {
    UpdateState(ctx_.message(msg::kConvertingToBcb));
    ctx_.host.processEvents();
    const std::string folder = Config(ctx_, "PFADZIELABLAGE");
    fs::SetCurrentFolder(folder);

    BrakelTemplate brakel = GetBrakelTemplate(ctx_, Config(ctx_, "AST"));
    WriteValue(ctx_.session.ConfigTable, "BSL_TEMPLATE", brakel.name);
    CheckNameInWorkingFolder(brakel.name, msg::kTemplateFileNameError, "BRAKEL template name");
    const std::string brakelTemplate = brakel.content;
    ReplaceData(ctx_, brakel.content);
    const std::string controlFile = folder + fs::kSeparator + brakel.name;
    fs::WriteFileAtomic(
        controlFile,
        EncodeForAnsiFile(ctx_, brakel.content, controlFile,
                          {{"<ADRESSLAYOUT " + Config(ctx_, "AST") + " BRAKEL>", brakelTemplate}}));

    // Every path goes through QuoteArgument: a quote in a folder or file name
    // would otherwise end the quoted argument early and split it.
    RunTool("Brakel", QuotedToolPath("Brakel"),
            " " + QuoteArgument(Config(ctx_, "PFADZIELABLAGE") + fs::kSeparator +
                                Config(ctx_, "BSL_TEMPLATE")),
            "BCB-Conversion");

    const int32_t blockCount = ToLong(Config(ctx_, "DATABLOCK_COUNT"));
    const std::string lenwatch = QuotedToolPath("Lenwatch");
    const std::string stem = Config(ctx_, "HEXFILESHORT_WITHOUT_EXTENSION");
    for (int32_t i = 1; i <= blockCount; ++i) {
      const std::string bcb = BlockFile(folder, stem, i);
      if (!fs::FileExists(bcb)) throw Error(msg::kFailure, "File : " + bcb + " not found!");
      // Quoted, so that a working folder with blanks still reaches the tool
      // as one argument.
      RunTool("Lenwatch", lenwatch, QuoteArgument(bcb), "Check-BCB-Length");
    }

    RunTool("QSR", QuotedToolPath("QSR"),
            " -b " + QuoteArgument(folder + fs::kSeparator + Config(ctx_, "QSR_TEMPLATE")) + " " +
                QuoteArgument(Config(ctx_, "HEXFILE")),
            "Calculate checksums");

    const std::string checksumLog = folder + fs::kSeparator + "CS.LOG";
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
    const std::string blockCountText = Config(ctx_, "DATABLOCK_COUNT");
    const std::string zoven = QuotedToolPath("ZOVEN");
    const int32_t blockCount = ToLong(blockCountText);
    const std::string folder = Config(ctx_, "PFADZIELABLAGE");
    const std::string hexFile = Config(ctx_, "HEXFILE");
    const std::string stem = Config(ctx_, "HEXFILESHORT_WITHOUT_EXTENSION");
    for (int32_t i = 1; i <= blockCount; ++i) {
      const std::string mim = hexFile + "_blk_" + std::to_string(i) + "_mim";
      RunTool("ZOVEN", zoven,
              " -o " + QuoteArgument(mim) + " " + QuoteArgument(BlockFile(folder, stem, i)),
              "MIM-Conversion");
      if (!fs::FileExists(mim))
        throw Error(msg::kFailure, "MIM-File : " + mim + " was not created!");
    }
  } catch (const std::exception& e) {
    throw Error(msg::kFailure, AsError(e).description() + kProgramStops, "RUN_BCB2MIM_CONVERSION");
  }
}

}  // namespace xkm
