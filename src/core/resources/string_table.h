#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace xkm {

// The numbered messages: German at the id (message_ids.h), English at id + 1000.
// Throws Error 326 for an id the table does not hold.
std::string LoadResString(int id);

// The message in the language selected by `languageOffset` (0 German, 1000 English).
inline std::string Message(int languageOffset, int germanId) {
  return LoadResString(languageOffset + germanId);
}

// A "{name}" field of a message and the text it stands for.
using MessageField = std::pair<std::string_view, std::string_view>;

// The message with each of its "{name}" fields filled in.
std::string Message(int languageOffset, int germanId, std::initializer_list<MessageField> fields);

inline constexpr int kEnglishOffset = 1000;

}  // namespace xkm
