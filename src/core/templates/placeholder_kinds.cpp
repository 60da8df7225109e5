#include "core/templates/placeholder_kinds.h"

#include <algorithm>

namespace xkm {

// The user-info table holds the value in its fifth column.
constexpr size_t kUserInfoValueColumn = 4;

bool IsPlaceholderKind(std::string_view kind) {
  return std::find(kPlaceholderKinds.begin(), kPlaceholderKinds.end(), kind) !=
         kPlaceholderKinds.end();
}

std::optional<PlaceholderSource> SourceOf(std::string_view kind, const Session& session,
                                          const AppState& app) {
  if (kind == "DATA") return PlaceholderSource{&session.DataTable};
  if (kind == "SYSCONST") return PlaceholderSource{&session.SysConstTable};
  if (kind == "USERDATA") return PlaceholderSource{&session.UserDataTable};
  if (kind == "USERINFO") return PlaceholderSource{app.UserInfoTable.get(), kUserInfoValueColumn};
  if (kind == "CONFIG") return PlaceholderSource{&session.ConfigTable};
  return std::nullopt;
}

}  // namespace xkm
