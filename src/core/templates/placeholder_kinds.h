#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "core/session/app_state.h"
#include "core/session/session.h"

namespace xkm {

// The kinds of placeholder "<$KIND.NAME>", in the order in which a value is
// traced back to one: the logistic and A2L data first, the configuration
// (which holds the templates they were put into) last.
inline constexpr std::array<std::string_view, 5> kPlaceholderKinds = {
    "DATA", "SYSCONST", "USERDATA", "USERINFO", "CONFIG"};

bool IsPlaceholderKind(std::string_view kind);

// Where a placeholder of `kind` reads its value: a session table and the
// column of the value. Null for an unknown kind; `table` is null when there is
// no user-info table, which reads like an empty one.
struct PlaceholderSource {
  const SessionTable* table = nullptr;
  size_t column = 1;
};
std::optional<PlaceholderSource> SourceOf(std::string_view kind, const Session& session,
                                          const AppState& app);

}  // namespace xkm
