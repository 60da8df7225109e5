#pragma once

#include <memory>
#include <string>

#include "core/platform/xml/xml.h"
#include "core/session/session_table.h"

namespace xkm {

class clsUserData;
class LibraryModel;

// The process-wide state the main window owns for the life of the program.
struct AppState {
  std::string ProcessKey;
  std::string ToolConfigPath;
  std::string InputXmlPath;
  std::string InputHexPath;
  std::string InputA2lPath;
  XmlDocument ProcessDocument;
  std::shared_ptr<clsUserData> UserDataObject;
  std::shared_ptr<SessionTable> UserInfoTable = std::make_shared<SessionTable>(
      std::vector<std::string>{"Name", "Field", "DisplayField", "Mandatory", "Value"});
  bool StopRequested = false;
  int StopPresses = 0;  // Stop requests in the current run; the second ends a tool at once
  int LanguageOffset = 0;

  // [System] of the program's INI file: how long a running tool may go on
  // after a Stop before it is asked to end, and how long any tool may run
  // (0: no limit). In seconds.
  int StopGraceSeconds = 10;
  int ToolTimeoutSeconds = 0;

  // Where the configuration files lie: the executable's folder (no trailing
  // separator) and its file name without extension.
  std::string ExecutableFolder;
  std::string ExecutableName;
  // A library file used in place of the one found beside the executable,
  // whatever its name (a preview tries a library before it is sealed).
  std::string LibraryFile;
  // LibraryFile once parsed, for a caller that previews many orders with it.
  std::shared_ptr<const LibraryModel> LibraryFileModel;
  std::string WindowTitle = "xkmtool";
};

}  // namespace xkm
