#pragma once

#include <string>

namespace xkm {

// The numbered messages: German at the id (message_ids.h), English at id + 1000.
// Throws Error 326 for an id the table does not hold.
std::string LoadResString(int id);

// The message in the language selected by `languageOffset` (0 German, 1000 English).
inline std::string Message(int languageOffset, int germanId) {
  return LoadResString(languageOffset + germanId);
}

inline constexpr int kEnglishOffset = 1000;

}  // namespace xkm
