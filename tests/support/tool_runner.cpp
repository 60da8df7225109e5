#include "support/tool_runner.h"

#include <filesystem>
#include <regex>

#ifndef XKM_TOOL_EXE
#error "XKM_TOOL_EXE must name the built xkmtool"
#endif

namespace xkm::test {

InstalledTool::InstalledTool() {
  std::filesystem::copy_file(XKM_TOOL_EXE, executable(),
                             std::filesystem::copy_options::overwrite_existing);
}

std::string WithProgramSuffix(const std::string& toolsIni) {
  static const std::regex kToolValue(R"(^(\w+=tools/[^\r\n]+))", std::regex::multiline);
  const std::string suffix =
      std::filesystem::path(XKM_TOOL_EXE).extension() == ".com" ? ".exe" : "";
  return std::regex_replace(toolsIni, kToolValue, "$1" + suffix);
}

std::string InstalledTool::executable() const {
  return folder_.file("xkmtool" + std::filesystem::path(XKM_TOOL_EXE).extension().string());
}

ToolRun InstalledTool::run(const std::vector<std::string>& arguments,
                           const std::string& workingFolder) const {
  ChildCommand command;
  command.argv = {executable()};
  command.argv.insert(command.argv.end(), arguments.begin(), arguments.end());
  command.workingFolder = workingFolder.empty() ? folder_.path() : workingFolder;
  // The operator's store goes to the scratch folder, never to the real home.
  command.environment["XDG_CONFIG_HOME"] = folder_.file(".config");
  for (const auto& [name, value] : environment) command.environment[name] = value;
  return RunChild(command);
}

}  // namespace xkm::test
