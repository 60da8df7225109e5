#pragma once

#include <string>

#include "core/platform/error.h"
#include "core/resources/message_ids.h"

namespace xkm {

// A failure of malformed library content (a number msg::kLibrary...), told
// apart from a lookup that found nothing by its "Library: " prefix too.
inline Error LibraryError(int number, const std::string& text, const std::string& source) {
  return Error(number, "Library: " + text, source);
}

}  // namespace xkm
