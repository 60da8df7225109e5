#pragma once

#include <string>

namespace xkm {

// A condition of an address-layout rule, the attribute name
// "<kind>.<row>[.<column>]", as a run reads it. What is wrong with it is kept
// as a value: a run raises it when it tries the rule, the library check
// reports it without a run.
struct LayoutCondition {
  enum class Kind { Config, SysConst, Data, AddressLabel, Unknown };  // Unknown never matches
  enum class Fault {
    None,
    NoKind,            // no "." between kind and row: a run fails
    ColumnNotANumber,  // ADRESSLABEL with a column that is no whole number: a run fails
  };
  Kind kind = Kind::Unknown;
  std::string kindText;  // as written
  std::string rowName;
  std::string columnText;  // the third part, as written
  int column = 1;          // ADRESSLABEL: the memory-segment column (0 the name, 1 to 5 F1 to F5)
  Fault fault = Fault::None;
  // Ignored by a run: more than three parts, or a column on another kind.
  bool tooManyParts = false;
  bool columnOnOtherKind = false;
};

LayoutCondition ParseLayoutCondition(const std::string& name);

}  // namespace xkm
