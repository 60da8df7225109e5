#pragma once

#include <string>

#include "core/session/data_context.h"
#include "support/scratch_folder.h"

namespace xkm::test {

// A run's data over a scratch executable folder.
struct LibraryFixture {
  ScratchFolder folder;
  AppState app;
  Session session;
  DataContext ctx{app, session};

  LibraryFixture() { app.ExecutableFolder = folder.path(); }

  // Loads library XML text straight into the session, no file involved.
  void useLibrary(const std::string& xml) {
    if (!session.LibraryDocument.loadFromMemory(xml)) throw std::runtime_error("bad test XML");
  }
};

}  // namespace xkm::test
