#include "core/a2l/a2l_reader.h"

#include <string>
#include <string_view>

#include "core/a2l/a2l_scan.h"
#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/text/cp1252.h"
#include "core/platform/text/letter_case.h"
#include "core/resources/message_ids.h"
#include "core/session/config_names.h"
#include "core/session/conversions.h"

namespace xkm {
namespace {

// The file is Windows-1252; only the captured texts are decoded.
std::string Text(std::string_view capture) {
  return DecodeCp1252(capture);
}
std::string Trimmed(std::string_view capture) {
  return Text(TrimBlanks(capture));
}

void AppendRow(SessionTable& table, std::initializer_list<std::string> fields) {
  const size_t row = table.appendRow();
  size_t column = 0;
  for (const std::string& field : fields) table.setField(row, column++, field);
}

a2l::A2lMatches ScanFile(const std::string& path, size_t chunkSize) {
  fs::SequentialFile file(path);
  a2l::A2lScanner scanner(chunkSize);
  for (;;) {
    const std::span<char> space = scanner.space();
    const size_t count = file.read(space.data(), space.size());
    if (count == 0) return scanner.finish();
    scanner.scanned(count);
  }
}

// The module parameter section runs from the first "/begin MOD_PAR" up to the
// first "/end MOD_PAR" (both case-sensitive, both searched from the start).
void CheckSection(DataContext& ctx, const a2l::A2lMatches& found) {
  if (!found.sectionBegin)
    throw Error(msg::kNoSystemConstantsInA2l, ctx.message(msg::kNoSystemConstantsInA2l),
                "ReadA2LData");
  if (!found.sectionEnd || *found.sectionEnd < *found.sectionBegin)
    throw platform_error::InvalidProcedureCall("ReadA2LData");
}

void StoreSectionFacts(DataContext& ctx, const a2l::SectionMatches& section) {
  Session& session = ctx.session;
  if (section.epkCount == 1) {
    AppendRow(session.DataTable, {"ADRESSEPK", Trimmed(section.epkAddress)});
    AppendRow(session.DataTable, {"EPK", Trimmed(section.epk)});
  }
  if (section.ecuCount != 1)
    throw Error(msg::kNoEcuInA2l, ctx.message(msg::kNoEcuInA2l), "ReadA2LData");
  AppendRow(session.DataTable,
            {data::kEcu, std::string(TrimBlanks(ToUpperCase(Text(section.ecu))))});
  for (const auto& [name, value] : section.systemConstants)
    AppendRow(session.SysConstTable, {Text(name), Text(value)});
  for (const auto& segment : section.memorySegments) {
    AppendRow(session.MemorySegmentTable, {Text(segment[0]), Text(segment[1]), Text(segment[2]),
                                           Text(segment[3]), Text(segment[4]), Text(segment[5])});
  }
}

}  // namespace

void ReadA2LData(DataContext& ctx, size_t chunkSize) {
  const std::string path = ValueOf(ctx.session.ConfigTable, config::kA2lFile);
  StoreA2LFacts(ctx, ScanFile(path, chunkSize));
}

void StoreA2LFacts(DataContext& ctx, const a2l::A2lMatches& found) {
  if (found.sgidb1.count == 1)
    AppendRow(ctx.session.DataTable, {"ADRESSSGIDB1", Trimmed(found.sgidb1.firstAddress)});
  if (found.sgidb3.count == 1)
    AppendRow(ctx.session.DataTable, {"ADRESSSGIDB3", Trimmed(found.sgidb3.firstAddress)});
  CheckSection(ctx, found);
  StoreSectionFacts(ctx, found.section);
}

void SetCpuType(DataContext& ctx) {
  const SessionTable& constants = ctx.session.SysConstTable;
  const std::vector<size_t>& rows = constants.rowsNamed("SY_ST10");
  const bool st10 = rows.size() == 1 && Val(TrimBlanks(constants.text(rows.front(), 1))) >= 5.0;
  WriteValue(ctx.session.ConfigTable, config::kCpuType, st10 ? "2" : "1");
}

}  // namespace xkm
