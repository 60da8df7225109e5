#include "support/installed_process.h"

#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "core/library/library_loader.h"

namespace xkm::test {

namespace stdfs = std::filesystem;

namespace {

// The time a file was last written; Wine reports one fixed count for every
// file, so there the content stands in for it.
int64_t WriteStamp(const stdfs::directory_entry& entry) {
#ifdef _WIN32
  if (!entry.is_regular_file()) return 0;
  std::ifstream in(entry.path(), std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return static_cast<int64_t>(std::hash<std::string>{}(content.str()));
#else
  std::error_code ec;
  return entry.last_write_time(ec).time_since_epoch().count();
#endif
}

// The batch program's file name as installed ("xkmtool.com" on Windows).
std::string ProgramFileName() {
  return "xkmtool" + stdfs::path(XKM_TOOL_EXE).extension().string();
}

}  // namespace

InstalledTool::InstalledTool() {
  stdfs::copy_file(std::string(XKM_INSTALLED_PROGRAM_DIR) + "/" + ProgramFileName(),
                   file(ProgramFileName()), stdfs::copy_options::overwrite_existing);
}

ChildCommand InstalledTool::command(const std::vector<std::string>& arguments) const {
  ChildCommand command{
      .argv = {file(ProgramFileName())}, .environment = environment, .workingFolder = root()};
  command.argv.insert(command.argv.end(), arguments.begin(), arguments.end());
  command.environment.emplace("XDG_CONFIG_HOME", file(".config"));
  return command;
}

ChildResult InstalledTool::run(const std::vector<std::string>& arguments,
                               const std::string& workingFolder) const {
  ChildCommand child = command(arguments);
  if (!workingFolder.empty()) child.workingFolder = workingFolder;
  return RunChild(child);
}

InstalledProcess::InstalledProcess() {
  std::istringstream configFiles(XKM_CONFIG_FILES);
  for (std::string name; std::getline(configFiles, name, ',');)
    write(name, ReadFileBytes(std::string(XKM_INSTALLED_CONFIG_DIR) + "/" + name));
  stdfs::copy(std::string(XKM_INSTALLED_PROGRAM_DIR) + "/tools", file("tools"));
  environment["XKM_TOOL_ARGV_LOG"] = file("argv.log");
}

std::string InstalledProcess::DemoInput(const std::string& name) {
  return ReadFileBytes(std::string(XKM_INSTALLED_EXAMPLES_DIR) + "/input/" + name);
}

std::string InstalledProcess::DemoLibrary() {
  return ReadFileBytes(std::string(XKM_INSTALLED_CONFIG_DIR) + "/LIB_XKM_B3FCD394.lbr");
}

std::string InstalledProcess::Replaced(std::string text, const std::string& from,
                                       const std::string& to) {
  const size_t at = text.find(from);
  if (at == std::string::npos) throw std::runtime_error("no " + from);
  return text.replace(at, from.size(), to);
}

std::string InstalledProcess::installInputs(const std::string& folder, const std::string& hexName,
                                            const std::string& xmlName) {
  write(folder + "/" + xmlName, DemoInput("flowdata_4711.xml"));
  write(folder + "/" + hexName, DemoInput("ecu_st10.hex"));
  write(folder + "/ecu_st10.a2l", DemoInput("ecu_st10.a2l"));
  return file(folder);
}

ChildResult InstalledProcess::runBatch(const std::string& commandLine,
                                       const std::string& workFolder, ChildCommand command) {
  const ChildCommand common = this->command({"--batch", "--report", file("r.json"), commandLine});
  command.argv = common.argv;
  if (command.workingFolder.empty()) command.workingFolder = root();
  command.environment.insert(common.environment.begin(), common.environment.end());
  std::error_code ec;
  stdfs::remove(file("r.json"), ec);
  const Snapshot before = snapshotOutside(workFolder);
  ChildResult result = RunChild(command);
  EXPECT_EQ(result.signal, 0) << "xkmtool ended by a signal\n" << result.err;
  EXPECT_EQ(result.err.find("Sanitizer"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("runtime error"), std::string::npos) << result.err;
  for (const auto& entry : stdfs::recursive_directory_iterator(root())) {
    const std::string name = entry.path().filename().string();
    EXPECT_NE(name.rfind(".xkm-tmp-", 0), 0u) << "temporary file left: " << entry.path();
    EXPECT_NE(name, "pwned") << "a shell ran a command: " << entry.path();
  }
  EXPECT_EQ(snapshotOutside(workFolder), before)
      << "something outside " << workFolder << " changed";
  return result;
}

ChildResult InstalledProcess::runDemo(const std::string& workFolder, ChildCommand command) {
  const std::string w = workFolder + "/";
  return runBatch(w + "flowdata_4711.xml," + w + "ecu_st10.hex," + w + "ecu_st10.a2l", workFolder,
                  std::move(command));
}

void InstalledProcess::changeTools(const std::string& from, const std::string& to) const {
  write("tools.ini",
        Replaced(ReadFileBytes(std::string(XKM_INSTALLED_CONFIG_DIR) + "/tools.ini"), from, to));
}

void InstalledProcess::writeStandInTool(const std::string& name, const std::string& actions) {
  stdfs::copy_file(XKM_STAND_IN_EXE, toolFile(name));
  environment["XKM_STAND_IN"] = actions;
}

void InstalledProcess::writeScriptTool(const std::string& name, const std::string& body) const {
  ::chmod(write("tools/" + name, "#!/bin/sh\n" + body).c_str(), 0755);
}

void InstalledProcess::replaceLibrary(const std::string& content) const {
  for (const auto& entry : stdfs::directory_iterator(root()))
    if (entry.path().extension() == ".lbr") stdfs::remove(entry.path());
  const std::string draft = write("library.draft", content);
  stdfs::rename(draft, file(LibraryFileName(draft)));
}

// The tree under root() but the work folder and the harness's own files
// (compared in the generic "/" spelling: the program spells the paths it
// builds with the platform's separator).
InstalledProcess::Snapshot InstalledProcess::snapshotOutside(const std::string& workFolder) const {
  const std::string inside = stdfs::path(workFolder).generic_string();
  Snapshot snapshot;
  for (const auto& entry : stdfs::recursive_directory_iterator(root())) {
    const std::string relative = stdfs::relative(entry.path(), root()).generic_string();
    if (relative == inside || relative.rfind(inside + "/", 0) == 0 || relative == "argv.log" ||
        relative == "r.json")
      continue;
    std::error_code ec;
    const uintmax_t size = entry.is_regular_file(ec) ? entry.file_size(ec) : 0;
    snapshot[relative] = {size, WriteStamp(entry)};
  }
  return snapshot;
}

}  // namespace xkm::test
