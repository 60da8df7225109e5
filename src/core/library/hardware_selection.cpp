#include "core/library/hardware_selection.h"

#include <optional>
#include <vector>

#include "core/library/layout_condition.h"
#include "core/library/library_errors.h"
#include "core/library/library_paths.h"
#include "core/platform/error.h"
#include "core/platform/text/letter_case.h"
#include "core/resources/message_ids.h"
#include "core/session/conversions.h"
#include "core/session/utilities.h"

namespace xkm {
namespace {

// The text of the attribute at `position` (document order); the library must
// write the attributes in the order the lookups read them.
std::string AttributeAt(const XmlNode& node, int position, const char* element) {
  if (position < 0 || position >= node.attributeCount()) {
    throw LibraryError(
        msg::kLibraryMissingAttribute,
        std::string(element) + " has no attribute at position " + std::to_string(position),
        "LibraryLookup");
  }
  return node.attributeValue(position);
}

int32_t WholeNumber(const std::string& text, const char* element, int position) {
  try {
    return ToLong(text);
  } catch (const Error&) {
    throw LibraryError(msg::kLibraryNotANumber,
                       std::string(element) + ": attribute at position " +
                           std::to_string(position) + " is not a whole number: \"" + text + "\"",
                       "LibraryLookup");
  }
}

// The session value a condition compares with; nullopt for an unknown kind.
std::optional<std::string> ActualValue(const Session& session, const LayoutCondition& condition,
                                       const std::string& attributeName) {
  using Kind = LayoutCondition::Kind;
  using Fault = LayoutCondition::Fault;
  if (condition.fault == Fault::NoKind) {
    throw LibraryError(msg::kLibraryConditionWithoutKind,
                       "ADRESSLAYOUT_CONFIGURATION/ENTRY: condition attribute \"" + attributeName +
                           "\" has no \".\" between kind and name",
                       "GetAddressLayout");
  }
  switch (condition.kind) {
    case Kind::Config:
      return ReadValue(session.ConfigTable, condition.rowName, 1);
    case Kind::SysConst:
      return ReadValue(session.SysConstTable, condition.rowName, 1);
    case Kind::Data:
      return ReadValue(session.DataTable, condition.rowName, 1);
    case Kind::AddressLabel:
      if (condition.fault == Fault::ColumnNotANumber) {
        throw LibraryError(msg::kLibraryConditionColumn,
                           "ADRESSLAYOUT_CONFIGURATION/ENTRY: column of condition \"" +
                               attributeName + "\" is not a whole number",
                           "GetAddressLayout");
      }
      return ReadValue(session.MemorySegmentTable, condition.rowName, condition.column);
    case Kind::Unknown:
      break;
  }
  return std::nullopt;
}

bool SameValue(std::string_view a, std::string_view b) {
  return ToUpperCase(TrimBlanks(a)) == ToUpperCase(TrimBlanks(b));
}

// Tries one rule; returns whether all its conditions hold and records why.
bool RuleMatches(const Session& session, const XmlNode& rule, LayoutTraceEntry& trace) {
  const int conditions = rule.attributeCount() - 1;
  for (int i = 0; i < conditions; ++i) {
    const std::string name = rule.attributeLocalName(i);
    const std::string expected = rule.attributeValue(i);
    const LayoutCondition condition = ParseLayoutCondition(name);
    std::optional<std::string> actual = ActualValue(session, condition, name);
    if (!actual || !SameValue(*actual, expected)) {
      trace.condition = name;
      trace.expected = expected;
      trace.actual = actual ? *actual : "(unknown kind " + ToUpperCase(condition.kindText) + ")";
      return false;
    }
  }
  trace.matched = true;
  return true;
}

}  // namespace

int32_t GetEcuConfigNum(DataContext& ctx, const std::string& ecuName) {
  const XmlNode entry = ctx.session.LibraryDocument.selectSingleNode(
      library_path::kEcuEntries + "[@ECU=$ecu]",
      {{"ecu", std::string(TrimBlanks(ToUpperCase(ecuName)))}});
  int32_t number = 0;
  if (entry)
    number =
        WholeNumber(AttributeAt(entry, 1, "ECU_CONFIGURATION/ENTRY"), "ECU_CONFIGURATION/ENTRY", 1);
  if (number == 0)
    throw Error(msg::kNoEcuInLibrary, ctx.message(msg::kNoEcuInLibrary), "GetEcuConfigNum");
  return number;
}

FrequencyConfig GetFrequencyConfig(DataContext& ctx, int32_t configNum) {
  static const char* const kElement = "FREQ_CONFIGURATION/ENTRY";
  const XmlNode entry = ctx.session.LibraryDocument.selectSingleNode(
      library_path::kFrequencyEntries + "[@CONFIG_NUM=$num]", {{"num", std::to_string(configNum)}});
  FrequencyConfig config;
  if (entry) {
    config.label = AttributeAt(entry, 1, kElement);
    config.divisor = WholeNumber(AttributeAt(entry, 2, kElement), kElement, 2);
  }
  if (IsBlank(config.label)) {
    throw Error(msg::kNoFrequencyLabel, ctx.message(msg::kNoFrequencyLabel), "GetFrequencyConfig");
  }
  return config;
}

BaudConfig GetBaudConfigByFrequency(DataContext& ctx) {
  static const char* const kElement = "BAUD_CONFIGURATION/CONFIG_NUM[@VALUE='1']/ENTRY";
  const FrequencyConfig frequency = GetFrequencyConfig(ctx, 1);
  const SessionTable& constants = ctx.session.SysConstTable;
  const std::vector<size_t>& rows = constants.rowsNamed(frequency.label);
  if (rows.size() != 1) {
    throw Error(msg::kNoFrequencyInA2l, ctx.message(msg::kNoFrequencyInA2l),
                "GetBaudConfigByFrequency");
  }
  if (frequency.divisor == 0) {
    throw LibraryError(msg::kLibraryDivisorZero, "FREQ_CONFIGURATION/ENTRY: the divisor is 0",
                       "GetBaudConfigByFrequency");
  }
  const double value = Val(TrimBlanks(constants.text(rows.front(), 1)));
  const std::string frequencyText(TrimBlanks(FormatDouble15(value / frequency.divisor)));

  const XmlNode entry = ctx.session.LibraryDocument.selectSingleNode(
      library_path::kBaudEntriesByFrequency + "[@FREQUENCY=$frequency]",
      {{"frequency", frequencyText}});
  BaudConfig baud;
  if (entry) {
    baud.tester = AttributeAt(entry, 1, kElement);
    baud.ecu = AttributeAt(entry, 2, kElement);
  }
  if (IsBlank(baud.tester)) {
    throw Error(msg::kNoBaudConfiguration, ctx.message(msg::kNoBaudConfiguration),
                "GetBaudConfigByFrequency");
  }
  return baud;
}

BaudConfig GetBaudConfigFixed(DataContext& ctx) {
  static const char* const kElement = "BAUD_CONFIGURATION/CONFIG_NUM[@VALUE='2']/ENTRY";
  const XmlNode entry =
      ctx.session.LibraryDocument.selectSingleNode(library_path::kBaudEntriesFixed);
  BaudConfig baud;
  if (entry) {
    baud.tester = AttributeAt(entry, 0, kElement);
    baud.ecu = AttributeAt(entry, 1, kElement);
  }
  if (IsBlank(baud.tester)) {
    throw Error(msg::kNoBaudConfiguration, ctx.message(msg::kNoBaudConfiguration),
                "GetBaudConfigFixed");
  }
  return baud;
}

std::string GetAddressLayout(DataContext& ctx) {
  Session& session = ctx.session;
  session.layoutTrace.clear();
  const std::vector<XmlNode> rules =
      session.LibraryDocument.selectNodes(library_path::kLayoutRules);
  std::string layout;
  for (size_t i = 0; i < rules.size(); ++i) {
    LayoutTraceEntry trace;
    trace.position = static_cast<int>(i + 1);
    const bool matched = RuleMatches(session, rules[i], trace);
    session.layoutTrace.push_back(trace);
    if (matched) {
      layout =
          AttributeAt(rules[i], rules[i].attributeCount() - 1, "ADRESSLAYOUT_CONFIGURATION/ENTRY");
      break;
    }
  }
  if (IsBlank(layout))
    throw Error(msg::kNoAddressLayout, ctx.message(msg::kNoAddressLayout), "GetAddressLayout");
  return layout;
}

}  // namespace xkm
