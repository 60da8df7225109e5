#include "cli/library_compare_mode.h"

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>
#include <set>
#include <sstream>

#include "cli/batch_host.h"
#include "cli/report_file.h"
#include "core/library/library_loader.h"
#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/os/path.h"
#include "core/platform/os/sha256.h"
#include "core/preview/order_preview.h"
#include "core/resources/message_ids.h"
#include "core/session/context.h"
#include "core/session/exit_codes.h"
#include "core/shell/startup.h"

namespace xkm {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kInputKeys[] = {"xml", "hex", "a2l"};

struct RecordedInput {
  std::string path;
  uint64_t size = 0;
  std::string sha256;
};

// One order as a trace line names it: its three inputs as they were.
struct Order {
  std::vector<RecordedInput> inputs;
  std::string commandLine() const {
    return inputs[0].path + "," + inputs[1].path + "," + inputs[2].path;
  }
};

// The orders of the trace files, each once, in the order they first appear;
// lines without the three inputs and their digests are passed over.
std::vector<Order> ReadOrders(const std::vector<std::string>& traces) {
  std::vector<Order> orders;
  std::set<std::string> seen;
  for (const std::string& trace : traces) {
    std::ifstream in(fs::NativePath(trace), std::ios::binary);
    if (!in) throw Error(platform_error::kFileNotFound, trace + ": the trace cannot be read");
    for (std::string line; std::getline(in, line);) {
      const Json entry = Json::parse(line, nullptr, false);
      if (!entry.is_object() || !entry.contains("inputs")) continue;
      Order order;
      std::string key;
      for (const char* name : kInputKeys) {
        const Json& input = entry["inputs"].value(name, Json());
        if (!input.is_object() || !input["path"].is_string() || !input["size"].is_number() ||
            !input["sha256"].is_string())
          break;
        order.inputs.push_back(
            {input["path"], input["size"].get<uint64_t>(), input["sha256"].get<std::string>()});
        key += order.inputs.back().path + '\n' + order.inputs.back().sha256 + '\n';
      }
      if (order.inputs.size() == std::size(kInputKeys) && seen.insert(key).second)
        orders.push_back(std::move(order));
    }
  }
  return orders;
}

// Why the order cannot be compared: an input that is gone or changed.
std::string ChangedInput(const Order& order) {
  for (const RecordedInput& input : order.inputs) {
    const std::optional<FileDigest> now = DigestFile(input.path);
    if (!now) return input.path + " is gone";
    if (now->size != input.size || now->sha256 != input.sha256)
      return input.path + " changed since the run";
  }
  return {};
}

struct SidePreview {
  OrderPreview preview;
  std::string layout;
  std::vector<std::string> messages;
};

// One library's side: the library parsed once, then each order previewed.
class Side {
 public:
  Side(const AppState& base, std::string library)
      : folder_(base.ExecutableFolder), name_(base.ExecutableName), library_(std::move(library)) {}

  SidePreview preview(const Order& order) {
    AppState app;
    app.ExecutableFolder = folder_;
    app.ExecutableName = name_;
    app.LibraryFile = library_;
    app.LibraryFileModel = model_;
    std::ostringstream quiet;
    BatchHost host(quiet, quiet);
    Session session;
    Context context{app, session, host};
    SidePreview side;
    const StartupResult startup = RunStartup(app, host, order.commandLine());
    if (startup.ok)
      side.preview = PreviewOrder(context, startup.steps);
    else
      side.preview.failure = startup.failureMessage;
    if (!model_) model_ = session.Library;
    side.layout = session.prepared.layout;
    for (const ShownMessage& message : host.messages()) side.messages.push_back(message.text);
    return side;
  }

