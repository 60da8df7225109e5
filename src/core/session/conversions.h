#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/platform/text/letter_case.h"
#include "core/platform/text/text_pieces.h"

namespace xkm {

// Whole-number conversion of a text: blanks around it allowed, a decimal number
// (sign, digits, decimal point, exponent) rounded half to even, or "&H"/"&O"
// hexadecimal/octal. Error 13 when the text is not a number, error 6 when it
// does not fit 32 bits.
int32_t ToLong(std::string_view text);

// The leading number of a text: blanks, tabs and line feeds are passed over,
// then a sign, digits, "." and an exponent are read, or "&H"/"&O" digits;
// reading stops at the first character that cannot continue the number; a
// text without a leading number gives 0.
double Val(std::string_view text);

// A double as decimal text with at most 15 significant digits, "." as decimal
// point, no trailing zeros (like printf's %.15G).
std::string FormatDouble15(double value);

}  // namespace xkm
