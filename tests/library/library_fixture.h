#pragma once

#include <string>

#include "core/session/context.h"
#include "support/recording_host.h"
#include "support/scratch_folder.h"

namespace xkm::test {

// A run's context over a scratch executable folder and a recording host.
struct LibraryFixture {
  ScratchFolder folder;
  AppState app;
  Session session;
  RecordingHost host;
  Context ctx{app, session, host};

  LibraryFixture() { app.ExecutableFolder = folder.path(); }

  // Loads library XML text straight into the session, no file involved.
  void useLibrary(const std::string& xml) {
    if (!session.LibraryDocument.loadFromMemory(xml)) throw std::runtime_error("bad test XML");
  }
};

}  // namespace xkm::test
