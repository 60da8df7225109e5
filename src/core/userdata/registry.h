#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace xkm {

// The registry routines of the user data (module Lib_Registry), over the
// per-user store of platform/os/user_store.h.

// A key opened below a root: the root number and the key's path.
struct RegOpenKey {
  int32_t root = 0;
  std::string keyPath;
};

// Sets a string value, creating the key when needed. Unlike the registry call
// it stands for, a failure is not dropped: a damaged or unwritable store
// raises its numbered error, so that the operator learns that the data were
// not kept instead of losing them unnoticed.
void RegWriteString(int32_t root, const std::string& keyPath, const std::string& valueName,
                    const std::string& value);

// Sets several string values of one key at once: all are kept or none.
void RegWriteStrings(int32_t root, const std::string& keyPath,
                     const std::vector<std::pair<std::string, std::string>>& values);

// The value as text (see RegQueryValueText); "" when the key or the value is
// missing. A damaged or unreadable store raises its error rather than looking
// like an empty one.
std::string RegReadString(int32_t root, const std::string& keyPath, const std::string& valueName);

// A string value up to its first NUL character; a 32-bit number as its lower
// 16 bits taken as a signed number, in decimal (70000 gives "4464"); any other
// kind of value, or none, gives "".
std::string RegQueryValueText(const RegOpenKey& key, const std::string& valueName);

}  // namespace xkm
