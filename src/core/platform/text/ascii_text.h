#pragma once

namespace xkm {

// Byte-wise ASCII case, for the ASCII keywords of file formats (the A2L
// patterns' words, "0x"), which a case-insensitive pattern matches byte by
// byte. Text that an operator, the library or the logistic data write is
// upper-cased and compared through letter_case.h, which knows every letter
// of Windows-1252.
inline char ToLowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
inline char ToUpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace xkm
