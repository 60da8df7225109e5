#pragma once

#include <string>
#include <string_view>

namespace xkm {

// Upper case of UTF-8 text as the Western (Windows-1252) code page
// has them: the ASCII letters and every other letter of that code page
// (ä/Ä, é/É, þ/Þ, š/Š, œ/Œ, ž/Ž, ÿ/Ÿ). Letters without a partner there (ß, µ)
// and characters outside the code page stay as they are; so does a malformed
// byte. The byte length never changes.
std::string ToUpperCase(std::string_view utf8);

// Equality without regard to case, in the sense above.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace xkm
