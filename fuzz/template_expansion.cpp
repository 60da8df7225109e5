// Variable definitions and template expansion. The input before its first NUL
// is the MCS text (the definitions), the rest the RAW template. File inserts
// resolve against the current folder, which is a scratch folder holding a few
// small files while the routines run.

#include "core/templates/template_expansion.h"

#include "core/platform/error.h"
#include "core/session/session.h"
#include "fuzz_support.h"
#include "fuzz_target.h"

namespace xkm::fuzz::template_expansion {

// The files an insert may name: plain text, Windows-1252 bytes, an empty file,
// and one in a subfolder.
std::string InsertFolder() {
  const std::string folder = ScratchFolder("template_expansion");
  WriteScratchFile(folder, "BLOCK1_MIM", "0123456789ABCDEF\r\n");
  WriteScratchFile(folder, "latin.txt", "Gr\xFCn \x80 \x9F\xFF\r\nline 2");
  WriteScratchFile(folder, "empty", "");
  std::filesystem::create_directories(folder + "/sub");
  WriteScratchFile(folder, "sub/part.mim", "<?variable name=\"X\"?>");
  return folder;
}

int Run(const uint8_t* data, size_t size) {
  static const std::string folder = InsertFolder();

  const auto [mcs, raw] = SplitAtNul(AsText(data, size));
  AppState app;
  Session session;
  InitSessionTables(session);
  WriteValue(session.ConfigTable, "PFADZIELABLAGE", folder);  // where inserted files lie
  DataContext ctx{app, session};
  try {
    const SessionTable variables = ParseVariableDefinitions(ctx, mcs);
    std::string output;
    ExpandTemplate(ctx, variables, raw, output);
  } catch (const Error&) {
    // Unknown names, corrupt directives and missing files are numbered errors.
  }
  return 0;
}

}  // namespace xkm::fuzz::template_expansion

XKM_FUZZ_ENTRY(template_expansion) {
  return xkm::fuzz::template_expansion::Run(data, size);
}
