#include "core/toolchain/tool_inputs.h"

#include "core/library/layout_templates.h"
#include "core/platform/error.h"
#include "core/platform/os/path.h"
#include "core/resources/message_ids.h"
#include "core/session/config_names.h"
#include "core/session/file_names.h"
#include "core/templates/replace_data.h"
#include "core/templates/template_expansion.h"
#include "core/toolchain/ansi_file_text.h"
#include "core/toolchain/run_files.h"

namespace xkm {
namespace {

constexpr std::string_view kPlaceholderStart = "<$";

// Each placeholder "<$DATA.NAME>" of `text` whose row DataTable lacks
// replaced by what `value` gives for NAME; other placeholders stay.
void MarkMissingValues(std::string& text, const SessionTable& data, const ToolParts& toolParts) {
  std::string marked;
  size_t done = 0;
  for (size_t start = text.find(kPlaceholderStart); start != std::string::npos;
       start = text.find(kPlaceholderStart, start + 1)) {
    const size_t end = text.find('>', start);
    if (end == std::string::npos) break;
    std::string name;
    std::string kind;
    const std::string_view inner = std::string_view(text).substr(
        start + kPlaceholderStart.size(), end - start - kPlaceholderStart.size());
    if (!SplitPlaceholder(inner, name, kind) || kind != "DATA" || data.rowsNamed(name).size() == 1)
      continue;
    marked.append(text, done, start - done);
    marked += toolParts.value(name);
    done = end + 1;
    start = end;
  }
  marked.append(text, done);
  text = std::move(marked);
}

}  // namespace

ToolInputFile RenderControlFile(Context& ctx) {
  const PreparedRun& run = ctx.session.prepared;
  BrakelTemplate brakel = GetBrakelTemplate(ctx, run.layout);
  WriteValue(ctx.session.ConfigTable, config::kBslTemplate, brakel.name);
  CheckNameInWorkingFolder(brakel.name, msg::kTemplateFileNameError, "BRAKEL template name");
  const std::string brakelTemplate = brakel.content;
  ReplaceData(ctx, brakel.content);
  return {brakel.name,
          EncodeForAnsiFile(ctx, brakel.content, run.folder + fs::kSeparator + brakel.name,
                            {{"<ADRESSLAYOUT " + run.layout + " BRAKEL>", brakelTemplate}})};
}

std::string RenderContainerText(Context& ctx, const ToolParts* toolParts) {
  std::string mcs = ctx.session.prepared.containerScript;
  if (toolParts != nullptr) MarkMissingValues(mcs, ctx.session.DataTable, *toolParts);
  ReplaceData(ctx, mcs);
  if (mcs.find(kPlaceholderStart) != std::string::npos)
    throw Error(msg::kUnknownMcsVariables, ctx.message(msg::kUnknownMcsVariables));
  SessionTable variables = ParseVariableDefinitions(ctx, mcs);
  ctx.host.processEvents();
  ExpansionHooks hooks;
  if (toolParts != nullptr) {
    hooks.readInsert = [&](const std::string& fileName, std::string& content) {
      if (!toolParts->insert(fileName, content)) ReadTextFile(ctx, fileName, content);
    };
    hooks.uncut = toolParts->isMarker;
  }
  std::string container;
  ExpandTemplate(ctx, variables, ctx.session.prepared.containerText, container, hooks);
  return container;
}

}  // namespace xkm
