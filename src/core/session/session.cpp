#include "core/session/session.h"

#include "core/platform/error.h"
#include "core/resources/message_ids.h"
#include "core/session/config_names.h"
#include "core/session/conversions.h"

namespace xkm {

const char* const kConfigCatalogue[23] = {
    config::kHexFile,
    config::kBaudRateTester,
    config::kBaudRateEcu,
    config::kWorkingFolder,
    config::kContainerFileName,
    config::kHexInfoStartAddress,
    config::kHexInfoStopAddress,
    config::kA2lFile,
    config::kEpkDiff,
    config::kDate,
    config::kCpuType,
    config::kConfigNum,
    config::kQsrTemplate,
    config::kMcsContent,
    config::kRawContent,
    config::kDatablockCount,
    config::kMimConversion,
    config::kQsrAddressInfoTemplate,
    config::kHexFileShort,
    config::kHexFileShortWithoutExtension,
    config::kOptionsKeyName,
    config::kAddressLayout,
    config::kBslTemplate,
};

void InitSessionTables(Session& session) {
  try {
    session.ConfigTable = SessionTable({"Name", "Value"});
    for (const char* name : kConfigCatalogue) {
      size_t row = session.ConfigTable.appendRow();
      session.ConfigTable.setField(row, 0, name);
    }
    session.UserDataTable = SessionTable({"Name", "Value"});
    session.SysConstTable = SessionTable({"Name", "Value"});
    session.DataTable = SessionTable({"Name", "Value"});
    session.MemorySegmentTable = SessionTable({"Name", "F1", "F2", "F3", "F4", "F5"});
  } catch (const std::exception& e) {
    throw Error(msg::kFailure, AsError(e).description(), "InitSessionTables");
  }
}

std::string ReadValue(const SessionTable& table, std::string_view name, int field) {
  if (table.rowCount() == 0) return {};
  const std::vector<size_t>& rows = table.rowsNamed(TrimBlanks(name));
  if (rows.size() != 1) return {};
  if (field < 0) throw Error(platform_error::kItemNotFound, "Item cannot be found", "ReadValue");
  return ValueAsReadBack(table.text(rows.front(), static_cast<size_t>(field)));
}

std::string ValueAsReadBack(std::string_view written) {
  return std::string(TrimBlanks(written));
}

void WriteValue(SessionTable& table, std::string_view name, std::string_view value) {
  const std::vector<size_t>& rows = table.rowsNamed(TrimBlanks(name));
  if (rows.size() == 1) {
    table.setField(rows.front(), 1, std::string(value));
    return;
  }
  size_t row = table.appendRow();
  table.setField(row, 0, std::string(name));
  table.setField(row, 1, std::string(value));
}

}  // namespace xkm
