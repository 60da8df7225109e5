#include "core/shell/run_trace.h"

#include <chrono>
#include <optional>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/os/ini_reader.h"
#include "core/platform/os/locked_append.h"
#include "core/platform/os/sha256.h"
#include "core/platform/os/system_info.h"
#include "core/platform/text/text_pieces.h"
#include "core/resources/message_ids.h"
#include "core/session/config_names.h"
#include "core/session/tool_run_json.h"
#include "core/shell/startup.h"
#include "core/userdata/user_data.h"

namespace xkm {
namespace {

using Json = nlohmann::ordered_json;

// Long enough for many runs queueing on a slow share, short enough that a
// writer hanging on a dead link does not keep the operator waiting.
constexpr std::chrono::milliseconds kLockPatience(10000);

Json FileFacts(const std::string& path) {
  Json facts = Json::object();
  facts["path"] = path;
  std::optional<FileDigest> digest = path.empty() ? std::nullopt : DigestFile(path);
  facts["size"] = digest ? Json(digest->size) : Json(nullptr);
  facts["sha256"] = digest ? Json(digest->sha256) : Json(nullptr);
  return facts;
}

Json DigestFacts(const std::optional<FileDigest>& digest) {
  return {{"size", digest ? Json(digest->size) : Json(nullptr)},
          {"sha256", digest ? Json(digest->sha256) : Json(nullptr)}};
}

// The inputs as the run started; one that changed meanwhile also as it ended.
Json Inputs(const RunRecord& run) {
  Json inputs = Json::object();
  for (const InputFacts& input : run.inputs) {
    Json facts = {{"path", input.path}};
    facts.update(DigestFacts(input.digest));
    if (input.changed) facts["atEnd"] = DigestFacts(input.digestAtEnd);
    inputs[input.key] = std::move(facts);
  }
  return inputs;
}

Json UserData(const AppState& app) {
  Json values = Json::object();
  if (!app.UserInfoTable) return values;
  for (const SessionTable::Row& row : app.UserInfoTable->rows()) {
    if (row.size() <= kUserDataValue || !row[kUserDataName]) continue;
    values[*row[kUserDataName]] = row[kUserDataValue] ? Json(*row[kUserDataValue]) : Json(nullptr);
  }
  return values;
}

Json Steps(const RunRecord& run) {
  Json steps = Json::array();
  for (const StepRecord& step : run.steps) {
    Json entry = {{"name", step.name},
                  {"display", step.display},
                  {"outcome", step.outcome == StepOutcome::Completed ? "completed" : "failed"}};
    if (!step.error.empty()) entry["error"] = step.error;
    steps.push_back(std::move(entry));
  }
  return steps;
}

// The trace keeps what identifies a tool run; its output stays in the report.
Json Tools(const Session& session) {
  Json tools = Json::array();
  for (const ToolRun& run : session.toolRuns) {
    Json entry = ToolRunToJson(run);
    entry.erase("stdout");
    entry.erase("stderr");
    tools.push_back(std::move(entry));
  }
  return tools;
}

Json Messages(const RunRecord& run) {
  Json messages = Json::array();
  for (const MessageRecord& message : run.messages)
    messages.push_back({{"title", message.title}, {"text", message.text}});
  return messages;
}

std::string FillIn(const std::string& text, const std::string& file, const std::string& reason) {
  return ReplaceAll(ReplaceAll(text, "{file}", file), "{reason}", reason);
}

}  // namespace

const char* RunOutcomeName(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Completed:
      return "completed";
    case RunOutcome::Stopped:
      return "stopped";
    case RunOutcome::Failed:
      return "failed";
  }
  return "failed";
}

std::string TraceLogPath(const AppState& app) {
  std::string value = ReadIniValue(OwnIniPath(app), "System", "TraceLog", "");
  if (IsBlank(value)) return {};
  return fs::ResolvePath(app.ExecutableFolder, value);
}

Json RunTraceToJson(const Context& ctx, const RunRecord& run) {
  const AppState& app = ctx.app;
  const Session& session = ctx.session;
  Json trace = Json::object();
  trace["start"] = LocalIsoTime(run.start);
  trace["end"] = LocalIsoTime(run.end);
  trace["host"] = HostName();
  trace["pid"] = ProcessId();
  trace["version"] = XKM_VERSION;
  trace["userData"] = UserData(app);
  trace["inputs"] = Inputs(run);
  trace["library"] = FileFacts(session.LibraryFilePath);
  trace["ecu"] = ValueOf(session.DataTable, data::kEcu);
  trace["configNum"] = ValueOf(session.ConfigTable, config::kConfigNum);
  trace["layout"] = session.prepared.layout;
  trace["steps"] = Steps(run);
  trace["tools"] = Tools(session);
  trace["messages"] = Messages(run);
  trace["outcome"] = RunOutcomeName(run.outcome);
  trace["container"] =
      session.writtenContainer.empty() ? Json(nullptr) : FileFacts(session.writtenContainer);
  if (run.report) {
    trace["report"] = {{"path", run.report->path}, {"written", run.report->written}};
    if (!run.report->written) trace["report"]["reason"] = run.report->reason;
  }
  return trace;
}

void AppendRunTrace(Context& ctx, const RunRecord& run) {
  std::string path;
  try {
    path = TraceLogPath(ctx.app);
    if (path.empty()) return;
    const std::string line =
        RunTraceToJson(ctx, run).dump(-1, ' ', false, Json::error_handler_t::replace);
    AppendLineLocked(path, line, kLockPatience);
  } catch (const Error& e) {
    ctx.host.showMessage(std::to_string(msg::kTraceNotWritten) + " " +
                             FillIn(ctx.message(msg::kTraceNotWritten), path, e.description()),
                         kApplicationTitle);
  } catch (const std::exception& e) {
    // Out of memory or a broken table while the line is built: the run has
    // ended all the same, and a trace is never worth more than a message.
    ctx.host.showMessage(
        std::to_string(msg::kTraceNotWritten) + " " +
            FillIn(ctx.message(msg::kTraceNotWritten), path, AsError(e).description()),
        kApplicationTitle);
  }
}

}  // namespace xkm