 private:
  std::string folder_;
  std::string name_;
  std::string library_;
  std::shared_ptr<const LibraryModel> model_;  // parsed by the first preview
};

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::istringstream in(bytes);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// "NAME line N: OLD → NEW" for the first line that differs.
std::string FirstDifference(const std::string& name, const std::string& before,
                            const std::string& after) {
  const std::vector<std::string> a = Lines(before);
  const std::vector<std::string> b = Lines(after);
  size_t line = 0;
  while (line < a.size() && line < b.size() && a[line] == b[line]) ++line;
  const auto at = [line](const std::vector<std::string>& lines) {
    return line < lines.size() ? "\"" + lines[line] + "\"" : std::string("(no line)");
  };
  return name + " line " + std::to_string(line + 1) + ": " + at(a) + " → " + at(b);
}

std::map<std::string, std::string> FilesOf(const OrderPreview& preview) {
  std::map<std::string, std::string> files;
  for (const PreviewFile& file : preview.files) files[file.name] = file.bytes;
  return files;
}

// What differs between the two previews, each as one text; none when same.
std::vector<std::string> Differences(const SidePreview& before, const SidePreview& after) {
  std::vector<std::string> differences;
  if (before.preview.reachesTools != after.preview.reachesTools)
    differences.push_back(
        "fails with " +
        std::string(before.preview.reachesTools ? "the new library: " : "the old library: ") +
        (before.preview.reachesTools ? after : before).preview.failure);
  if (before.layout != after.layout)
    differences.push_back("layout " + before.layout + " → " + after.layout);
  const auto a = FilesOf(before.preview);
  const auto b = FilesOf(after.preview);
  std::set<std::string> names;
  for (const auto& [name, bytes] : a) names.insert(name);
  for (const auto& [name, bytes] : b) names.insert(name);
  for (const std::string& name : names) {
    const auto x = a.find(name);
    const auto y = b.find(name);
    if (x == a.end() || y == b.end())
      differences.push_back(
          name + (x == a.end() ? " only with the new library" : " only with the old library"));
    else if (x->second != y->second)
      differences.push_back(FirstDifference(name, x->second, y->second));
  }
  if (before.preview.commandLines != after.preview.commandLines)
    differences.emplace_back("the tool command lines");
  if (before.messages != after.messages) differences.emplace_back("the messages");
  return differences;
}

// The one library a run would load; refused when there is none or several.
std::string LibraryBesideProgram(const AppState& app) {
  const std::vector<std::string> found = LibraryFilesIn(app.ExecutableFolder);
  if (found.size() != 1)
    throw Error(msg::kNoOrSeveralLibraries,
                app.ExecutableFolder +
                    ": no library or several beside the program; name one with --library");
  return app.ExecutableFolder + fs::kSeparator + found.front();
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
  return text;
}

}  // namespace

int RunLibraryCompare(AppState& app, const LibraryCompareOptions& options, std::ostream& out,
                      std::ostream& err) {
  ReportFile reportFile(options.reportPath);
  std::vector<Order> orders;
  std::string oldLibrary;
  // The libraries are inputs as much as the traces: the report replaces none.
  std::vector<std::string> inputs = options.traces;
  inputs.push_back(options.newLibrary);
  if (!options.oldLibrary.empty()) inputs.push_back(options.oldLibrary);
  if (const std::string refusal = reportFile.prepare(inputs); !refusal.empty()) {
    err << "xkmtool: " << refusal << "\n";
    return kExitStartupFailed;
  }
  try {
    oldLibrary = options.oldLibrary.empty() ? LibraryBesideProgram(app)
                                            : fs::MakeAbsolute(options.oldLibrary);
    orders = ReadOrders(options.traces);
  } catch (const std::exception& e) {
    err << "xkmtool: " << AsError(e).description() << "\n";
    return kExitStartupFailed;
  }
  Side before(app, oldLibrary);
  Side after(app, fs::MakeAbsolute(options.newLibrary));
  Json report = {{"orders", Json::array()}};
  size_t same = 0, different = 0, skipped = 0;
  bool oneSideFails = false;
  for (const Order& order : orders) {
    Json line = {{"order", order.commandLine()}};
    if (const std::string why = ChangedInput(order); !why.empty()) {
      ++skipped;
      line["result"] = "skipped";
      line["reason"] = why;
      out << "skipped    " << order.commandLine() << ": " << why << "\n";
    } else {
      const SidePreview a = before.preview(order);
      const SidePreview b = after.preview(order);
      const std::vector<std::string> differences = Differences(a, b);
      oneSideFails = oneSideFails || a.preview.reachesTools != b.preview.reachesTools;
      ++(differences.empty() ? same : different);
      line["result"] = differences.empty() ? "same" : "different";
      line["differences"] = differences;
      out << (differences.empty() ? "same       " : "different  ") << order.commandLine()
          << (differences.empty() ? "" : ": " + Joined(differences)) << "\n";
    }
    report["orders"].push_back(std::move(line));
  }
  const int exitCode = oneSideFails    ? kExitStepFailed
                       : different > 0 ? kExitCompletedWithMessages
                                       : kExitCompleted;
  err << "xkmtool: " << orders.size() << " orders: " << same << " same, " << different
      << " different, " << skipped << " skipped\n";
  report["same"] = same;
  report["different"] = different;
  report["skipped"] = skipped;
  report["exitCode"] = exitCode;
  return reportFile.write(report, exitCode, err);
}

}  // namespace xkm
