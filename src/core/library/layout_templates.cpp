#include "core/library/layout_templates.h"

#include "core/library/library_errors.h"
#include "core/library/library_model.h"
#include "core/platform/text/text_pieces.h"
#include "core/resources/message_ids.h"
#include "core/session/conversions.h"

namespace xkm {
namespace {

// How template texts leave the library.
// - NAME and every DATA but RAW's: the element's text content, CDATA included,
//   with the LF line breaks the XML parser's end-of-line handling leaves.
// - RAW: the DATA element's serialized markup between the first "<![CDATA["
//   and the last "]]>", so that everything in between (further CDATA markers
//   included) passes through as stored; empty when a marker is missing. Its
//   line breaks are delivered as CR LF, the line ends of the container that is
//   built from it.
std::string TemplateText(const XmlNode& node) {
  return node.text();
}

std::string RawTemplateContent(const XmlNode& data) {
  const std::string markup = data.markup();
  const std::optional<MarkupSpan> span = RawTemplateSpan(markup);
  if (!span) return {};
  return ReplaceAll(std::string_view(markup).substr(span->begin, span->length), "\n", "\r\n");
}

const AddressLayout* FindLayout(DataContext& ctx, const std::string& layout) {
  return LibraryModel::Of(ctx.session).layoutNamed(layout);
}

void RequireChild(const XmlNode& node, const std::string& layout, TemplateKind kind,
                  const char* child, int number) {
  if (node) return;
  throw LibraryError(number,
                     "ADRESSLAYOUT \"" + layout + "\": " + TemplateElementName(kind) +
                         " template has no " + child + " element",
                     "GetLayoutTemplates");
}

struct NameAndData {
  std::string name;
  XmlNode data;
};

NameAndData ReadTemplate(DataContext& ctx, const std::string& layout, TemplateKind kind) {
  const AddressLayout* found = FindLayout(ctx, layout);
  const LayoutTemplate* templ = found ? &found->templateOf(kind) : nullptr;
  if (templ == nullptr || !templ->element) {
    throw LibraryError(
        msg::kLibraryMissingTemplate,
        "ADRESSLAYOUT \"" + layout + "\" has no " + TemplateElementName(kind) + " template",
        "GetLayoutTemplates");
  }
  RequireChild(templ->name, layout, kind, "NAME", msg::kLibraryMissingTemplateName);
  RequireChild(templ->data, layout, kind, "DATA", msg::kLibraryMissingTemplateData);
  return {TemplateText(templ->name), templ->data};
}

Error TemplateMessage(DataContext& ctx, int id) {
  return Error(id, ctx.message(id) + "\r\n", "GetLayoutTemplates");
}

}  // namespace

std::optional<MarkupSpan> RawTemplateSpan(std::string_view markup) {
  static constexpr std::string_view kOpen = "<![CDATA[";
  static constexpr std::string_view kClose = "]]>";
  const size_t open = markup.find(kOpen);
  if (open == std::string_view::npos) return std::nullopt;
  const size_t begin = open + kOpen.size();
  const size_t close = markup.substr(begin).rfind(kClose);
  if (close == std::string_view::npos) return std::nullopt;
  return MarkupSpan{begin, close};
}

LayoutTemplates GetLayoutTemplates(DataContext& ctx, const std::string& layout) {
  LayoutTemplates templates;
  NameAndData raw = ReadTemplate(ctx, layout, TemplateKind::Raw);
  templates.rawName = raw.name;
  templates.rawContent = RawTemplateContent(raw.data);
  NameAndData qsr = ReadTemplate(ctx, layout, TemplateKind::Qsr);
  templates.qsrName = qsr.name;
  templates.qsrContent = TemplateText(qsr.data);
  NameAndData mcs = ReadTemplate(ctx, layout, TemplateKind::Mcs);
  templates.mcsName = mcs.name;
  templates.mcsContent = TemplateText(mcs.data);
  NameAndData hexInfo = ReadTemplate(ctx, layout, TemplateKind::HexInfo);
  templates.hexInfoName = hexInfo.name;
  templates.hexInfoContent = TemplateText(hexInfo.data);

  if (IsBlank(templates.rawName)) throw TemplateMessage(ctx, msg::kNoRawTemplate);
  if (IsBlank(templates.mcsName)) throw TemplateMessage(ctx, msg::kNoMcsTemplate);
  if (IsBlank(templates.qsrName)) throw TemplateMessage(ctx, msg::kNoQsrTemplate);
  return templates;
}

int32_t GetDatablockCount(DataContext& ctx, const std::string& layout) {
  const AddressLayout* found = FindLayout(ctx, layout);
  const XmlNode node = found ? found->datablockCount : XmlNode();
  int32_t count = 0;
  if (node) {
    const std::string text = node.text();
    try {
      count = ToLong(text);
    } catch (const Error&) {
      throw LibraryError(msg::kLibraryDatablockCountNotANumber,
                         "ADRESSLAYOUT \"" + layout +
                             "\": DATABLOCK_COUNT is not a whole number: \"" + text + "\"",
                         "GetDatablockCount");
    }
  }
  if (count == 0)
    throw Error(msg::kNoDatablockCount, ctx.message(msg::kNoDatablockCount), "GetDatablockCount");
  return count;
}

bool GetMimConversion(DataContext& ctx, const std::string& layout) {
  const AddressLayout* found = FindLayout(ctx, layout);
  const XmlNode node = found ? found->mimConversion : XmlNode();
  if (!node) {
    throw LibraryError(msg::kLibraryMissingMimConversion,
                       "ADRESSLAYOUT \"" + layout + "\" has no MIM_CONVERSION element",
                       "GetMimConversion");
  }
  return node.text() == "1";
}

BrakelTemplate GetBrakelTemplate(DataContext& ctx, const std::string& layout) {
  NameAndData brakel = ReadTemplate(ctx, layout, TemplateKind::Brakel);
  return {brakel.name, TemplateText(brakel.data)};
}

}  // namespace xkm
