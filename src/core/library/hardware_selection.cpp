#include "core/library/hardware_selection.h"

#include <optional>
#include <vector>

#include "core/library/layout_condition.h"
#include "core/library/library_errors.h"
#include "core/library/library_model.h"
#include "core/platform/error.h"
#include "core/platform/text/letter_case.h"
#include "core/platform/text/text_pieces.h"
#include "core/resources/message_ids.h"
#include "core/session/conversions.h"

namespace xkm {
namespace {

// The text of the attribute at `position` (document order); the library must
// write the attributes in the order the lookups read them.
std::string AttributeAt(const LibraryEntry& entry, size_t position, const char* element) {
  const std::string* value = entry.at(position);
  if (value == nullptr) {
    throw LibraryError(
        msg::kLibraryMissingAttribute,
        std::string(element) + " has no attribute at position " + std::to_string(position),
        "LibraryLookup");
  }
  return *value;
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
std::optional<std::string> ActualValue(const Session& session, const RuleCondition& rule) {
  const LayoutCondition& condition = rule.parsed;
  const std::string& attributeName = rule.attributeName;
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
      return ValueOf(session.ConfigTable, condition.rowName);
    case Kind::SysConst:
      return ValueOf(session.SysConstTable, condition.rowName);
    case Kind::Data:
      return ValueOf(session.DataTable, condition.rowName);
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
bool RuleMatches(const Session& session, const LayoutRule& rule, LayoutTraceEntry& trace) {
  for (const RuleCondition& condition : rule.conditions) {
    std::optional<std::string> actual = ActualValue(session, condition);
    if (!actual || !SameValue(*actual, condition.expected)) {
      trace.condition = condition.attributeName;
      trace.expected = condition.expected;
      trace.actual =
          actual ? *actual : "(unknown kind " + ToUpperCase(condition.parsed.kindText) + ")";
      return false;
    }
  }
  trace.matched = true;
  return true;
}

}  // namespace

int32_t GetEcuConfigNum(DataContext& ctx, const std::string& ecuName) {
  static const char* const kElement = "ECU_CONFIGURATION/ENTRY";
  const LibraryEntry* entry = LibraryModel::FindByKey(
      LibraryModel::Of(ctx.session).ecuEntries(), std::string(TrimBlanks(ToUpperCase(ecuName))));
  int32_t number = 0;
  if (entry) number = WholeNumber(AttributeAt(*entry, 1, kElement), kElement, 1);
  if (number == 0)
    throw Error(msg::kNoEcuInLibrary, ctx.message(msg::kNoEcuInLibrary), "GetEcuConfigNum");
  return number;
}

FrequencyConfig GetFrequencyConfig(DataContext& ctx, int32_t configNum) {
  static const char* const kElement = "FREQ_CONFIGURATION/ENTRY";
  const LibraryEntry* entry = LibraryModel::FindByKey(
      LibraryModel::Of(ctx.session).frequencyEntries(), std::to_string(configNum));
  FrequencyConfig config;
  if (entry) {
    config.label = AttributeAt(*entry, 1, kElement);
    config.divisor = WholeNumber(AttributeAt(*entry, 2, kElement), kElement, 2);
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

  const LibraryEntry* entry = LibraryModel::FindByKey(
      LibraryModel::Of(ctx.session).baudEntriesByFrequency(), frequencyText);
  BaudConfig baud;
  if (entry) {
    baud.tester = AttributeAt(*entry, 1, kElement);
    baud.ecu = AttributeAt(*entry, 2, kElement);
  }
  if (IsBlank(baud.tester)) {
    throw Error(msg::kNoBaudConfiguration, ctx.message(msg::kNoBaudConfiguration),
                "GetBaudConfigByFrequency");
  }
  return baud;
}

BaudConfig GetBaudConfigFixed(DataContext& ctx) {
  static const char* const kElement = "BAUD_CONFIGURATION/CONFIG_NUM[@VALUE='2']/ENTRY";
  const std::vector<LibraryEntry>& entries = LibraryModel::Of(ctx.session).baudEntriesFixed();
  BaudConfig baud;
  if (!entries.empty()) {
    baud.tester = AttributeAt(entries.front(), 0, kElement);
    baud.ecu = AttributeAt(entries.front(), 1, kElement);
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
  const std::vector<LayoutRule>& rules = LibraryModel::Of(session).layoutRules();
  std::string layout;
  for (size_t i = 0; i < rules.size(); ++i) {
    LayoutTraceEntry trace;
    trace.position = static_cast<int>(i + 1);
    const bool matched = RuleMatches(session, rules[i], trace);
    session.layoutTrace.push_back(trace);
    if (matched) {
      if (!rules[i].layout) {
        throw LibraryError(msg::kLibraryMissingAttribute,
                           "ADRESSLAYOUT_CONFIGURATION/ENTRY has no attribute", "LibraryLookup");
      }
      layout = *rules[i].layout;
      break;
    }
  }
  if (IsBlank(layout))
    throw Error(msg::kNoAddressLayout, ctx.message(msg::kNoAddressLayout), "GetAddressLayout");
  return layout;
}

}  // namespace xkm
