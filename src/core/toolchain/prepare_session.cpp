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
int32_t SelectConfigNum(Context& ctx) {
  ReadA2LData(ctx);
  const std::string ecu = ValueOf(ctx.session.DataTable, data::kEcu);
  const int32_t configNum = GetEcuConfigNum(ctx, ecu);
  WriteValue(ctx.session.ConfigTable, config::kConfigNum, std::to_string(configNum));
  return configNum;
}

// The layout's templates, their names checked before anything is written.
LayoutTemplates CheckedTemplates(Context& ctx, const std::string& layout,
                                 const std::string& controlFile) {
  LayoutTemplates templates = GetLayoutTemplates(ctx, layout);
  CheckNameInWorkingFolder(templates.qsrName, msg::kTemplateFileNameError, "QSR template name");
  // The clean-up removes a file of this name: it must lie in the folder too.
  if (!IsBlank(templates.hexInfoName))
    CheckNameInWorkingFolder(templates.hexInfoName, msg::kTemplateFileNameError,
                             "QSR_HEXINFO template name");
  if (ControlFileReplacesScript(controlFile, templates.qsrName))
    throw Error(msg::kTemplateFileNameError,
                "BRAKEL template name " + controlFile +
                    " is the QSR template's: the control file would replace the QSR script",
                "BRAKEL template name");
  return templates;
}

// The text view of `run` for the templates, in ConfigTable.
void WriteConfigView(const PreparedRun& run, SessionTable& config) {
  WriteValue(config, config::kQsrTemplate, run.qsrScript);
  WriteValue(config, config::kMimConversion, run.mimConversion ? "1" : "0");
  WriteValue(config, config::kDatablockCount, std::to_string(run.blockCount));
  WriteValue(config, config::kMcsContent, run.containerScript);
  WriteValue(config, config::kRawContent, run.containerText);
  WriteValue(config, config::kHexFileShort, run.hexName);
  WriteValue(config, config::kHexFileShortWithoutExtension, run.hexStem);
  WriteValue(config, config::kQsrAddressInfoTemplate, run.hexInfoFile);
  WriteValue(config, config::kOptionsKeyName, kOptionsKey);
  WriteValue(config, config::kAddressLayout, run.layout);
}

// `run` with each text as the text view gives it back.
PreparedRun AsReadBack(PreparedRun run) {
  for (std::string* text :
       {&run.hexPath, &run.folder, &run.hexName, &run.hexStem, &run.layout, &run.qsrScript,
        &run.hexInfoFile, &run.containerScript, &run.containerText})
    *text = ValueAsReadBack(*text);
  return run;
}

// What a preparation decided, and the script it hands the QSR tool, before
// anything is written or removed.
struct Plan {
  PreparedRun run;          // as decided, before the text view trims it
  std::string controlFile;  // the converter's control file, for the leftovers
  ToolInputFile script;
};

// The steps of a preparation up to the files, in their fixed order; the first
// failure ends them.
Plan PlanSteps(Context& ctx, const std::string& hexPath, const std::string& a2lPath) {
  Session& session = ctx.session;
  SessionTable& config = session.ConfigTable;

  LoadLibrary(ctx);
  InitSessionTables(session);
  session.layoutTrace.clear();
  session.prepared = {};
  WriteValue(config, config::kA2lFile, a2lPath);
  WriteValue(config, config::kHexFile, hexPath);
  const int32_t configNum = SelectConfigNum(ctx);

  std::string folder = hexPath;
  std::string hexName;
  fs::SplitPath(folder, hexName);
  // Session values are read back trimmed: a folder "job " would become "job",
  // and the tools would work in (and clean up) another folder.
  if (TrimBlanks(folder) != folder)
    throw Error(msg::kFolderNameBlank, ctx.message(msg::kFolderNameBlank, {{"folder", folder}}),
                "PrepareSession");

  SetCpuType(ctx);
  const std::string layout = GetAddressLayout(ctx);
  const int32_t blockCount = GetDatablockCount(ctx, layout);
  const bool mim = GetMimConversion(ctx, layout);
  const BaudConfig baud = configNum == 1 ? GetBaudConfigByFrequency(ctx) : GetBaudConfigFixed(ctx);
  WriteValue(config, config::kBaudRateTester, baud.tester);
  WriteValue(config, config::kBaudRateEcu, baud.ecu);
  WriteValue(config, config::kWorkingFolder, folder);
  ctx.host.processEvents();

  Plan plan;
  plan.controlFile = BrakelTemplateName(ctx, layout);
  const LayoutTemplates templates = CheckedTemplates(ctx, layout, plan.controlFile);
  plan.script.name = templates.qsrName;
  plan.script.bytes =
      EncodeForAnsiFile(ctx, templates.qsrContent, folder + fs::kSeparator + templates.qsrName,
                        {{"<ADRESSLAYOUT " + layout + " QSR>", templates.qsrContent}});
  plan.run = {.hexPath = hexPath,
              .folder = folder,
              .hexName = hexName,
              .hexStem = hexName.substr(0, hexName.find('.')),
              .layout = layout,
              .blockCount = blockCount,
              .mimConversion = mim,
              .qsrScript = templates.qsrName,
              .hexInfoFile = templates.hexInfoName,
              .containerScript = templates.mcsContent,
              .containerText = templates.rawContent};
  return plan;
}

// The prepared run goes into the session, with its text view.
void Adopt(Session& session, const PreparedRun& run) {
  WriteConfigView(run, session.ConfigTable);
  session.prepared = AsReadBack(run);
}

void PrepareSteps(Context& ctx, const std::string& hexPath, const std::string& a2lPath) {
  const Plan plan = PlanSteps(ctx, hexPath, a2lPath);
  const PreparedRun& run = plan.run;
  RemoveLeftWorkingFiles(
      ctx,
      {run.folder, run.hexName, run.hexStem, run.blockCount, {run.hexInfoFile, plan.controlFile}});
  WriteRunFile(ctx, run.folder + fs::kSeparator + plan.script.name, plan.script.bytes);
  ctx.host.setBusyPointer(true);
  Adopt(ctx.session, run);
}

// Runs `steps`; a failure is shown as one "Error" box and kept as the
// preparation's failure. False after a failure.
template <typename Steps>
bool ShowingFailure(Context& ctx, Steps steps) {
  const BusyPointer busy(ctx.host);  // until a failure has been shown, too
  std::string failure;
  try {
    steps();
    return true;
  } catch (const std::exception& e) {
    // Whatever it was (a huge A2L file that does not fit in memory included),
    // it is shown with its number and the run goes on.
    failure = AsError(e).numberAndDescription();
  }
  ctx.host.showMessage(failure, "Error");
  if (ctx.session.preparationFailure.empty()) ctx.session.preparationFailure = failure;
  return false;
}

}  // namespace

void PrepareSession(Context& ctx, const std::string& hexPath, const std::string& a2lPath) {
  ShowingFailure(ctx, [&] { PrepareSteps(ctx, hexPath, a2lPath); });
}

std::optional<ToolInputFile> PreviewPreparation(Context& ctx, const std::string& hexPath,
                                                const std::string& a2lPath) {
  std::optional<ToolInputFile> script;
  ShowingFailure(ctx, [&] {
    Plan plan = PlanSteps(ctx, hexPath, a2lPath);
    Adopt(ctx.session, plan.run);
    script = std::move(plan.script);
  });
  return script;
}

}  // namespace xkm
