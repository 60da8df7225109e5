#include "core/platform/text/letter_case.h"

#include <cstdint>

namespace xkm {
namespace {

// Every Windows-1252 letter beyond ASCII lies in U+00C0-U+00FF (lead byte
// 0xC3) or is one of Š š Œ œ Ž ž Ÿ (lead byte 0xC5).
constexpr unsigned char kLatin1Lead = 0xC3;
constexpr unsigned char kLatinExtendedLead = 0xC5;

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

char32_t Decode(unsigned char lead, unsigned char next) {
  return (char32_t(lead & 0x1F) << 6) | (next & 0x3F);
}

char32_t UpperOf(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;  // not ÷
  if (c == 0x161 || c == 0x153 || c == 0x17E) return c - 1;  // š œ ž
  if (c == 0xFF) return 0x178;                               // ÿ
  return c;
}

// The character at `i` with its case changed by `change`, advancing `i`. A
// byte that is not an ASCII letter nor the start of a two-byte letter comes
// back unchanged, offset so that it never equals a decoded character.
template <typename Change>
char32_t ChangedAt(std::string_view text, size_t& i, Change change) {
  const auto byte = static_cast<unsigned char>(text[i]);
  if (byte < 0x80) {
    ++i;
    return change(byte);
  }
  if ((byte == kLatin1Lead || byte == kLatinExtendedLead) && i + 1 < text.size() &&
      IsContinuation(static_cast<unsigned char>(text[i + 1]))) {
    const char32_t c = Decode(byte, static_cast<unsigned char>(text[i + 1]));
    i += 2;
    return change(c);
  }
  ++i;
  return 0x110000 + byte;
}

template <typename Change>
std::string Changed(std::string_view text, Change change) {
  std::string result(text);
  for (size_t i = 0; i < result.size();) {
    const size_t at = i;
    const char32_t c = ChangedAt(result, i, change);
    if (i - at == 1) {
      if (c < 0x80) result[at] = static_cast<char>(c);
    } else {
      // Every partner of a two-byte letter is a two-byte letter as well.
      result[at] = static_cast<char>(0xC0 | (c >> 6));
      result[at + 1] = static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return result;
}

}  // namespace

std::string ToUpperCase(std::string_view utf8) {
  return Changed(utf8, UpperOf);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size())
    if (ChangedAt(a, i, UpperOf) != ChangedAt(b, j, UpperOf)) return false;
  return i == a.size() && j == b.size();
}

}  // namespace xkm
