#include "cli/batch_report.h"

#include "core/session/tool_run_json.h"

namespace xkm {
namespace {

nlohmann::ordered_json TableToJson(const SessionTable& table) {
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (const SessionTable::Row& row : table.rows()) {
    nlohmann::ordered_json fields = nlohmann::ordered_json::array();
    for (const SessionTable::Field& field : row) {
      if (field)
        fields.push_back(*field);
      else
        fields.push_back(nullptr);
    }
    rows.push_back(std::move(fields));
  }
  return rows;
}

}  // namespace

nlohmann::ordered_json SessionTablesToJson(const Session& session, const AppState& app) {
  nlohmann::ordered_json tables = nlohmann::ordered_json::object();
  tables["ConfigTable"] = TableToJson(session.ConfigTable);
  tables["UserDataTable"] = TableToJson(session.UserDataTable);
  tables["SysConstTable"] = TableToJson(session.SysConstTable);
  tables["DataTable"] = TableToJson(session.DataTable);
  tables["MemorySegmentTable"] = TableToJson(session.MemorySegmentTable);
  if (app.UserInfoTable) tables["UserInfoTable"] = TableToJson(*app.UserInfoTable);
  return tables;
}

nlohmann::ordered_json LayoutTraceToJson(const Session& session) {
  nlohmann::ordered_json trace = nlohmann::ordered_json::array();
  for (const LayoutTraceEntry& entry : session.layoutTrace) {
    trace.push_back({{"position", entry.position},
                     {"matched", entry.matched},
                     {"condition", entry.condition},
                     {"expected", entry.expected},
                     {"actual", entry.actual}});
  }
  return trace;
}

nlohmann::ordered_json ReportToJson(const BatchReport& report) {
  nlohmann::ordered_json json = nlohmann::ordered_json::object();
  json["rows"] = nlohmann::ordered_json::array();
  if (report.rows)
    for (const StateRow& row : *report.rows)
      json["rows"].push_back({{"modul", row.modul}, {"start", row.start}, {"action", row.action}});
  json["messages"] = nlohmann::ordered_json::array();
  if (report.messages)
    for (const ShownMessage& message : *report.messages)
      json["messages"].push_back({{"title", message.title}, {"text", message.text}});
  json["steps"] = nlohmann::ordered_json::array();
  if (report.steps)
    for (const ProcessStep& step : *report.steps)
      json["steps"].push_back(
          {{"display", step.display}, {"name", step.name}, {"help", step.help}});
  json["outcome"] = report.outcome;
  json["exitCode"] = report.exitCode;
  json["session"] = report.session && report.app ? SessionTablesToJson(*report.session, *report.app)
                                                 : nlohmann::ordered_json::object();
  json["layoutTrace"] =
      report.session ? LayoutTraceToJson(*report.session) : nlohmann::ordered_json::array();
  json["tools"] = nlohmann::ordered_json::array();
  if (report.session)
    for (const ToolRun& run : report.session->toolRuns) json["tools"].push_back(ToolRunToJson(run));
  return json;
}

}  // namespace xkm
