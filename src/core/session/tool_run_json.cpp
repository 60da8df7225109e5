#include "core/session/tool_run_json.h"

namespace xkm {

nlohmann::ordered_json ToolRunToJson(const ToolRun& run) {
  nlohmann::ordered_json json = nlohmann::ordered_json::object();
  json["step"] = run.step;
  json["tool"] = run.tool;
  json["commandLine"] = run.commandLine;
  json["result"] = !run.started ? "not-started" : run.signal != 0 ? "signal" : "exited";
  json["exitCode"] = run.started && run.signal == 0 ? nlohmann::ordered_json(run.exitCode)
                                                    : nlohmann::ordered_json(nullptr);
  json["signal"] =
      run.signal != 0 ? nlohmann::ordered_json(run.signal) : nlohmann::ordered_json(nullptr);
  json["durationMs"] = run.durationMs;
  json["stdout"] = run.stdoutTail;
  json["stderr"] = run.stderrTail;
  if (!run.started) json["startError"] = run.startError;
  return json;
}

}  // namespace xkm
