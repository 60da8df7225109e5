#pragma once

#include <string>

#include "core/resources/string_table.h"
#include "core/session/app_state.h"
#include "core/session/host.h"
#include "core/session/session.h"

namespace xkm {

// What a routine of a run works with: the program's state, the run's session
// and the user interface.
struct Context {
  AppState& app;
  Session& session;
  Host& host;

  // The numbered message in the current language.
  std::string message(int germanId) const { return Message(app.LanguageOffset, germanId); }
};

}  // namespace xkm
