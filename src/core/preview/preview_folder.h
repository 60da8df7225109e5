#pragma once

#include <string>
#include <vector>

#include "core/preview/order_preview.h"

namespace xkm {

// Makes `folder` ready for a preview: created when missing; a folder that
// holds anything is refused, so that a preview never overwrites a file. The
// reason when it cannot take the preview, else empty.
[[nodiscard]] std::string PrepareEmptyFolder(const std::string& folder);

// Writes each file of the preview into `folder` under its name. Throws a
// numbered Error.
void WritePreviewFiles(const std::string& folder, const std::vector<PreviewFile>& files);

}  // namespace xkm
