#pragma once

#include <string>

#include "core/session/session_table.h"

namespace xkm {

class clsLib {
 public:
  // A delimited Windows-1252 text file as a table: one row per line (lines end
  // at CR LF, LF or CR), one column per field of the first line, named by that
  // line (`bHeader`) or "FIELD_1", "FIELD_2", ... (the first line is then data
  // too). Fields split on exact matches of `sDelimiter`; an empty delimiter
  // keeps each line whole, and an empty line gives a row of nulls. Every
  // failure is raised as error msg::kFailure "GetTextStreamAsRecordSet : <number>
  // <description>" of the underlying error.
  SessionTable GetTextStreamAsRecordSet(const std::string& sPfadDateiName,
                                        const std::string& sDelimiter, bool bHeader);
};

}  // namespace xkm
