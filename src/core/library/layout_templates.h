#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/session/data_context.h"

namespace xkm {

// The templates and settings of one address layout (ADRESSLAYOUT[@VALUE=name]).
// The layout name is looked up as given, without trimming or case change.

struct LayoutTemplates {
  std::string rawName;
  std::string rawContent;  // line breaks CR LF
  std::string qsrName;
  std::string qsrContent;
  std::string mcsName;
  std::string mcsContent;
  std::string hexInfoName;
  std::string hexInfoContent;
};

// Where the RAW template's text lies in the markup of its DATA element:
// between the first "<![CDATA[" and the last "]]>" after it, so that further
// CDATA markers in between pass through as stored. Null when a marker is
// missing: the container is then empty.
struct MarkupSpan {
  size_t begin = 0;
  size_t length = 0;
};
std::optional<MarkupSpan> RawTemplateSpan(std::string_view markup);

// Raises msg::kNoRawTemplate, kNoMcsTemplate or kNoQsrTemplate (message + CR LF)
// for a blank RAW, MCS or QSR name, in that order, after all four templates
// were read.
LayoutTemplates GetLayoutTemplates(DataContext& ctx, const std::string& layout);

// Raises msg::kNoDatablockCount when DATABLOCK_COUNT is missing or 0.
int32_t GetDatablockCount(DataContext& ctx, const std::string& layout);

// True only for a MIM_CONVERSION text of exactly "1".
bool GetMimConversion(DataContext& ctx, const std::string& layout);

struct BrakelTemplate {
  std::string name;
  std::string content;
};
BrakelTemplate GetBrakelTemplate(DataContext& ctx, const std::string& layout);

}  // namespace xkm
