#include "core/library/layout_condition.h"

#include <vector>

#include "core/platform/error.h"
#include "core/platform/text/letter_case.h"
#include "core/platform/text/text_pieces.h"
#include "core/session/conversions.h"

namespace xkm {
namespace {

LayoutCondition::Kind KindNamed(const std::string& upperCase) {
  using Kind = LayoutCondition::Kind;
  if (upperCase == "CONFIG") return Kind::Config;
  if (upperCase == "SYKONST") return Kind::SysConst;
  if (upperCase == "DATA") return Kind::Data;
  if (upperCase == "ADRESSLABEL") return Kind::AddressLabel;
  return Kind::Unknown;
}

}  // namespace

LayoutCondition ParseLayoutCondition(const std::string& name) {
  const std::vector<std::string_view> parts = SplitAt(name, '.');
  LayoutCondition condition;
  if (parts.size() < 2) {
    condition.fault = LayoutCondition::Fault::NoKind;
    return condition;
  }
  condition.kindText = parts[0];
  condition.kind = KindNamed(ToUpperCase(parts[0]));
  condition.rowName = parts[1];
  // Only exactly three parts name a column, and only ADRESSLABEL reads it.
  condition.tooManyParts = parts.size() > 3;
  if (parts.size() != 3) return condition;
  condition.columnText = parts[2];
  condition.columnOnOtherKind = condition.kind != LayoutCondition::Kind::AddressLabel;
  if (!condition.columnOnOtherKind) {
    try {
      condition.column = ToLong(parts[2]);
    } catch (const Error&) {
      condition.fault = LayoutCondition::Fault::ColumnNotANumber;
    }
  }
  return condition;
}

}  // namespace xkm
