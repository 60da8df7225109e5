// A2L extraction on arbitrary bytes: the file named by A2LFILE is read as a
// stream, its facts go into the session tables, and CPU_TYPE is derived from
// them. The same file read in small chunks (a size taken from the input)
// must give the same tables and the same failure.

#include <string>
#include <vector>

#include "core/a2l/a2l_reader.h"
#include "core/platform/error.h"
#include "core/session/session.h"
#include "fuzz_support.h"
#include "fuzz_target.h"

namespace xkm::fuzz::a2l {

// The tables the reader fills and the failure it ends with, as one text.
std::string ReadAll(const std::string& path, size_t chunkSize) {
  AppState app;
  Session session;
  DataContext ctx{app, session};
  InitSessionTables(session);
  WriteValue(session.ConfigTable, "A2LFILE", path);
  std::string outcome;
  try {
    ReadA2LData(ctx, chunkSize);
  } catch (const Error& e) {
    // Missing sections and malformed files end in a numbered error.
    outcome = "error " + std::to_string(e.number()) + "\n";
  }
  SetCpuType(ctx);
  const std::string cpu = ReadValue(session.ConfigTable, "CPU_TYPE", 1);
  if (cpu != "1" && cpu != "2") PropertyFailed("CPU_TYPE is neither 1 nor 2");
  for (const SessionTable* table :
       {&session.DataTable, &session.SysConstTable, &session.MemorySegmentTable}) {
    for (size_t row = 0; row < table->rowCount(); ++row) {
      for (size_t column = 0; column < table->columnCount(); ++column)
        outcome += table->text(row, column) + '\t';
      outcome += '\n';
    }
    outcome += "--\n";
  }
  return outcome;
}

int Run(const uint8_t* data, size_t size) {
  static const std::string folder = ScratchFolder("a2l");
  const std::string path = WriteScratchFile(folder, "input.a2l", AsText(data, size));
  const size_t smallChunk = 1 + (size == 0 ? 0 : data[size / 2] % 23);
  if (ReadAll(path, smallChunk) != ReadAll(path, xkm::a2l::A2lScanner::kDefaultChunkSize))
    PropertyFailed("the chunk size changes what is read");
  return 0;
}

}  // namespace xkm::fuzz::a2l

XKM_FUZZ_ENTRY(a2l) {
  return xkm::fuzz::a2l::Run(data, size);
}
