#include "core/session/conversions.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "core/platform/error.h"

namespace xkm {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads "&H..." or "&O..." at `text`; returns false when it is not such a prefix.
// The digits are read as far as they go; `consumed` tells how far that was.
bool ReadRadixNumber(std::string_view text, double& value, size_t& consumed) {
  if (text.size() < 2 || text[0] != '&') return false;
  int radix = 0;
  char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(text[1])));
  if (kind == 'H') radix = 16;
  if (kind == 'O') radix = 8;
  if (radix == 0) return false;
  uint64_t accumulated = 0;
  size_t i = 2;
  for (; i < text.size(); ++i) {
    int digit = -1;
    char c = text[i];
    if (IsDigit(c))
      digit = c - '0';
    else if (radix == 16 && std::isxdigit(static_cast<unsigned char>(c)))
      digit = std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
    if (digit < 0 || digit >= radix) break;
    // Both are non-negative here: radix is 8 or 16 and digit lies below it.
    accumulated = accumulated * static_cast<uint64_t>(radix) + static_cast<uint64_t>(digit);
    if (accumulated > 0xFFFFFFFFull) throw platform_error::Overflow();
  }
  consumed = i;
  // Hexadecimal and octal literals are 32-bit two's complement: &HFFFFFFFF is -1.
  value = accumulated > 0x7FFFFFFFull ? static_cast<double>(static_cast<int32_t>(accumulated))
                                      : static_cast<double>(accumulated);
  return true;
}

// A decimal number "[+-]digits[.digits][(e|d)[+-]digits]" at the start of
// `text`, skipping `skippable` characters anywhere. Returns the characters
// consumed, 0 when there is no number.
size_t ReadDecimal(std::string_view text, double& value, std::string_view skippable) {
  std::string literal;
  size_t i = 0;
  auto skip = [&] {
    while (i < text.size() && skippable.find(text[i]) != std::string_view::npos) ++i;
  };
  skip();
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) literal += text[i++];
  skip();
  bool digits = false;
  while (i < text.size()) {
    if (IsDigit(text[i])) {
      literal += text[i++];
      digits = true;
    } else if (skippable.find(text[i]) != std::string_view::npos) {
      ++i;
    } else {
      break;
    }
  }
  if (i < text.size() && text[i] == '.') {
    literal += text[i++];
    while (i < text.size()) {
      if (IsDigit(text[i])) {
        literal += text[i++];
        digits = true;
      } else if (skippable.find(text[i]) != std::string_view::npos) {
        ++i;
      } else {
        break;
      }
    }
  }
  if (!digits) return 0;
  size_t mantissaEnd = i;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
    bool expDigits = false;
    while (j < text.size() && IsDigit(text[j])) {
      exponent += text[j++];
      expDigits = true;
    }
    if (expDigits) {
      literal += exponent;
      mantissaEnd = j;
    }
  }
  // from_chars, unlike strtod, ignores the process locale.
  size_t begin = (!literal.empty() && literal[0] == '+') ? 1 : 0;
  auto parsed = std::from_chars(literal.data() + begin, literal.data() + literal.size(), value);
  if (parsed.ec == std::errc::result_out_of_range) value = literal[0] == '-' ? -HUGE_VAL : HUGE_VAL;
  return mantissaEnd;
}

}  // namespace

int32_t ToLong(std::string_view text) {
  std::string_view trimmed = text;
  while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\t'))
    trimmed.remove_prefix(1);
  while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t'))
    trimmed.remove_suffix(1);
  if (trimmed.empty()) throw platform_error::TypeMismatch();

  double value = 0;
  size_t consumed = 0;
  if (!ReadRadixNumber(trimmed, value, consumed)) {
    consumed = ReadDecimal(trimmed, value, "");
  }
  if (consumed == 0 || consumed != trimmed.size()) throw platform_error::TypeMismatch();
  double rounded = std::nearbyint(value);  // the default rounding mode is half to even
  if (!std::isfinite(rounded) || rounded > std::numeric_limits<int32_t>::max() ||
      rounded < std::numeric_limits<int32_t>::min()) {
    throw platform_error::Overflow();
  }
  return static_cast<int32_t>(rounded);
}

double Val(std::string_view text) {
  constexpr std::string_view kSkippable = " \t\n";
  size_t start = text.find_first_not_of(kSkippable);
  if (start == std::string_view::npos) return 0;
  double value = 0;
  size_t consumed = 0;
  try {
    if (ReadRadixNumber(text.substr(start), value, consumed)) return value;
  } catch (const Error&) {
    // "&H" or "&O" digits beyond what a number holds read as no number at all.
    return 0;
  }
  if (ReadDecimal(text.substr(start), value, kSkippable) == 0) return 0;
  return value;
}

std::string FormatDouble15(double value) {
  // to_chars ignores the process locale, which a GUI toolkit may have changed.
  char buffer[64];
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::string text(buffer, result.ptr);
  for (char& c : text)
    if (c == 'e') c = 'E';
  if (text == "inf") return "INF";
  if (text == "-inf") return "-INF";
  return text;
}

}  // namespace xkm
