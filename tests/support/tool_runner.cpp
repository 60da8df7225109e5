#include "support/tool_runner.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#ifndef XKM_TOOL_EXE
#error "XKM_TOOL_EXE must name the built xkmtool"
#endif

namespace xkm::test {

InstalledTool::InstalledTool() {
  std::filesystem::copy_file(XKM_TOOL_EXE, executable(),
                             std::filesystem::copy_options::overwrite_existing);
}

ToolRun InstalledTool::run(const std::string& arguments, const std::string& workingFolder) const {
  const std::string out = folder_.file(".stdout");
  const std::string err = folder_.file(".stderr");
  const std::string folder = workingFolder.empty() ? folder_.path() : workingFolder;
  // The operator's store goes to the scratch folder, never to the real home.
  std::string variables = "XDG_CONFIG_HOME='" + folder_.file(".config") + "'";
  for (const auto& [name, value] : environment) variables += " " + name + "='" + value + "'";
  const std::string command = "cd '" + folder + "' && " + variables + " '" + executable() + "' " +
                              arguments + " > '" + out + "' 2> '" + err + "' < /dev/null";
  int status = std::system(command.c_str());
  ToolRun result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadFileBytes(out);
  result.err = ReadFileBytes(err);
  return result;
}

}  // namespace xkm::test
