#include "core/shell/startup.h"

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/os/ini_reader.h"
#include "core/platform/os/path.h"
#include "core/platform/text/text_pieces.h"
#include "core/resources/message_ids.h"
#include "core/resources/string_table.h"
#include "core/session/conversions.h"
#include "core/userdata/user_data.h"

namespace xkm {
namespace {

// A failure of start-up with a text of its own (not a numbered error).
struct StartupFailure {
  std::string message;
};

std::vector<std::string> SplitAtCommas(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string::npos ? comma : comma - start));
    if (comma == std::string::npos) return parts;
    start = comma + 1;
  }
}

// Reading a child that a MODUL must have; its absence is a run-time error.
std::string RequiredChildText(const XmlDocument& document, const XmlNode& parent,
                              const char* child) {
  XmlNode node = document.selectSingleNode(child, {}, parent);
  if (!node)
    throw Error(platform_error::kObjectVariableNotSet,
                "Object variable or With block variable not set", "Startup");
  return node.text();
}

void LoadProcessList(AppState& app, std::vector<ProcessStep>& steps) {
  const std::string libPath = app.ExecutableFolder + fs::kSeparator + "LIB.xml";
  if (!app.ProcessDocument.load(libPath))
    throw StartupFailure{app.ProcessDocument.parseErrorReason()};

  const XPathVariables key = {{"key", app.ProcessKey}};
  XmlNode comment =
      app.ProcessDocument.selectSingleNode("//PROCESSES/PROCESS[@KEY=$key]/COMMENT", key);
  if (comment) app.WindowTitle += " " + comment.text();

  for (const XmlNode& modul :
       app.ProcessDocument.selectNodes("//PROCESSES/PROCESS[@KEY=$key]/MODULS/MODUL", key)) {
    ProcessStep step;
    step.display = RequiredChildText(app.ProcessDocument, modul, "DISPLAY");
    step.name = RequiredChildText(app.ProcessDocument, modul, "NAME");
    step.help = RequiredChildText(app.ProcessDocument, modul, "HELP");
    steps.push_back(std::move(step));
  }
}

// The operator's data: offered for entry when they were never entered.
void PrepareUserData(AppState& app, Host& host) {
  app.UserDataObject = std::make_shared<clsUserData>();
  app.UserDataObject->Init(app.ExecutableFolder + fs::kSeparator + "Userdata.ini");
  if (!app.UserDataObject->StoreNotice().empty())
    host.showMessage(app.UserDataObject->StoreNotice(), "User data");
  if (!app.UserDataObject->CheckUserData() &&
      host.askYesNo(Message(app.LanguageOffset, msg::kOfferUserDataEntry), "User-Information")) {
    app.UserDataObject->InputUserData(host);
  }
  app.UserInfoTable = app.UserDataObject->GetUserData();
}

constexpr int kDefaultStopGraceSeconds = 10;

// A whole number of seconds from [System]; `fallback` when the key is absent
// or blank. Anything else is refused, so that a mistyped limit never goes
// unnoticed.
int SecondsSetting(const AppState& app, const char* key, int fallback) {
  const std::string text = ReadIniValue(OwnIniPath(app), "System", key, "");
  if (IsBlank(text)) return fallback;
  const std::string trimmed(TrimBlanks(text));
  if (trimmed.size() > 6 || trimmed.find_first_not_of("0123456789") != std::string::npos)
    throw StartupFailure{OwnIniPath(app) + ": [System] " + key + "=" + text +
                         " is no whole number of seconds"};
  return std::stoi(trimmed);
}

}  // namespace

void LocateExecutable(AppState& app) {
  std::string folder = fs::ExecutablePath();
  std::string name;
  fs::SplitPath(folder, name);
  app.ExecutableFolder = folder;
  app.ExecutableName = ProgramNameOf(name);
}

