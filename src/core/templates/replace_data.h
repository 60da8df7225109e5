#pragma once

#include <string>
#include <string_view>

#include "core/session/data_context.h"

namespace xkm {

// Replaces every placeholder "<$KIND.NAME>" of `text` by the session value it
// names. The text is trimmed of blanks first; all placeholders are collected
// before any value goes in, so values are not searched for placeholders of
// their own. Only the canonical spelling (upper case, no blanks inside) is
// replaced; an inner text without a dot stays as it is. Every failure is raised
// as msg::kReplaceDataFailed; `text` then keeps what was done up to that point.
void ReplaceData(DataContext& ctx, std::string& text);

// The length a text may reach through replacements (or its trimmed length at
// the start of the call, when that is more). Values that bring in placeholders
// of later rows could otherwise multiply the text row after row; the row that
// would make the text longer fails the call.
inline constexpr size_t kMaxReplacedTextLength = size_t(16) << 20;

// Splits a placeholder's inner text into kind and name: "KIND.NAME" or
// "KIND.NAME.PART" (the name keeps its one dot). An inner text that is blank,
// or has more than two dots, gives true with both outputs empty; one without a
// dot gives false.
[[nodiscard]] bool SplitPlaceholder(std::string_view inner, std::string& name, std::string& kind);

}  // namespace xkm
