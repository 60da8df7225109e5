#pragma once

// The UTF-8/UTF-16 boundary of the Win32 wide API; only for *_windows.cpp files.

#include <string>
#include <string_view>

namespace xkm {

// Invalid UTF-8 becomes U+FFFD; the result holds no terminating NUL.
std::wstring WideFromUtf8(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string Utf8FromWide(std::wstring_view text);

}  // namespace xkm
