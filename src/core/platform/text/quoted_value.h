#pragma once

#include <string>
#include <string_view>

namespace xkm {

// A value quoted for a message, shortened when long (never inside a UTF-8
// character) and on one line.
std::string Quote(std::string_view value);

}  // namespace xkm
