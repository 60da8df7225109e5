// The delimited text reader and the checksum-log import on arbitrary bytes as
// CS.LOG: read with ";" with and without a header line, then imported into
// DataTable.

#include "core/platform/error.h"
#include "core/session/session.h"
#include "core/templates/checksum_import.h"
#include "core/templates/text_stream_reader.h"
#include "fuzz_support.h"
#include "fuzz_target.h"

namespace xkm::fuzz::text_reader {

int Run(const uint8_t* data, size_t size) {
  static const std::string folder = ScratchFolder("text_reader");
  const std::string path = WriteScratchFile(folder, "CS.LOG", AsText(data, size));

  for (bool header : {false, true}) {
    try {
      clsLib().GetTextStreamAsRecordSet(path, ";", header);
    } catch (const Error& e) {
      if (e.number() != 60000) PropertyFailed("the reader failed with a number other than 60000");
    }
  }

  AppState app;
  Session session;
  DataContext ctx{app, session};
  InitSessionTables(session);
  WriteValue(session.ConfigTable, "PFADZIELABLAGE", folder);
  try {
    ImportChecksums(ctx);
  } catch (const Error&) {
    // An empty log or one without a third column is a numbered error.
  }
  return 0;
}

}  // namespace xkm::fuzz::text_reader

XKM_FUZZ_ENTRY(text_reader) {
  return xkm::fuzz::text_reader::Run(data, size);
}
