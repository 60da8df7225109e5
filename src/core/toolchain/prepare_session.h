#pragma once

#include <optional>
#include <string>

#include "core/session/context.h"

namespace xkm {

// The key handed to the external tools as session variable OPTIONS_KEY.
inline constexpr const char* kOptionsKey = "XKM-OPTIONS-1";

// Prepares a run: loads the library, creates the session tables, reads the A2L
// facts, chooses configuration, baud rates, address layout and templates,
// writes the layout's QSR script into the hex file's folder (where the tools
// will work) and stores every result in ConfigTable. A failure is shown
// as one "Error" box ("<number> <description>"); the routine then returns
// normally with the later variables left unwritten.
void PrepareSession(Context& ctx, const std::string& hexPath, const std::string& a2lPath);

// A file a run hands a tool: its name in the working folder and its bytes.
struct ToolInputFile {
  std::string name;
  std::string bytes;
};

// Prepares the session as PrepareSession does, showing a failure the same
// way, but writes, removes and claims nothing: the QSR script a run would
// write, or none after a failure.
std::optional<ToolInputFile> PreviewPreparation(Context& ctx, const std::string& hexPath,
                                                const std::string& a2lPath);

}  // namespace xkm
