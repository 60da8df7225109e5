#pragma once

#include <iosfwd>
#include <string>

#include "core/session/app_state.h"

namespace xkm {

struct PreviewOptions {
  std::string folder;       // where the files go: new, or an empty folder
  std::string libraryFile;  // empty: the library beside the program
  std::string commandLine;  // "XML,HEX,A2L"
  std::string reportPath;   // a copy of preview.json; empty: none
};

// The report's file name in the preview folder.
inline constexpr const char* kPreviewReportName = "preview.json";

// Start-up and a preview of one run (PreviewOrder) without a window: the
// files go to the folder with preview.json, messages to `err` as a batch run
// shows them. Returns the exit code.
int RunPreview(AppState& app, const PreviewOptions& options, std::ostream& out, std::ostream& err);

}  // namespace xkm
