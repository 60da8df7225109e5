#include "core/a2l/a2l_reader.h"

#include <cstring>
#include <string>
#include <string_view>

#include "core/a2l/a2l_patterns.h"
#include "core/a2l/characteristic_scan.h"
#include "core/platform/cp1252.h"
#include "core/platform/error.h"
#include "core/platform/file_system.h"
#include "core/platform/regex.h"
#include "core/session/conversions.h"

namespace xkm {
namespace {

constexpr int kNoModPar = 60011;
constexpr int kNoEcu = 60012;
constexpr Regex::Options kOptions{.ignoreCase = true, .multiline = true};

// The file is Windows-1252; only the captured texts are decoded.
std::string Text(std::string_view capture) {
  return DecodeCp1252(capture);
}
std::string Trimmed(std::string_view capture) {
  return Text(TrimBlanks(capture));
}

size_t Find(std::string_view text, std::string_view needle) {
  const void* hit = ::memmem(text.data(), text.size(), needle.data(), needle.size());
  return hit == nullptr ? std::string_view::npos
                        : static_cast<size_t>(static_cast<const char*>(hit) - text.data());
}

void AppendRow(SessionTable& table, std::initializer_list<std::string> fields) {
  const size_t row = table.appendRow();
  size_t column = 0;
  for (const std::string& field : fields) table.setField(row, column++, field);
}

// The module parameter section: from "/begin MOD_PAR" up to the first
// "/end MOD_PAR" (both case-sensitive, both searched from the start).
std::string_view ModParSection(Context& ctx, std::string_view text) {
  const size_t begin = Find(text, "/begin MOD_PAR");
  if (begin == std::string_view::npos)
    throw Error(kNoModPar, ctx.message(kNoModPar), "ReadA2LData");
  const size_t end = Find(text, "/end MOD_PAR");
  if (end == std::string_view::npos || end < begin)
    throw platform_error::InvalidProcedureCall("ReadA2LData");
  return text.substr(begin, end - begin);
}

void ReadCharacteristicAddresses(SessionTable& data, std::string_view text) {
  const Regex sgidb1(a2l::kSgidb1Pattern, kOptions);
  const Regex sgidb3(a2l::kSgidb3Pattern, kOptions);
  const a2l::CharacteristicAddresses found = a2l::ScanCharacteristicAddresses(text, sgidb1, sgidb3);
  if (found.sgidb1.count == 1)
    AppendRow(data, {"ADRESSSGIDB1", Trimmed(found.sgidb1.firstAddress)});
  if (found.sgidb3.count == 1)
    AppendRow(data, {"ADRESSSGIDB3", Trimmed(found.sgidb3.firstAddress)});
}

void ReadSectionFacts(Context& ctx, std::string_view section) {
  Session& session = ctx.session;
  const std::vector<Regex::Match> epk = Regex(a2l::kEpkPattern, kOptions).findAll(section);
  if (epk.size() == 1) {
    AppendRow(session.DataTable, {"ADRESSEPK", Trimmed(epk[0].group(section, 1))});
    AppendRow(session.DataTable, {"EPK", Trimmed(epk[0].group(section, 2))});
  }

  const std::vector<Regex::Match> ecu = Regex(a2l::kEcuPattern, kOptions).findAll(section);
  if (ecu.size() != 1) throw Error(kNoEcu, ctx.message(kNoEcu), "ReadA2LData");
  AppendRow(session.DataTable,
            {"ECU", std::string(TrimBlanks(ToUpperAscii(Text(ecu[0].group(section, 1)))))});

  for (const Regex::Match& m : Regex(a2l::kSystemConstantPattern, kOptions).findAll(section))
    AppendRow(session.SysConstTable, {Text(m.group(section, 1)), Text(m.group(section, 2))});

  for (const Regex::Match& m : Regex(a2l::kMemorySegmentPattern, kOptions).findAll(section)) {
    AppendRow(session.MemorySegmentTable,
              {Text(m.group(section, 1)), Text(m.group(section, 2)), Text(m.group(section, 3)),
               Text(m.group(section, 4)), Text(m.group(section, 5)), Text(m.group(section, 6))});
  }
}

}  // namespace

void ReadA2LData(Context& ctx) {
  const std::string path = ReadValue(ctx.session.ConfigTable, "A2LFILE", 1);
  ExtractA2LFacts(ctx, fs::ReadAllBytes(path));
}

void ExtractA2LFacts(Context& ctx, std::string_view text) {
  ReadCharacteristicAddresses(ctx.session.DataTable, text);
  ReadSectionFacts(ctx, ModParSection(ctx, text));
}

bool SetCpuType(Context& ctx) {
  const SessionTable& constants = ctx.session.SysConstTable;
  const std::vector<size_t>& rows = constants.rowsNamed("SY_ST10");
  const bool st10 = rows.size() == 1 && Val(TrimBlanks(constants.text(rows.front(), 1))) >= 5.0;
  WriteValue(ctx.session.ConfigTable, "CPU_TYPE", st10 ? "2" : "1");
  return true;
}

}  // namespace xkm
