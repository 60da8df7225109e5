#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>

#include "core/platform/os/path.h"
#include "support/child_process.h"
#include "support/scratch_folder.h"

namespace xkm::test {

// A copy of the built xkmtool in a scratch folder, so that it finds the
// configuration files written beside it.
class InstalledTool {
 public:
  InstalledTool();
  const std::string& root() const { return folder_.path(); }
  std::string file(const std::string& relative) const { return folder_.file(relative); }
  std::string write(const std::string& relative, const std::string& bytes) const {
    return folder_.write(relative, bytes);
  }
  // The copy with `arguments`, run in the tool's folder with `environment`;
  // the operator's store goes to the scratch folder, never to the real home.
  ChildCommand command(const std::vector<std::string>& arguments) const;
  // Runs the copy with `arguments` in `workingFolder` (the tool's folder when empty).
  ChildResult run(const std::vector<std::string>& arguments,
                  const std::string& workingFolder = {}) const;

  std::map<std::string, std::string> environment;  // set for every run

 private:
  ScratchFolder folder_;
};

inline const std::string kContainer = "4711-0815_SW0102.xkm";

// What stderr holds when a step stops the run with `text`.
inline std::string StopText(const std::string& text) {
  return "Error: 60000 " + text + " - program stops!\n";
}

// A fresh copy of the installed program with the demo configuration and the
// sample tools, run as a child on an argv, with the checks every fault must
// pass: the program ends by itself, leaves no temporary file and touches
// nothing outside the working folder.
class InstalledProcess : public ::testing::Test, public InstalledTool {
 protected:
  InstalledProcess();

  // Copies the demo inputs into `folder` (relative to root()), the image under
  // `hexName`; returns the folder's full path.
  std::string installInputs(const std::string& folder, const std::string& hexName = "ecu_st10.hex",
                            const std::string& xmlName = "flowdata_4711.xml");
  static std::string DemoInput(const std::string& name);  // of the installed examples
  static std::string DemoLibrary();
  static std::string Expected(const std::string& name) {
    return ReadFileBytes(XKM_TEST_DATA "/expected/" + name);
  }
  // A file in the work folder "input" the suites install the inputs into.
  std::string work(const std::string& name) const { return file("input/" + name); }

  // Runs `xkmtool --batch --report r.json commandLine` (from root() unless the
  // command names a working folder), checking the tree outside `workFolder`.
  ChildResult runBatch(const std::string& commandLine, const std::string& workFolder,
                       ChildCommand command = {});
  // The demo inputs in `workFolder`, given as a command line relative to root().
  ChildResult runDemo(const std::string& workFolder = "input", ChildCommand command = {});

  nlohmann::json report() const { return nlohmann::json::parse(ReadFileBytes(file("r.json"))); }
  std::string argvLog() const {
    return std::filesystem::exists(file("argv.log")) ? ReadFileBytes(file("argv.log")) : "";
  }
  // tools.ini as installed, with its first `from` replaced by `to`.
  void changeTools(const std::string& from, const std::string& to) const;
  // The stand-in program as tools/`name`; what it does is the lines of
  // `actions` (see stand_in.cpp), for every stand-in of the run.
  void writeStandInTool(const std::string& name, const std::string& actions);
  // A shell script under tools/, for the tests that run where shells do.
  void writeScriptTool(const std::string& name, const std::string& body) const;
  // The full path of tools/`name` with the platform's suffix for programs.
  std::string toolFile(const std::string& name) const {
    return file("tools/" + name + XKM_EXE_SUFFIX);
  }
  // Replaces the library by `content` under its sealed name.
  void replaceLibrary(const std::string& content) const;
  // `text` with its one `from` replaced; throws where there is none.
  static std::string Replaced(std::string text, const std::string& from, const std::string& to);
  // `text` with the platform's separator spelled "/": the program keeps the
  // separators of the paths it is given and joins with the platform's own.
  static std::string Generic(std::string text) {
    std::replace(text.begin(), text.end(), fs::kSeparator, '/');
    return text;
  }

 private:
  using Snapshot = std::map<std::string, std::pair<uintmax_t, int64_t>>;
  Snapshot snapshotOutside(const std::string& workFolder) const;
};

}  // namespace xkm::test
