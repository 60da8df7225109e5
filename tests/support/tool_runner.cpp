#include "support/tool_runner.h"

#include <filesystem>

#ifndef XKM_TOOL_EXE
#error "XKM_TOOL_EXE must name the built xkmtool"
#endif

namespace xkm::test {

InstalledTool::InstalledTool() {
  std::filesystem::copy_file(XKM_TOOL_EXE, executable(),
                             std::filesystem::copy_options::overwrite_existing);
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
