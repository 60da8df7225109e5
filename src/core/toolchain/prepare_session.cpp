#include "core/toolchain/prepare_session.h"

#include "core/a2l/a2l_reader.h"
#include "core/library/hardware_selection.h"
#include "core/library/layout_templates.h"
#include "core/library/library_loader.h"
#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/os/path.h"
#include "core/platform/text/text_pieces.h"
#include "core/resources/message_ids.h"
#include "core/session/config_names.h"
#include "core/session/conversions.h"
#include "core/session/file_names.h"
#include "core/toolchain/ansi_file_text.h"
#include "core/toolchain/run_files.h"
#include "core/toolchain/working_files.h"

namespace xkm {
namespace {

// Shows what went wrong as "Error" boxes, in order; a library that loaded
// also ends an earlier Stop.
void LoadLibrary(Context& ctx) {
  const LibraryLoad load = LoadLibraryFile(ctx);
  for (const Error& failure : load.failures) {
    ctx.host.showMessage(failure.numberAndDescription(), "Error");
    // A name that does not match is told, and the library is still used.
    if (!load.loaded && ctx.session.preparationFailure.empty())
      ctx.session.preparationFailure = failure.numberAndDescription();
  }
  if (load.loaded) {
    ctx.app.StopRequested = false;
    ctx.app.StopPresses = 0;
  }
}

// The converter's control file of `layout`, for the clean-up of a run that
// never got to remove it; empty for a layout without one, which only the
// conversion step reports.
std::string BrakelTemplateName(DataContext& ctx, const std::string& layout) {
  try {
    const std::string name = GetBrakelTemplate(ctx, layout).name;
    return fs::FileNameFault(name).empty() ? name : std::string();
  } catch (const Error&) {
    return {};
  }
}

// Reads the A2L facts and writes CONFIG_NUM for the ECU they name.
void SelectConfigNum(Context& ctx) {
  ReadA2LData(ctx);
  const std::string ecu = ValueOf(ctx.session.DataTable, data::kEcu);
  WriteValue(ctx.session.ConfigTable, config::kConfigNum,
             std::to_string(GetEcuConfigNum(ctx, ecu)));
}

// The steps of a preparation, in their fixed order; the first failure ends them.
void PrepareSteps(Context& ctx, const std::string& hexPath, const std::string& a2lPath) {
  Session& session = ctx.session;
  SessionTable& config = session.ConfigTable;

  LoadLibrary(ctx);
  InitSessionTables(session);
  session.layoutTrace.clear();
  WriteValue(session.ConfigTable, config::kA2lFile, a2lPath);
  WriteValue(session.ConfigTable, config::kHexFile, hexPath);
  SelectConfigNum(ctx);

  std::string folder = hexPath;
  std::string shortName;
  fs::SplitPath(folder, shortName);
  // Session values are read back trimmed: a folder "job " would become "job",
  // and the tools would work in (and clean up) another folder.
  if (TrimBlanks(folder) != folder)
    throw Error(msg::kFolderNameBlank, ctx.message(msg::kFolderNameBlank, {{"folder", folder}}),
                "PrepareSession");
  const std::string withoutExtension = shortName.substr(0, shortName.find('.'));

  SetCpuType(ctx);
  const std::string layout = GetAddressLayout(ctx);
  const int32_t blockCount = GetDatablockCount(ctx, layout);
  const bool mim = GetMimConversion(ctx, layout);
  const BaudConfig baud = ToLong(ValueOf(config, config::kConfigNum)) == 1
                              ? GetBaudConfigByFrequency(ctx)
                              : GetBaudConfigFixed(ctx);
  WriteValue(config, config::kBaudRateTester, baud.tester);
  WriteValue(config, config::kBaudRateEcu, baud.ecu);
  WriteValue(config, config::kWorkingFolder, folder);
  ctx.host.processEvents();

  const LayoutTemplates templates = GetLayoutTemplates(ctx, layout);
  CheckNameInWorkingFolder(templates.qsrName, msg::kTemplateFileNameError, "QSR template name");
  // The clean-up removes a file of this name: it must lie in the folder too.
  if (!IsBlank(templates.hexInfoName))
    CheckNameInWorkingFolder(templates.hexInfoName, msg::kTemplateFileNameError,
                             "QSR_HEXINFO template name");
  const std::string controlFile = BrakelTemplateName(ctx, layout);
  if (ControlFileReplacesScript(controlFile, templates.qsrName))
    throw Error(msg::kTemplateFileNameError,
                "BRAKEL template name " + controlFile +
                    " is the QSR template's: the control file would replace the QSR script",
                "BRAKEL template name");
  RemoveLeftWorkingFiles(
      ctx, {folder, shortName, withoutExtension, blockCount, {templates.hexInfoName, controlFile}});
  const std::string script = folder + fs::kSeparator + templates.qsrName;
  WriteRunFile(ctx, script,
               EncodeForAnsiFile(ctx, templates.qsrContent, script,
                                 {{"<ADRESSLAYOUT " + layout + " QSR>", templates.qsrContent}}));
  ctx.host.setBusyPointer(true);

  WriteValue(config, config::kQsrTemplate, templates.qsrName);
  WriteValue(config, config::kMimConversion, mim ? "1" : "0");
  WriteValue(config, config::kDatablockCount, std::to_string(blockCount));
  WriteValue(config, config::kMcsContent, templates.mcsContent);
  WriteValue(config, config::kRawContent, templates.rawContent);
  WriteValue(config, config::kHexFileShort, shortName);
  WriteValue(config, config::kHexFileShortWithoutExtension, withoutExtension);
  WriteValue(config, config::kQsrAddressInfoTemplate, templates.hexInfoName);
  WriteValue(config, config::kOptionsKeyName, kOptionsKey);
  WriteValue(config, config::kAddressLayout, layout);
}

}  // namespace

void PrepareSession(Context& ctx, const std::string& hexPath, const std::string& a2lPath) {
  const BusyPointer busy(ctx.host);  // until a failure has been shown, too
  std::string failure;
  try {
    PrepareSteps(ctx, hexPath, a2lPath);
    return;
  } catch (const std::exception& e) {
    // Whatever it was (a huge A2L file that does not fit in memory included),
    // it is shown with its number and the run goes on.
    failure = AsError(e).numberAndDescription();
  }
  ctx.host.showMessage(failure, "Error");
  if (ctx.session.preparationFailure.empty()) ctx.session.preparationFailure = failure;
}

}  // namespace xkm
