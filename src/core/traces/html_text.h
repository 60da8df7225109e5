#pragma once

#include <string>
#include <string_view>

namespace xkm {

// `text` with the characters that mean something in HTML (and in attribute
// values) written as references.
std::string EscapeHtml(std::string_view text);

}  // namespace xkm
