#pragma once

#include <functional>
#include <string>

#include "core/session/context.h"
#include "core/toolchain/prepare_session.h"

namespace xkm {

// The converter's control file of the prepared run: the layout's BRAKEL
// template with the session's values in, as Windows-1252 bytes. Its name goes
// to BSL_TEMPLATE first, where the template may read it; a name that leaves
// the working folder fails with msg::kTemplateFileNameError.
ToolInputFile RenderControlFile(Context& ctx);

// What stands for the parts of the container only the tools supply: `value`
// gets a DATA row the session lacks (the checksum log brings it), `insert` a
// file a tool makes (`path`, as the template names it) and gives false for
// any other file, which is then read. `isMarker` tells what they give, which
// is inserted whole.
struct ToolParts {
  std::function<std::string(const std::string& name)> value;
  std::function<bool(const std::string& path, std::string& content)> insert;
  std::function<bool(std::string_view text)> isMarker;
};

// The container's text: the MCS definitions with the session's values in,
// expanded into the RAW template, as the container step writes it (not yet
// encoded). Without `toolParts` every value and file must be there.
std::string RenderContainerText(Context& ctx, const ToolParts* toolParts = nullptr);

}  // namespace xkm
