#pragma once

#include <string>

namespace xkm {

// `text` as one argument of a command line split by the Windows rules: in
// double quotes, with quotes and the backslashes before them escaped.
std::string QuoteArgument(const std::string& text);

}  // namespace xkm
