#include "core/preview/order_preview.h"

#include <functional>

#include "core/platform/error.h"
#include "core/platform/os/path.h"
#include "core/platform/text/letter_case.h"
#include "core/resources/message_ids.h"
#include "core/session/config_names.h"
#include "core/session/file_names.h"
#include "core/toolchain/ansi_file_text.h"
#include "core/toolchain/container_files.h"
#include "core/toolchain/prepare_session.h"
#include "core/toolchain/tool_chain.h"
#include "core/toolchain/tool_commands.h"
#include "core/toolchain/tool_inputs.h"
#include "core/toolchain/working_files.h"

namespace xkm {
namespace {

constexpr std::string_view kMarkerStart = "«";
constexpr std::string_view kMarkerEnd = "»";

std::string Marker(const std::string& what, const char* source) {
  return std::string(kMarkerStart) + what + " from " + source + std::string(kMarkerEnd);
}

bool IsMarker(std::string_view text) {
  return text.starts_with(kMarkerStart) && text.ends_with(kMarkerEnd);
}

// The source of a working file a tool makes, by its path; null for any other.
const char* ToolOf(const PreparedRun& run, const std::string& path) {
  const WorkingFileNames names{run.folder, run.hexName, run.hexStem, run.blockCount, {}};
  for (int32_t i = 1; i <= run.blockCount; ++i) {
    if (path == BlockFile(names, i) || path == BcbFile(names, i)) return "the converter";
    if (path == MimFile(names, i) || path == MimFileOf(run, i)) return "the packer";
    if (path == LengthLog(names, i)) return "the length check";
  }
  if (path == InFolder(names, kChecksumLogName) || path == InFolder(names, kQsrLogName))
    return "the checksum tool";
  return nullptr;
}

ToolParts MarkersFor(const PreparedRun& run) {
  return {.value = [](const std::string& name) { return Marker(name, "the checksum tool"); },
          .insert =
              [&run](const std::string& fileName, std::string& content) {
                const std::string path = fs::ResolvePath(run.folder, fileName);
                const char* tool = ToolOf(run, path);
                if (tool == nullptr) return false;
                std::string folder = path;
                std::string name;
                fs::SplitPath(folder, name);
                content = Marker(name, tool);
                return true;
              },
          .isMarker = IsMarker};
}

class Previewer {
 public:
  Previewer(Context& ctx, OrderPreview& preview) : ctx_(ctx), preview_(preview) {}

  // One step of the process list; a failure that stops a run is raised.
  void step(const std::string& name) {
    using Step = void (Previewer::*)();
    static constexpr std::pair<const char*, Step> kSteps[] = {
        {step::kInit, &Previewer::prepare},
        {step::kReadLogisticData, &Previewer::readLogisticData},
        {step::kConversion, &Previewer::conversion},
        {step::kPacking, &Previewer::packing},
        {step::kContainer, &Previewer::container},
        {step::kCleanUp, &Previewer::nothing},
        {step::kSgoConversion, &Previewer::sgoConversion}};
    for (const auto& [stepName, run] : kSteps)
      if (EqualsIgnoringCase(stepName, name)) return (this->*run)();
    throw platform_error::ObjectDoesNotSupport("clsToolChain");
  }

 private:
  // A tool step's failure, worded as the step words it.
  template <typename Work>
  static void Stopping(Work work) {
    try {
      work();
    } catch (const std::exception& e) {
      throw Error(msg::kFailure, AsError(e).description() + kProgramStops);
    }
  }

  void prepare() {
    if (auto script = PreviewPreparation(ctx_, ctx_.app.InputHexPath, ctx_.app.InputA2lPath))
      preview_.files.push_back({script->name, std::move(script->bytes)});
  }

  void readLogisticData() {
    clsToolChain(ctx_, [](const std::string&) {}).READ_LOGISTIC_DATA();
  }

  void conversion() {
    Stopping([this] { convert(); });
  }
  void convert() {
    RequirePreparedSession(ctx_.session);
    const PreparedRun& run = ctx_.session.prepared;
    ToolInputFile controlFile = RenderControlFile(ctx_);
    start(tool::kConverter, ConverterArguments(run, ValueAsReadBack(controlFile.name)));
    preview_.files.push_back({controlFile.name, std::move(controlFile.bytes)});
    const WorkingFileNames names = WorkingFileNamesOf(ctx_.session);
    for (int32_t i = 1; i <= run.blockCount; ++i)
      start(tool::kLengthCheck, LengthCheckArguments(BcbFile(names, i)));
    start(tool::kChecksum, ChecksumArguments(run));
  }

  void packing() {
    Stopping([this] { pack(); });
  }
  void pack() {
    RequirePreparedSession(ctx_.session);
    const PreparedRun& run = ctx_.session.prepared;
    const WorkingFileNames names = WorkingFileNamesOf(ctx_.session);
    for (int32_t i = 1; i <= run.blockCount; ++i)
      start(tool::kPacker, PackerArguments(MimFileOf(run, i), BcbFile(names, i)));
  }

  // As in a run, a container that cannot be made is shown, and the run goes
  // on to the step that needs it.
  void container() {
    try {
      RequirePreparedSession(ctx_.session);
      WriteValue(ctx_.session.ConfigTable, config::kContainerFileName,
                 ContainerName(ValueOf(ctx_.session.DataTable, data::kSgidb1),
                               ValueOf(ctx_.session.DataTable, data::kSgidb3)));
      const std::string name = Config(ctx_, config::kContainerFileName);
      if (ctx_.session.logisticData == Session::LogisticData::Failed)
        throw Error(msg::kNoContainerWithoutOrder,
                    ctx_.message(msg::kNoContainerWithoutOrder, {{"file", ctx_.app.InputXmlPath}}));
      const ToolParts markers = MarkersFor(ctx_.session.prepared);
      const std::string text = RenderContainerText(ctx_, &markers);
      CheckNameInWorkingFolder(name, msg::kContainerNameError, "Container name");
      const std::string fileName = name + kContainerPreviewEnding;
      preview_.files.push_back(
          {fileName, EncodeForAnsiFile(ctx_, text,
                                       ctx_.session.prepared.folder + fs::kSeparator + fileName)});
      preview_.containerName = name;
    } catch (const std::exception& e) {
      ctx_.host.showMessage(AsError(e).numberAndDescription(), kApplicationTitle);
    }
  }

  void sgoConversion() {
    Stopping([this] {
      RequirePreparedSession(ctx_.session);
      if (preview_.containerName.empty())
        throw Error(msg::kFailure, "SGO-File : " + Config(ctx_, config::kContainerFileName) +
                                       ".xkm was not created!");
      start(tool::kSgoConverter, SgoConverterArguments(preview_.containerName));
    });
  }

  void nothing() {}

  void start(const char* tool, const std::string& arguments) {
    preview_.commandLines.push_back(QuotedToolPath(ctx_.app, tool) + " " + arguments);
  }

  Context& ctx_;
  OrderPreview& preview_;
};

}  // namespace

OrderPreview PreviewOrder(Context& ctx, const std::vector<ProcessStep>& steps) {
  OrderPreview preview;
  ctx.session.beginRun();
  Previewer previewer(ctx, preview);
  for (const ProcessStep& step : steps) {
    try {
      previewer.step(step.name);
    } catch (const std::exception& e) {
      preview.failure = AsError(e).numberAndDescription();
      ctx.host.showMessage(preview.failure, "Error");
      return preview;
    }
  }
  preview.reachesTools = true;
  return preview;
}

}  // namespace xkm
