#pragma once

// What the library targets share: the library placed as the one ".lbr" file
// of a scratch executable folder, named after its own checksum so that the
// load goes as far as parsing, and the facts of a typical ST10 A2L file.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "core/library/hardware_selection.h"
#include "core/library/layout_templates.h"
#include "core/library/library_loader.h"
#include "core/library/library_model.h"
#include "core/platform/error.h"
#include "core/session/session.h"
#include "fuzz_support.h"

namespace xkm::fuzz {

inline std::string PlaceLibrary(const std::string& folder, std::string_view xml) {
  for (const std::string& name : fs::ListFiles(folder)) fs::DeleteFile(folder + "/" + name);
  const std::string incoming = WriteScratchFile(folder, "incoming.xml", xml);
  const std::string path = folder + "/" + LibraryFileName(incoming);
  std::filesystem::rename(incoming, path);
  return path;
}

inline void AppendRow(SessionTable& table, std::initializer_list<std::string> fields) {
  const size_t row = table.appendRow();
  size_t column = 0;
  for (const std::string& field : fields) table.setField(row, column++, field);
}

inline void FillA2lFacts(Session& session) {
  InitSessionTables(session);
  AppendRow(session.DataTable, {"ECU", "EDC_DEMO_ST10"});
  AppendRow(session.DataTable, {"EPK", "DEMO_ST10_V1.0"});
  AppendRow(session.SysConstTable, {"SY_SYSFREQ", "40000000"});
  AppendRow(session.SysConstTable, {"SY_ST10", "5"});
  AppendRow(session.MemorySegmentTable, {"CODE_FLASH", "CODE", "FLASH", "INTERN", "80000", "400"});
  AppendRow(session.MemorySegmentTable, {"PFLASH", "CODE", "FLASH", "INTERN", "A0000", "100"});
  WriteValue(session.ConfigTable, "CPU_TYPE", "2");
  WriteValue(session.ConfigTable, "CONFIG_NUM", "1");
}

// The layout the rules choose, else the first one the library describes, so
// that the template lookups run on libraries whose rules do not match.
inline std::string ChooseLayout(DataContext& ctx) {
  try {
    return GetAddressLayout(ctx);
  } catch (const Error&) {
  }
  for (const XmlNode& element : LibraryModel::Of(ctx.session).layoutElements())
    return element.attribute("VALUE").value_or("");
  return "";
}

// Loads the library placed in `folder` and makes the lookups of a session
// preparation on the ST10 facts; each lookup that raises hands its error to
// `failed`, and the next one runs.
inline void RunLookups(const std::string& folder, const std::function<void(const Error&)>& failed) {
  AppState app;
  app.ExecutableFolder = folder;
  Session session;
  DataContext ctx{app, session};
  static_cast<void>(LoadLibraryFile(ctx));
  FillA2lFacts(session);
  const auto attempt = [&failed](const std::function<void()>& lookup) {
    try {
      lookup();
    } catch (const Error& e) {
      failed(e);
    }
  };
  attempt([&] { GetEcuConfigNum(ctx, ReadValue(session.DataTable, "ECU", 1)); });
  attempt([&] { GetFrequencyConfig(ctx, 1); });
  attempt([&] { GetBaudConfigByFrequency(ctx); });
  attempt([&] { GetBaudConfigFixed(ctx); });
  const std::string layout = ChooseLayout(ctx);
  attempt([&] { GetLayoutTemplates(ctx, layout); });
  attempt([&] { GetDatablockCount(ctx, layout); });
  attempt([&] { GetMimConversion(ctx, layout); });
  attempt([&] { GetBrakelTemplate(ctx, layout); });
}

}  // namespace xkm::fuzz
