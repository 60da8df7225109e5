#include "core/templates/checksum_import.h"

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/text/letter_case.h"
#include "core/resources/message_ids.h"
#include "core/session/config_names.h"
#include "core/session/conversions.h"
#include "core/session/session.h"
#include "core/templates/text_stream_reader.h"

namespace xkm {
namespace {

// The first field is compared the way table names are: without regard to
// case, trailing blanks ignored. A leading blank makes it another text.
bool IsChecksumLine(const SessionTable::Field& first) {
  return first && EqualsIgnoringCase(TrimTrailingBlanks(*first), "Checksum");
}

void ImportLog(DataContext& ctx) {
  std::string folder = ValueOf(ctx.session.ConfigTable, config::kWorkingFolder);
  std::string path = std::string(TrimBlanks(folder)) + fs::kSeparator + "CS.LOG";
  if (!fs::FileExists(path)) {
    throw Error(msg::kChecksumLogMissing,
                std::to_string(msg::kChecksumLogMissing) + " " +
                    ctx.message(msg::kChecksumLogMissing) + " : " + path,
                "ImportChecksums");
  }
  SessionTable log = clsLib().GetTextStreamAsRecordSet(path, ";", false);
  size_t kindColumn = log.columnIndex("Field_1");
  SessionTable& data = ctx.session.DataTable;
  for (size_t r = 0; r < log.rowCount(); ++r) {
    if (!IsChecksumLine(log.field(r, kindColumn))) continue;
    // Both fields are read before the row is added, so a log without a third
    // column leaves no half row behind.
    SessionTable::Field name = log.field(r, log.columnIndex("Field_2"));
    SessionTable::Field value = log.field(r, log.columnIndex("Field_3"));
    size_t row = data.appendRow();
    if (name) data.setField(row, 0, *name);
    if (value) data.setField(row, 1, *value);
  }
}

}  // namespace

void ImportChecksums(DataContext& ctx) {
  try {
    ImportLog(ctx);
  } catch (const Error& e) {
    throw Error(e.number(), std::string(TrimBlanks(e.description())), e.source());
  }
}

}  // namespace xkm
