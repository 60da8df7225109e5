#pragma once

#include <string>

namespace xkm {

// The entry point `entryName` of a part of the program built as a module of
// its own and loaded only when it is needed: the window, whose libraries a
// batch run should not pay for loading. The module stays loaded until the
// program ends. Null when the module or its entry cannot be found; `reason`
// then says why, in the system's words.
[[nodiscard]] void* LoadModuleEntry(const std::string& modulePath, const std::string& entryName,
                                    std::string& reason);

}  // namespace xkm
