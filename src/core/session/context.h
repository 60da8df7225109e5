#pragma once

#include "core/session/data_context.h"
#include "core/session/host.h"

namespace xkm {

// What a step of a run works with: the program's state, the run's session
// and the user interface.
struct Context : DataContext {
  Context(AppState& appState, Session& runSession, Host& userInterface)
      : DataContext{appState, runSession}, host(userInterface) {}
  Host& host;
};

}  // namespace xkm
