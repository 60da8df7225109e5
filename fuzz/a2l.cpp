// A2L extraction on arbitrary bytes: the file named by A2LFILE is read, its
// facts go into the session tables, and CPU_TYPE is derived from them.

#include "core/a2l/a2l_reader.h"
#include "core/platform/error.h"
#include "core/session/session.h"
#include "fuzz_support.h"
#include "fuzz_target.h"

namespace xkm::fuzz::a2l {

int Run(const uint8_t* data, size_t size) {
  CurrentFolderGuard folderGuard;
  static const std::string folder = ScratchFolder("a2l");
  const std::string path = WriteScratchFile(folder, "input.a2l", AsText(data, size));

  AppState app;
  Session session;
  NullHost host;
  Context ctx{app, session, host};
  InitSessionTables(session);
  WriteValue(session.ConfigTable, "A2LFILE", path);
  try {
    ReadA2LData(ctx);
  } catch (const Error&) {
    // Missing sections and malformed files end in a numbered error.
  }
  SetCpuType(ctx);
  const std::string cpu = ReadValue(session.ConfigTable, "CPU_TYPE", 1);
  if (cpu != "1" && cpu != "2") PropertyFailed("CPU_TYPE is neither 1 nor 2");
  return 0;
}

}  // namespace xkm::fuzz::a2l

XKM_FUZZ_ENTRY(a2l) {
  return xkm::fuzz::a2l::Run(data, size);
}
