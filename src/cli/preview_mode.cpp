#include "cli/preview_mode.h"

#include <ostream>

#include "cli/batch_host.h"
#include "cli/batch_report.h"
#include "cli/report_file.h"
#include "core/library/library_loader.h"
#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/os/path.h"
#include "core/platform/os/sha256.h"
#include "core/preview/order_preview.h"
#include "core/preview/preview_folder.h"
#include "core/resources/message_ids.h"
#include "core/session/config_names.h"
#include "core/session/context.h"
#include "core/session/exit_codes.h"
#include "core/shell/startup.h"

namespace xkm {
namespace {

// A library tried before it is sealed carries another name than the one a
// run requires; the preview says so and goes on.
std::string UnsealedWarning(const std::string& libraryFile) {
  if (libraryFile.empty()) return {};
  const std::string sealed = LibraryFileName(libraryFile);
  std::string folder = libraryFile;
  std::string name;
  fs::SplitPath(folder, name);
  if (name == sealed) return {};
  return "the file name does not match the content's checksum (a run reports " +
         std::to_string(msg::kLibraryNameMismatch) + "): the library must be named \"" + sealed +
         "\" (xkmtool --seal-library)";
}

nlohmann::ordered_json FileToJson(const PreviewFile& file) {
  Sha256 digest;
  digest.update(file.bytes);
  return {{"name", file.name}, {"size", file.bytes.size()}, {"sha256", digest.hexDigest()}};
}

int ExitCodeOf(const OrderPreview& preview, const BatchHost& host) {
  if (!preview.reachesTools) return kExitStepFailed;
  return host.messages().empty() ? kExitCompleted : kExitCompletedWithMessages;
}

nlohmann::ordered_json PreviewToJson(const OrderPreview& preview, const Context& ctx,
                                     const BatchHost& host, const std::string& warning,
                                     int exitCode) {
  nlohmann::ordered_json json = nlohmann::ordered_json::object();
  json["ecu"] = ValueOf(ctx.session.DataTable, data::kEcu);
  json["configNum"] = ValueOf(ctx.session.ConfigTable, config::kConfigNum);
  json["layout"] = ctx.session.prepared.layout;
  json["layoutTrace"] = LayoutTraceToJson(ctx.session);
  json["library"] = ctx.session.LibraryFilePath;
  json["warnings"] = nlohmann::ordered_json::array();
  if (!warning.empty()) json["warnings"].push_back(warning);
  json["files"] = nlohmann::ordered_json::array();
  for (const PreviewFile& file : preview.files) json["files"].push_back(FileToJson(file));
  json["commandLines"] = preview.commandLines;
  json["messages"] = nlohmann::ordered_json::array();
  for (const ShownMessage& message : host.messages())
    json["messages"].push_back({{"title", message.title}, {"text", message.text}});
  json["failure"] = preview.failure;
  json["exitCode"] = exitCode;
  json["session"] = SessionTablesToJson(ctx.session, ctx.app);
  return json;
}

}  // namespace

int RunPreview(AppState& app, const PreviewOptions& options, std::ostream& out, std::ostream& err) {
  BatchHost host(out, err);
  Session session;
  Context context{app, session, host};
  ReportFile reportFile(options.reportPath);
  // The library tried is an input too: the report must never replace it.
  std::vector<std::string> inputs = InputPathsIn(options.commandLine);
  if (!options.libraryFile.empty()) inputs.push_back(options.libraryFile);
  if (const std::string refusal = reportFile.prepare(inputs); !refusal.empty()) {
    err << "xkmtool: " << refusal << "\n";
    return kExitStartupFailed;
  }
  std::string warning;
  try {
    if (!options.libraryFile.empty()) app.LibraryFile = fs::MakeAbsolute(options.libraryFile);
    warning = UnsealedWarning(app.LibraryFile);
  } catch (const std::exception& e) {
    err << "xkmtool: " << options.libraryFile << ": " << AsError(e).numberAndDescription() << "\n";
    return kExitStartupFailed;
  }
  if (const std::string refusal = PrepareEmptyFolder(options.folder); !refusal.empty()) {
    err << "xkmtool: " << refusal << "\n";
    return kExitStartupFailed;
  }
  if (!warning.empty()) err << "xkmtool: warning: " << app.LibraryFile << ": " << warning << "\n";

  StartupResult startup = RunStartup(app, host, options.commandLine);
  if (!startup.ok) return kExitStartupFailed;
  const OrderPreview preview = PreviewOrder(context, startup.steps);
  const int exitCode = ExitCodeOf(preview, host);
  const nlohmann::ordered_json json = PreviewToJson(preview, context, host, warning, exitCode);
  try {
    WritePreviewFiles(options.folder, preview.files);
    fs::WriteFileAtomic(options.folder + fs::kSeparator + kPreviewReportName, json.dump(1) + "\n");
  } catch (const std::exception& e) {
    err << "xkmtool: " << options.folder << ": " << AsError(e).numberAndDescription() << "\n";
    return exitCode == kExitStepFailed ? exitCode : kExitReportLost;
  }
  return reportFile.write(json, exitCode, err);
}

}  // namespace xkm
