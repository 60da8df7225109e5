#include "core/templates/template_expansion.h"

#include <algorithm>
#include <exception>
#include <unordered_map>
#include <vector>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/os/path.h"
#include "core/platform/regex/regex.h"
#include "core/platform/text/cp1252.h"
#include "core/platform/text/quoted_value.h"
#include "core/resources/message_ids.h"
#include "core/session/config_names.h"
#include "core/session/conversions.h"

namespace xkm {
namespace {

constexpr std::string_view kVariablePattern =
    R"re(<variable name=[ \t]*"(.*)"[ \t]+value=[ \t]*"(.*)")re";
constexpr std::string_view kFileInsertPattern =
    R"re(<fileinsert name=[ \t]*"(.*)"[ \t]+value=[ \t]*"(.*)")re";
constexpr std::string_view kCandidatePattern = R"re(<\?.*\?>)re";
constexpr std::string_view kNameClausePattern =
    R"re(<\?(variable|fileinsert) name=[ \t]*"([^"]*)".*\?>)re";
constexpr std::string_view kCutClausePattern = R"re(CS_Len[ \t]*=[ \t]*([0-9]))re";

// A resolved directive: the span [start, end) of the template (byte offsets)
// and what replaces it.
struct Directive {
  size_t start;
  size_t end;
  std::string type;
  std::string value;
};

// Line by line (no pattern reaches past a line's end), so that a line the
// matcher gives up on (a value of megabytes) can be named.
void AppendDefinitions(std::vector<VariableDefinition>& list, std::string_view text,
                       std::string_view pattern, const char* type) {
  const Regex definition(pattern, {.ignoreCase = true, .multiline = true});
  for (size_t start = 0; start <= text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    const std::string_view line = text.substr(start, end - start);
    try {
      for (const Regex::Match& m : definition.findAll(line))
        list.push_back(
            {start + m.offset, std::string(m.group(line, 1)), std::string(m.group(line, 2)), type});
    } catch (const Error& e) {
      throw Error(e.number(),
                  e.description() + " in the line " + Quote(line) + " (" +
                      std::to_string(line.size()) + " bytes)",
                  e.source());
    }
    start = end + 1;
  }
}

std::vector<Directive> FindDirectives(DataContext& ctx, const SessionTable& variables,
                                      std::string_view templateText, const ExpansionHooks& hooks) {
  std::vector<Directive> directives;
  for (const DirectiveCandidate& candidate : FindDirectiveCandidates(templateText)) {
    if (!candidate.name) {
      std::string text(templateText.substr(candidate.offset, candidate.length));
      throw Error(msg::kRawTemplateCorrupt, ctx.message(msg::kRawTemplateCorrupt) + " :" + text,
                  "ExpandTemplate");
    }
    const std::string& name = *candidate.name;
    const std::vector<size_t>& rows = variables.rowsNamed(name);
    if (rows.size() != 1) {
      throw Error(msg::kUnknownRawVariable, ctx.message(msg::kUnknownRawVariable) + " :" + name,
                  "ExpandTemplate");
    }
    std::string stored = variables.text(rows.front(), variables.columnIndex("Value"));
    std::string_view value = TrimBlanks(stored);
    // A cut may begin or end with a blank that is then no edge of the value:
    // what is inserted, or names the file to insert, is trimmed again.
    if (candidate.cutLength != 0 && !(hooks.uncut && hooks.uncut(value)))
      value = TrimBlanks(Utf8Tail(value, candidate.cutLength));
    std::string type = variables.text(rows.front(), variables.columnIndex("Type"));
    directives.push_back({candidate.offset, candidate.offset + candidate.length,
                          std::string(TrimBlanks(type)), std::string(value)});
  }
  return directives;
}

}  // namespace

std::vector<VariableDefinition> ScanVariableDefinitions(std::string_view text) {
  std::vector<VariableDefinition> definitions;
  AppendDefinitions(definitions, text, kVariablePattern, "V");
  AppendDefinitions(definitions, text, kFileInsertPattern, "F");
  return definitions;
}

std::vector<DirectiveCandidate> FindDirectiveCandidates(std::string_view templateText) {
  const Regex candidates(kCandidatePattern, {.ignoreCase = true, .multiline = true});
  const Regex nameClause(kNameClausePattern, {.ignoreCase = true});
  const Regex cutClause(kCutClausePattern, {.ignoreCase = true});
  std::vector<DirectiveCandidate> found;
  for (const Regex::Match& match : candidates.findAll(templateText)) {
    DirectiveCandidate candidate{match.offset, match.length, std::nullopt, 0};
    std::string_view text = templateText.substr(match.offset, match.length);
    Regex::Match clause;
    if (nameClause.findFirst(text, clause)) candidate.name = std::string(clause.group(text, 2));
    Regex::Match cut;
    if (cutClause.findFirst(text, cut))
      candidate.cutLength = 2 * static_cast<size_t>(cut.group(text, 1)[0] - '0');
    found.push_back(std::move(candidate));
  }
  return found;
}

SessionTable ParseVariableDefinitions(DataContext& ctx, std::string_view text) {
  try {
    SessionTable list({"Name", "Value", "Type"});
    for (VariableDefinition& definition : ScanVariableDefinitions(text)) {
      size_t row = list.appendRow();
      list.setField(row, 0, std::move(definition.name));
      list.setField(row, 1, std::move(definition.value));
      list.setField(row, 2, std::move(definition.type));
    }
    return list;
  } catch (const std::exception& e) {
    // Named by the template it came from, as the library names it.
    throw Error(msg::kFailure,
                "<ADRESSLAYOUT " + ValueOf(ctx.session.ConfigTable, config::kAddressLayout) +
                    " MCS>: " + AsError(e).description(),
                "ParseVariableDefinitions");
  }
}

void ExpandTemplate(DataContext& ctx, const SessionTable& variables, std::string_view templateText,
                    std::string& output, const ExpansionHooks& hooks) {
  output.clear();
  std::vector<Directive> directives = FindDirectives(ctx, variables, templateText, hooks);
  // Only the assembly copies template text, and it runs for directives alone:
  // a template without any directive gives the empty text, which the
  // container step then writes as it is.
  if (directives.empty()) return;

  // Resolve every insert first, so the output is sized once. A file inserted
  // several times is read once. A failing read ends the assembly at its
  // directive, with the text before it already in the output.
  std::vector<std::string_view> inserts;
  inserts.reserve(directives.size());
  std::unordered_map<std::string, std::string> files;
  std::exception_ptr failure;
  size_t size = templateText.size();
  for (const Directive& d : directives) {
    std::string_view insert = d.value;
    if (d.type != "V") {
      auto file = files.find(d.value);
      if (file == files.end()) {
        std::string content;
        try {
          if (hooks.readInsert)
            hooks.readInsert(d.value, content);
          else
            ReadTextFile(ctx, d.value, content);
        } catch (const Error&) {
          // A missing or unreadable file ends the assembly at its directive;
          // the text before it still goes to the output.
          failure = std::current_exception();
          break;
        }
        file = files.emplace(d.value, std::move(content)).first;
      }
      insert = file->second;
    }
    inserts.push_back(insert);
    size = size - (d.end - d.start) + insert.size();
  }

  output.reserve(size);
  size_t p = 0;
  for (size_t i = 0; i < inserts.size(); ++i) {
    output.append(templateText.substr(p, directives[i].start - p));
    output.append(inserts[i]);
    p = directives[i].end;
  }
  if (failure) {
    output.append(templateText.substr(p, directives[inserts.size()].start - p));
    std::rethrow_exception(failure);
  }
  output.append(templateText.substr(p));
}

void ReadTextFile(DataContext& ctx, const std::string& fileName, std::string& content) {
  content.clear();
  const std::string folder = ValueOf(ctx.session.ConfigTable, config::kWorkingFolder);
  const std::string path = folder.empty() ? fileName : fs::ResolvePath(folder, fileName);
  if (!fs::FileExists(path)) {
    throw Error(msg::kInsertFileNotFound, ctx.message(msg::kInsertFileNotFound) + " :" + fileName,
                "ReadTextFile");
  }
  content = DecodeCp1252(fs::ReadAllBytes(path, fs::Links::Refuse));
}

}  // namespace xkm
