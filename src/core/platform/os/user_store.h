#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/platform/error.h"

namespace xkm::user_store {

// The operator's per-user key/value store. On Windows it is the registry
// itself: a root is a predefined registry root number, strings are REG_SZ,
// numbers REG_DWORD. Elsewhere it stands in for the registry: each root is
// one text file in the store folder, in the REGEDIT4 syntax, UTF-8:
//
//   REGEDIT4
//
//   [Software\Site\UserData]
//   "Name"="Text with \\ and \" escaped"
//   "Count"=dword:00011170
//   @="the key's default value"
//
// Key paths are relative to the root. Key paths and value names compare
// without regard to case. A string holding control characters is kept
// as hex(1): (its UTF-8 bytes and a terminating 00) so that one value is
// always one line; other hex values are kept as they are. A missing file is
// an empty store. Every call reads the file afresh; every write replaces it
// atomically.

struct StoreValue {
  enum class Type { String, Dword, Other };
  Type type = Type::String;
  std::string text;     // String: the value; Other: the data as written after "="
  uint32_t number = 0;  // Dword
};

// The number of the error raised for a store file that cannot be parsed.
inline constexpr int kInvalidFileFormat = platform_error::kBadFileFormat;

inline constexpr int32_t kCurrentUserRoot = -2147483647;
inline constexpr int32_t kLocalMachineRoot = -2147483646;

// $XDG_CONFIG_HOME/xkmtool, or ~/.config/xkmtool when XDG_CONFIG_HOME is unset,
// empty or relative. Empty on Windows.
std::string StoreFolder();

// HKEY_CURRENT_USER.reg, HKEY_LOCAL_MACHINE.reg or ROOT_<number>.reg in
// StoreFolder(); on Windows the root's name (HKEY_CURRENT_USER, ...).
std::string StoreFilePath(int32_t root);

// The value, or nothing when the file, the key or the value does not exist.
// A damaged file raises kInvalidFileFormat naming the file and the line; a
// file that cannot be read raises the file-system error.
[[nodiscard]] std::optional<StoreValue> FindValue(int32_t root, std::string_view keyPath,
                                                  std::string_view valueName);

// Creates the key when needed and sets the value; creates the store folder.
// A damaged file is left as it is and raises the same error as FindValue;
// write failures raise the file-system error.
void SetString(int32_t root, std::string_view keyPath, std::string_view valueName,
               std::string_view value);
void SetDword(int32_t root, std::string_view keyPath, std::string_view valueName, uint32_t value);

// Sets several string values of one key in a single write: either all of them
// are kept or, when the write fails, none.
void SetStrings(int32_t root, std::string_view keyPath,
                const std::vector<std::pair<std::string, std::string>>& values);

// What became of a damaged store file.
struct Recovery {
  std::string problem;  // the first damage found, as the read error describes it
  std::string movedTo;  // where the damaged file now lies, untouched
};

// A damaged store file is never overwritten, but it must not lock the operator
// out either: when the file of `root` cannot be parsed, it is renamed beside
// itself under a name with a time stamp (never deleted), and what could be
// read from it (every line but the damaged ones) becomes the new store file.
// Nothing happens to a sound or missing file, nor ever to the registry.
// Failures to move or write raise the file-system error.
[[nodiscard]] std::optional<Recovery> RecoverDamagedStore(int32_t root);

}  // namespace xkm::user_store
