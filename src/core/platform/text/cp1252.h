#pragma once

#include <string>
#include <string_view>

namespace xkm {

// Windows-1252 <-> UTF-8. Decoding maps every byte to one character (the five
// unassigned bytes 0x81, 0x8D, 0x8F, 0x90, 0x9D to U+0081, U+008D, U+008F,
// U+0090, U+009D), so decode followed by encode gives back the same bytes.
std::string DecodeCp1252(std::string_view bytes);

// Whether `text` is well-formed UTF-8 (no overlong forms or surrogates).
bool IsValidUtf8(std::string_view text);
// Text of unknown encoding: UTF-8 when it is valid UTF-8, else Windows-1252.
std::string Utf8OrCp1252(std::string_view bytes);

// Characters without a single-byte code become "?". Malformed UTF-8 bytes are
// taken one by one as "?" as well.
std::string EncodeCp1252(std::string_view utf8);

// Like EncodeCp1252, but fails (returns false) on a character without a
// single-byte code instead of writing "?".
[[nodiscard]] bool TryEncodeCp1252(std::string_view utf8, std::string& bytes);

// Where the first character without a single-byte code starts (a malformed
// byte counts as one such character): its byte offset and byte length, or
// std::string_view::npos when every character has a code.
struct UnencodableCharacter {
  size_t offset = std::string_view::npos;
  size_t length = 0;
};
UnencodableCharacter FindUnencodable(std::string_view utf8);

// Number of characters (code points) of a UTF-8 text.
size_t Utf8Length(std::string_view utf8);

// Appends the code point `cp` (at most U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

// The last `count` characters of a UTF-8 text (the whole text when shorter).
std::string_view Utf8Tail(std::string_view utf8, size_t count);

// The first `count` characters of a UTF-8 text (the whole text when shorter).
std::string_view Utf8Head(std::string_view utf8, size_t count);

}  // namespace xkm
