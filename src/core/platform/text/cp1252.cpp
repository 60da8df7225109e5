#include "core/platform/text/cp1252.h"

#include <array>
#include <cstdint>

namespace xkm {
namespace {

// Code points of the bytes 0x80-0x9F; the unassigned bytes keep their C1 code
// point so that every byte survives a decode/encode round trip.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes one UTF-8 sequence at `pos` and advances past it. A malformed
// sequence (overlong, surrogate, beyond U+10FFFF, truncated) yields kInvalid
// and consumes a single byte, so that every stray byte counts as one character.
char32_t NextCodePoint(std::string_view s, size_t& pos) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  unsigned char lead = byte(pos);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  size_t extra;
  char32_t cp;
  char32_t minimum;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, cp = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, cp = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, cp = lead & 0x07, minimum = 0x10000;
  } else {
    ++pos;
    return kInvalid;
  }
  if (s.size() - pos <= extra) {
    ++pos;
    return kInvalid;
  }
  for (size_t i = 1; i <= extra; ++i) {
    unsigned char c = byte(pos + i);
    if ((c & 0xC0) != 0x80) {
      ++pos;
      return kInvalid;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return kInvalid;
  }
  pos += extra + 1;
  return cp;
}

// The Windows-1252 byte of a code point, or -1 when there is none.
int ByteOf(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == cp) return static_cast<int>(0x80 + i);
  }
  return -1;
}

// Encodes into `bytes`; returns false when anything had to become "?".
bool Encode(std::string_view utf8, std::string& bytes) {
  bytes.clear();
  bytes.reserve(utf8.size());
  bool lossless = true;
  size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t cp = NextCodePoint(utf8, pos);
    int b = cp == kInvalid ? -1 : ByteOf(cp);
    if (b < 0) {
      lossless = false;
      bytes += '?';
    } else {
      bytes += static_cast<char>(b);
    }
  }
  return lossless;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string DecodeCp1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char ch : bytes) {
    auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80 && b <= 0x9F) {
      AppendUtf8(out, kHighControls[b - 0x80]);
    } else {
      AppendUtf8(out, b);
    }
  }
  return out;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t pos = 0; pos < text.size();)
    if (NextCodePoint(text, pos) == kInvalid) return false;
  return true;
}

std::string Utf8OrCp1252(std::string_view bytes) {
  return IsValidUtf8(bytes) ? std::string(bytes) : DecodeCp1252(bytes);
}

std::string EncodeCp1252(std::string_view utf8) {
  std::string bytes;
  Encode(utf8, bytes);
  return bytes;
}

bool TryEncodeCp1252(std::string_view utf8, std::string& bytes) {
  return Encode(utf8, bytes);
}

UnencodableCharacter FindUnencodable(std::string_view utf8) {
  size_t pos = 0;
  while (pos < utf8.size()) {
    const size_t start = pos;
    const char32_t cp = NextCodePoint(utf8, pos);
    if (cp == kInvalid || ByteOf(cp) < 0) return {start, pos - start};
  }
  return {};
}

size_t Utf8Length(std::string_view utf8) {
  size_t count = 0;
  for (size_t pos = 0; pos < utf8.size(); ++count) NextCodePoint(utf8, pos);
  return count;
}

std::string_view Utf8Head(std::string_view utf8, size_t count) {
  size_t pos = 0;
  for (size_t n = 0; n < count && pos < utf8.size(); ++n) NextCodePoint(utf8, pos);
  return utf8.substr(0, pos);
}

std::string_view Utf8Tail(std::string_view utf8, size_t count) {
  size_t length = Utf8Length(utf8);
  if (count >= length) return utf8;
  // Stepping forward keeps malformed bytes counted exactly as Utf8Length does.
  size_t pos = 0;
  for (size_t n = 0; n < length - count; ++n) NextCodePoint(utf8, pos);
  return utf8.substr(pos);
}

}  // namespace xkm
