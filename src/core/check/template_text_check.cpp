#include <algorithm>

#include "core/check/finding_list.h"
#include "core/resources/message_ids.h"
#include "core/session/conversions.h"
#include "core/session/session_table.h"
#include "core/templates/placeholder_kinds.h"
#include "core/templates/template_expansion.h"

namespace xkm {
namespace {

constexpr std::string_view kPlaceholderOpen = "<$";

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

std::vector<std::string_view> PathComponents(std::string_view path) {
  std::vector<std::string_view> components;
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || IsSeparator(path[i])) {
      components.push_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  return components;
}

// Whether a file insert's value names a file outside the working folder. The
// placeholders HEXFILE and PFADZIELABLAGE stand for paths in it; a value that
// starts with another placeholder cannot be judged.
bool LeadsOutOfWorkingFolder(std::string_view value) {
  static constexpr std::string_view kHexFile = "<$CONFIG.HEXFILE>";
  static constexpr std::string_view kFolder = "<$CONFIG.PFADZIELABLAGE>";
  int depth = 0;
  bool joined = false;  // the first component continues the placeholder's path
  if (value.substr(0, kHexFile.size()) == kHexFile) {
    value.remove_prefix(kHexFile.size());
    depth = 1;
    joined = true;
  } else if (value.substr(0, kFolder.size()) == kFolder) {
    value.remove_prefix(kFolder.size());
    if (!value.empty() && !IsSeparator(value.front())) return true;  // a sibling folder
    joined = true;
  } else if (value.substr(0, kPlaceholderOpen.size()) == kPlaceholderOpen) {
    return false;
  } else if (!value.empty() &&
             (IsSeparator(value.front()) || (value.size() >= 2 && value[1] == ':'))) {
    return true;  // absolute
  }
  std::vector<std::string_view> components = PathComponents(value);
  for (size_t i = joined ? 1 : 0; i < components.size(); ++i) {
    if (components[i] == "..") {
      if (--depth < 0) return true;
    } else if (!components[i].empty() && components[i] != ".") {
      ++depth;
    }
  }
  return false;
}

}  // namespace

void CheckPlaceholders(const PlacedText& where, std::string_view templateName, bool strict,
                       FindingList& findings) {
  const std::string& text = where.text;
  const std::string in = " in the " + std::string(templateName) + " template";
  const Severity leftOver = strict ? Severity::Error : Severity::Warning;
  const std::string containerFails =
      "the container step fails with " + std::to_string(msg::kUnknownMcsVariables);
  const std::string replacingFails =
      ": a run fails with " + std::to_string(msg::kReplaceDataFailed);
  const std::string stays = strict ? ": it stays in the text and " + containerFails
                                   : ": it stays in the written file as it is";
  for (size_t open = text.find(kPlaceholderOpen); open != std::string::npos;) {
    const size_t close = text.find('>', open + 1);
    if (close == std::string::npos) {
      findings.inText(Severity::Error, where, open,
                      "the placeholder " + Quote(std::string_view(text).substr(open, 30)) + in +
                          " is never closed by \">\"" + replacingFails);
      return;
    }
    const std::string whole = text.substr(open, close + 1 - open);
    const std::string inner = text.substr(open + 2, close - open - 2);
    const std::string trimmed(TrimBlanks(inner));
    const size_t dots = static_cast<size_t>(std::count(trimmed.begin(), trimmed.end(), '.'));
    const std::string kind = ToUpperCase(trimmed.substr(0, trimmed.find('.')));
    std::optional<std::pair<Severity, std::string>> problem;
    if (trimmed.empty()) {
      problem = {Severity::Error, " is empty" + replacingFails};
    } else if (dots == 0) {
      problem = {leftOver, " has no kind (KIND.NAME)" + stays};
    } else if (dots > 2) {
      problem = {Severity::Error, " has more than two dots" + replacingFails};
    } else if (!IsPlaceholderKind(kind)) {
      problem = {Severity::Error, " has the unknown kind " + Quote(kind) +
                                      " (CONFIG, SYSCONST, DATA, USERDATA or USERINFO)" +
                                      replacingFails};
    } else if (whole != "<$" + ToUpperCase(trimmed) + ">") {
      problem = {leftOver, " is not written in upper case without blanks: it is never replaced" +
                               (strict ? ", and " + containerFails : std::string())};
    }
    if (problem)
      findings.inText(problem->first, where, open,
                      "the placeholder " + Quote(whole) + in + problem->second);
    open = text.find(kPlaceholderOpen, close + 1);
  }
}

void CheckDirectives(const PlacedText& raw, const PlacedText& mcs, const std::string& layout,
                     FindingList& findings) {
  SessionTable definitions({"Name", "Value", "Type"});
  for (const VariableDefinition& definition : ScanVariableDefinitions(mcs.text))
    definitions.setField(definitions.appendRow(), 0, definition.name);

  const std::vector<DirectiveCandidate> candidates = FindDirectiveCandidates(raw.text);
  for (const DirectiveCandidate& candidate : candidates) {
    const std::string_view span =
        std::string_view(raw.text).substr(candidate.offset, candidate.length);
    if (!candidate.name) {
      findings.inText(Severity::Error, raw, candidate.offset,
                      Quote(span) +
                          " in the RAW template is no directive (<?variable name=\"...\"?> or "
                          "<?fileinsert name=\"...\"?>): a run fails with " +
                          std::to_string(msg::kRawTemplateCorrupt));
      continue;
    }
    if (span.find("<?", 2) != std::string_view::npos) {
      findings.inText(Severity::Warning, raw, candidate.offset,
                      "two directives on one line of the RAW template are taken as one: "
                      "everything from the first \"<?\" to the last \"?>\" becomes the value of " +
                          Quote(*candidate.name));
    }
    const size_t defined = definitions.rowsNamed(*candidate.name).size();
    if (defined == 0) {
      findings.inText(Severity::Error, raw, candidate.offset,
                      "the directive names " + Quote(*candidate.name) +
                          ", which no variable definition of layout " + Quote(layout) +
                          " defines: a run fails with " + std::to_string(msg::kUnknownRawVariable));
    } else if (defined > 1) {
      findings.inText(Severity::Error, raw, candidate.offset,
                      "the directive names " + Quote(*candidate.name) + ", which the MCS " +
                          "template of layout " + Quote(layout) + " defines " +
                          std::to_string(defined) + " times: a run fails with " +
                          std::to_string(msg::kUnknownRawVariable));
    }
  }
  // A "<?" that starts no span: its "?>" is missing or on another line.
  for (size_t open = raw.text.find("<?"); open != std::string::npos;
       open = raw.text.find("<?", open + 2)) {
    const bool inSpan = std::any_of(candidates.begin(), candidates.end(), [open](const auto& c) {
      return open >= c.offset && open < c.offset + c.length;
    });
    if (!inSpan) {
      findings.inText(Severity::Warning, raw, open,
                      "\"<?\" without \"?>\" on the same line of the RAW template: no "
                      "directive, it stays in the container as it is");
    }
  }
}

void CheckFileInserts(const PlacedText& mcs, FindingList& findings) {
  for (const VariableDefinition& definition : ScanVariableDefinitions(mcs.text)) {
    if (definition.type != "F") continue;
    const std::string_view value = TrimBlanks(definition.value);
    if (LeadsOutOfWorkingFolder(value)) {
      findings.inText(Severity::Error, mcs, definition.offset,
                      "the file insert " + Quote(definition.name) + " reads " + Quote(value) +
                          ", which leads out of the working folder");
    }
  }
}

}  // namespace xkm
