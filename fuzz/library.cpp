// The library load and its lookups on arbitrary XML. The input becomes the one
// ".lbr" file of a scratch executable folder, named after its own checksum so
// that the load goes as far as parsing. The session holds the facts of a
// typical ST10 A2L file, so that the lookups can succeed on a good library.

#include <filesystem>
#include <functional>

#include "core/library/hardware_selection.h"
#include "core/library/layout_templates.h"
#include "core/library/library_loader.h"
#include "core/platform/error.h"
#include "core/session/session.h"
#include "fuzz_support.h"
#include "fuzz_target.h"

namespace xkm::fuzz::library {

std::string PlaceLibrary(const std::string& folder, std::string_view xml) {
  for (const std::string& name : fs::ListFiles(folder)) fs::DeleteFile(folder + "/" + name);
  const std::string incoming = WriteScratchFile(folder, "incoming.xml", xml);
  const std::string path = folder + "/" + LibraryFileName(incoming);
  std::filesystem::rename(incoming, path);
  return path;
}

void AppendRow(SessionTable& table, std::initializer_list<std::string> fields) {
  const size_t row = table.appendRow();
  size_t column = 0;
  for (const std::string& field : fields) table.setField(row, column++, field);
}

void FillA2lFacts(Session& session) {
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

// Runs one lookup; a lookup that finds nothing or meets a malformed library
// raises a numbered error, which is all it may do.
void Try(const std::function<void()>& lookup) {
  try {
    lookup();
  } catch (const Error&) {
  }
}

// The layout the rules choose, else the first one the library describes, so
// that the template lookups run on libraries whose rules do not match.
std::string ChooseLayout(DataContext& ctx) {
  try {
    return GetAddressLayout(ctx);
  } catch (const Error&) {
  }
  const XmlNode first = ctx.session.LibraryDocument.selectSingleNode("/XKMTOOL/ADRESSLAYOUT");
  return first ? first.attribute("VALUE").value_or("") : "";
}

int Run(const uint8_t* data, size_t size) {
  static const std::string folder = ScratchFolder("library");
  PlaceLibrary(folder, AsText(data, size));

  AppState app;
  app.ExecutableFolder = folder;
  Session session;
  DataContext ctx{app, session};
  static_cast<void>(LoadLibraryFile(ctx));
  FillA2lFacts(session);

  Try([&] { GetEcuConfigNum(ctx, ReadValue(session.DataTable, "ECU", 1)); });
  Try([&] { GetFrequencyConfig(ctx, 1); });
  Try([&] { GetBaudConfigByFrequency(ctx); });
  Try([&] { GetBaudConfigFixed(ctx); });
  const std::string layout = ChooseLayout(ctx);
  Try([&] { GetLayoutTemplates(ctx, layout); });
  Try([&] { GetDatablockCount(ctx, layout); });
  Try([&] { GetMimConversion(ctx, layout); });
  Try([&] { GetBrakelTemplate(ctx, layout); });
  return 0;
}

}  // namespace xkm::fuzz::library

XKM_FUZZ_ENTRY(library) {
  return xkm::fuzz::library::Run(data, size);
}
