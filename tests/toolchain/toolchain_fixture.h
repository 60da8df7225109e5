#pragma once

#include <filesystem>
#include <string>

#include "core/platform/os/file_system.h"
#include "core/session/context.h"
#include "support/recording_host.h"
#include "support/scratch_folder.h"

namespace xkm::test {

// The sample set the demo runs on.
inline std::string DemoFile(const std::string& relative) {
  return std::string(XKM_SOURCE_DIR) + "/examples/demo/" + relative;
}

inline std::string DemoLibrary() {
  for (const auto& entry : std::filesystem::directory_iterator(DemoFile("config")))
    if (entry.path().extension() == ".lbr") return entry.path().string();
  throw std::runtime_error("the demo has no library");
}

// A run's context with the demo library beside a pretended executable. The
// current folder, which a preparation changes, is restored afterwards.
struct ToolchainFixture {
  ScratchFolder folder;
  AppState app;
  Session session;
  RecordingHost host;
  Context ctx{app, session, host};

  ToolchainFixture() {
    std::filesystem::create_directories(folder.file("exe"));
    app.ExecutableFolder = folder.file("exe");
  }

  void installLibrary() { std::filesystem::copy(DemoLibrary(), app.ExecutableFolder); }
  // Copies a demo input file into the scratch folder under `name`.
  std::string input(const std::string& demoName, const std::string& name) {
    return folder.write(name, ReadFileBytes(DemoFile("input/" + demoName)));
  }
  std::string config(const std::string& name) const {
    return ReadValue(session.ConfigTable, name, 1);
  }
};

}  // namespace xkm::test