std::string ProgramNameOf(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

std::string OwnIniPath(const AppState& app) {
  return app.ExecutableFolder + fs::kSeparator + app.ExecutableName + ".ini";
}

void ReadCommandLine(AppState& app, const std::string& commandLine) {
  if (IsBlank(commandLine)) return;
  std::string message;
  try {
    std::vector<std::string> parts = SplitAtCommas(commandLine);
    if (parts.size() != 3) {
      message = "Wrong parameter: " + commandLine;
    } else {
      app.InputXmlPath = std::string(TrimBlanks(parts[0]));
      app.InputHexPath = std::string(TrimBlanks(parts[1]));
      app.InputA2lPath = std::string(TrimBlanks(parts[2]));
      for (const std::string* path : {&app.InputXmlPath, &app.InputHexPath, &app.InputA2lPath}) {
        if (!fs::FileExists(*path)) {
          message = "File not found : " + *path;
          break;
        }
      }
      if (message.empty() && !fs::FileExists(OwnIniPath(app)))
        message = "File not found : " + OwnIniPath(app);
      if (message.empty()) {
        // Later steps split these paths at their last separator, and the tools
        // work in another folder, so a relative path would lose its meaning.
        app.InputXmlPath = fs::MakeAbsolute(app.InputXmlPath);
        app.InputHexPath = fs::MakeAbsolute(app.InputHexPath);
        app.InputA2lPath = fs::MakeAbsolute(app.InputA2lPath);
        return;
      }
    }
  } catch (const Error& e) {
    message = e.description();
  }
  throw Error(msg::kFailure, message, "ReadCommandLine");
}

// Blanks around a typed path are not part of it, as on the command line.
std::string InputPathOf(const std::string& typed) {
  return fs::MakeAbsolute(std::string(TrimBlanks(typed)));
}

std::vector<std::string> InputPathsIn(const std::string& commandLine) {
  std::vector<std::string> paths = SplitAtCommas(commandLine);
  if (paths.size() != 3) return {};
  try {
    for (std::string& path : paths) path = InputPathOf(path);
  } catch (const Error&) {
    return {};
  }
  return paths;
}

bool TakeInputsFromDialog(AppState& app, Host& host) {
  const InputDialogResult input = host.showInputDialog();
  if (input.cancelled) return false;
  // All three or none: a path that cannot be placed leaves the order as it was.
  std::string xml = InputPathOf(input.xmlPath);
  std::string hex = InputPathOf(input.hexPath);
  app.InputA2lPath = InputPathOf(input.a2lPath);
  app.InputXmlPath = std::move(xml);
  app.InputHexPath = std::move(hex);
  return true;
}

StartupResult RunStartup(AppState& app, Host& host, const std::string& commandLine) {
  StartupResult result;
  try {
    app.ProcessKey = "1";
    app.ToolConfigPath = ReadIniValue(OwnIniPath(app), "System", "ToolConfig", "");
    if (IsBlank(app.ToolConfigPath))
      throw StartupFailure{"No Config-File: " + app.ExecutableName + ".ini found"};
    // A relative tool configuration is taken beside the executable, wherever
    // the program was started from.
    app.ToolConfigPath = fs::ResolvePath(app.ExecutableFolder, app.ToolConfigPath);
    app.StopGraceSeconds = SecondsSetting(app, "StopGrace", kDefaultStopGraceSeconds);
    app.ToolTimeoutSeconds = SecondsSetting(app, "ToolTimeout", 0);

    ReadCommandLine(app, commandLine);
    if (IsBlank(app.InputXmlPath) && !TakeInputsFromDialog(app, host))
      throw StartupFailure{"Information about XML-File, Hex/S19-File and A2L-File required!"};

    LoadProcessList(app, result.steps);
    PrepareUserData(app, host);
    result.ok = true;
  } catch (const StartupFailure& failure) {
    result.failureMessage = failure.message;
  } catch (const std::exception& e) {
    result.failureMessage = AsError(e).numberAndDescription();
  }
  if (!result.ok) {
    result.steps.clear();
    host.showMessage(result.failureMessage, kStartupErrorTitle);
  }
  return result;
}

}  // namespace xkm
