#pragma once

#include <string>

#include "core/resources/string_table.h"
#include "core/session/app_state.h"
#include "core/session/session.h"

namespace xkm {

// What the lookups, readers and the template engine of a run work with: the
// program's state and the run's session. They show nothing, so they get no
// user interface.
struct DataContext {
  AppState& app;
  Session& session;

  // The numbered message in the current language.
  std::string message(int germanId) const { return Message(app.LanguageOffset, germanId); }
  std::string message(int germanId, std::initializer_list<MessageField> fields) const {
    return Message(app.LanguageOffset, germanId, fields);
  }
};

}  // namespace xkm
