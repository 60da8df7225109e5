#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/session/context.h"

namespace xkm {

// A text beside the session tables that a file's content may come from (a
// template of the library), under the name the operator is told.
struct TextSource {
  std::string name;
  std::string_view text;
};

// `text` as the Windows-1252 bytes of the file at `path`. A character that
// the code page cannot hold would silently become "?" in a file the tools
// take as it is, so it fails with error msg::kUnencodableCharacter instead; the
// description names the file, the character and where it came from: the
// first session value holding it, as a placeholder (<$DATA.SGIDB1>), else the
// first of `templates` that does.
std::string EncodeForAnsiFile(const Context& ctx, std::string_view text, const std::string& path,
                              const std::vector<TextSource>& templates = {});

}  // namespace xkm
