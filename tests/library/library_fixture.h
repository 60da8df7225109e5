#pragma once

#include <memory>
#include <sstream>
#include <string>

#include "core/library/library_model.h"
#include "core/platform/error.h"
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
    XmlDocument document;
    if (!document.loadFromMemory(xml)) throw std::runtime_error("bad test XML");
    session.Library = std::make_shared<const LibraryModel>(std::move(document));
  }
};

// What `call` gives, as text: its value, or "error N" where it fails.
template <typename Call>
std::string Outcome(Call call) {
  try {
    std::ostringstream out;
    out << call();
    return out.str();
  } catch (const Error& e) {
    return "error " + std::to_string(e.number());
  }
}

}  // namespace xkm::test
