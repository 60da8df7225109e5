#include "core/check/finding_list.h"
#include "core/library/library_model.h"
#include "core/platform/error.h"
#include "core/platform/text/text_pieces.h"
#include "core/resources/message_ids.h"
#include "core/session/conversions.h"
#include "core/session/session.h"

namespace xkm {
namespace {

// The memory-segment table has the columns Name and F1 to F5.
constexpr int kLastSegmentColumn = 5;

// A condition "<kind>.<row>[.<column>]": what a run makes of it.
void CheckCondition(const XmlNode& rule, const RuleCondition& stated, FindingList& findings) {
  const LayoutCondition& condition = stated.parsed;
  const int position = stated.position;
  const std::string what = "condition " + Quote(stated.attributeName);
  using Kind = LayoutCondition::Kind;
  using Fault = LayoutCondition::Fault;
  if (condition.fault == Fault::NoKind) {
    findings.atAttribute(Severity::Error, rule, position,
                         what +
                             " has no \".\" between kind and name: a run fails when it "
                             "tries this rule");
    return;
  }
  if (condition.kind == Kind::Unknown) {
    findings.atAttribute(Severity::Error, rule, position,
                         what + " has the unknown kind " + Quote(condition.kindText) +
                             " (CONFIG, SYKONST, DATA or ADRESSLABEL): the rule never matches");
    return;
  }
  if (condition.tooManyParts) {
    findings.atAttribute(Severity::Warning, rule, position,
                         what + " has more than three parts: its column is ignored");
  } else if (condition.columnOnOtherKind) {
    findings.atAttribute(Severity::Warning, rule, position,
                         what + ": only ADRESSLABEL conditions read a column; it is ignored");
  } else if (condition.fault == Fault::ColumnNotANumber) {
    findings.atAttribute(Severity::Error, rule, position,
                         what + ": the column " + Quote(condition.columnText) +
                             " is not a whole number: a run fails when it tries this rule");
  } else if (condition.column < 0 || condition.column > kLastSegmentColumn) {
    findings.atAttribute(Severity::Error, rule, position,
                         what + ": the column " + std::to_string(condition.column) +
                             " does not exist (0 is the name, 1 to 5 the fields F1 to F5): a "
                             "run fails when it tries this rule");
  }
}

}  // namespace

void CheckAddressLayoutRules(const LibraryModel& library, FindingList& findings) {
  const std::vector<LayoutRule>& rules = library.layoutRules();
  if (rules.empty()) {
    findings.at(Severity::Error, library.root(),
                "the library has no address-layout rule (ADRESSLAYOUT_CONFIGURATION/ENTRY): "
                "every run fails with " +
                    std::to_string(msg::kNoAddressLayout));
    return;
  }
  int catchAllLine = 0;  // the first rule without conditions: it always matches
  for (const LayoutRule& rule : rules) {
    if (catchAllLine != 0) {
      findings.at(Severity::Warning, rule.node,
                  "this rule is never reached: the rule on line " + std::to_string(catchAllLine) +
                      " has no conditions and always matches");
      continue;
    }
    if (!rule.layout) {
      findings.at(Severity::Error, rule.node,
                  "the rule has no attributes: it always matches and names no layout, so a run "
                  "fails");
      catchAllLine = rule.node.line();
      continue;
    }
    for (const RuleCondition& condition : rule.conditions)
      CheckCondition(rule.node, condition, findings);
    const int layoutPosition = static_cast<int>(rule.conditions.size());
    if (IsBlank(*rule.layout)) {
      findings.atAttribute(Severity::Error, rule.node, layoutPosition,
                           "the rule names no layout (its last attribute is blank): a run "
                           "fails with " +
                               std::to_string(msg::kNoAddressLayout) + " when it matches");
    } else if (library.layoutNamed(*rule.layout) == nullptr) {
      findings.atAttribute(Severity::Error, rule.node, layoutPosition,
                           "the rule names the layout " + Quote(*rule.layout) +
                               ", which the library does not hold (ADRESSLAYOUT VALUE)");
    } else if (const std::string readBack = ValueAsReadBack(*rule.layout);
               library.layoutNamed(readBack) == nullptr) {
      // The preparation reads the layout under the name as written; the
      // conversion step reads it back from the session and looks its BRAKEL
      // template up under that.
      findings.atAttribute(Severity::Error, rule.node, layoutPosition,
                           "the rule names the layout " + Quote(*rule.layout) +
                               ": a run reads the BRAKEL template under " + Quote(readBack) +
                               ", which the library does not hold (the session gives its "
                               "values back trimmed of blanks)");
    }
    if (rule.conditions.empty()) catchAllLine = rule.node.line();
  }
}

}  // namespace xkm
