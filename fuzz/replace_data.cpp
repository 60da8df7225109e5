// Placeholder substitution over arbitrary text. The input before its first NUL
// fills the session tables, one "KIND.NAME=VALUE" row a line (KIND one of
// CONFIG, DATA, SYSCONST, USERDATA, USERINFO); the rest is the text.
//
// Besides crashes, the result is checked against the plain algorithm the
// optimised one must equal: every row's canonical placeholder replaced in all
// its occurrences, row after row, stopping at the first failing row.

#include "core/templates/replace_data.h"

#include <algorithm>
#include <vector>

#include "core/platform/error.h"
#include "core/platform/text/text_pieces.h"
#include "core/session/conversions.h"
#include "core/session/session.h"
#include "fuzz_support.h"
#include "fuzz_target.h"

namespace xkm::fuzz::replace_data {

// The comparison with the plain algorithm is quadratic; it runs on inputs of
// a size where that stays fast.
constexpr size_t kMaxCheckedText = 16 * 1024;
constexpr size_t kMaxCheckedPlaceholders = 256;
constexpr size_t kMaxCheckedGrowth = 1 << 20;

SessionTable* TableOfKind(DataContext& ctx, std::string_view kind) {
  if (kind == "CONFIG") return &ctx.session.ConfigTable;
  if (kind == "DATA") return &ctx.session.DataTable;
  if (kind == "SYSCONST") return &ctx.session.SysConstTable;
  if (kind == "USERDATA") return &ctx.session.UserDataTable;
  if (kind == "USERINFO") return ctx.app.UserInfoTable.get();
  return nullptr;
}

void FillTables(DataContext& ctx, std::string_view rows) {
  while (!rows.empty()) {
    const size_t end = rows.find('\n');
    std::string_view line = rows.substr(0, end);
    rows = end == std::string_view::npos ? std::string_view() : rows.substr(end + 1);
    const size_t dot = line.find('.');
    const size_t equals = line.find('=');
    if (dot == std::string_view::npos || equals == std::string_view::npos || equals < dot) continue;
    SessionTable* table = TableOfKind(ctx, line.substr(0, dot));
    if (table == nullptr) continue;
    const std::string_view name = line.substr(dot + 1, equals - dot - 1);
    const std::string_view value = line.substr(equals + 1);
    if (table == ctx.app.UserInfoTable.get()) {
      const size_t row = table->appendRow();
      table->setField(row, 0, std::string(name));
      table->setField(row, 4, std::string(value));
    } else {
      WriteValue(*table, name, value);
    }
  }
}

bool IsAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// The inner texts of the placeholders, in text order; false for a "<$"
// without a ">" after it.
bool CollectPlain(const std::string& text, std::vector<std::string>& inners) {
  for (size_t p = 0; p + 1 < text.size();) {
    const size_t open = text.find("<$", p);
    if (open == std::string::npos) break;
    const size_t close = text.find('>', open + 1);
    if (close == std::string::npos) return false;
    inners.push_back(text.substr(open + 2, close - open - 2));
    p = close + 1;
  }
  return true;
}

enum class Outcome { kSucceeded, kFailed, kTooLong };

// The plain algorithm over the collected rows. On failure `text` holds what
// was done up to the failing row. A row that makes the text longer than the
// limit fails; kTooLong when the text grows past what is compared quickly.
Outcome ReplacePlain(DataContext& ctx, std::string& text, const std::vector<std::string>& inners) {
  const size_t limit = std::max(kMaxReplacedTextLength, text.size());
  for (const std::string& var : inners) {
    const std::string inner(TrimBlanks(var));
    std::string name;
    std::string kind;
    if (!SplitPlaceholder(inner, name, kind)) continue;
    kind = ToUpperCase(kind);
    const SessionTable* table = TableOfKind(ctx, kind);
    if (table == nullptr) return Outcome::kFailed;
    const std::string value = ReadValue(*table, name, kind == "USERINFO" ? 4 : 1);
    std::string replaced = ReplaceAll(text, "<$" + ToUpperCase(inner) + ">", value);
    if (replaced.size() > limit) return Outcome::kFailed;
    if (replaced.size() > kMaxCheckedGrowth) return Outcome::kTooLong;
    text.swap(replaced);
  }
  return Outcome::kSucceeded;
}

int Run(const uint8_t* data, size_t size) {
  const auto [rows, body] = SplitAtNul(AsText(data, size));
  AppState app;
  Session session;
  DataContext ctx{app, session};
  InitSessionTables(session);
  FillTables(ctx, rows);

  std::string text(body);
  bool succeeded = true;
  try {
    ReplaceData(ctx, text);
  } catch (const Error& e) {
    if (e.number() != 60022) PropertyFailed("ReplaceData failed with a number other than 60022");
    succeeded = false;
  }

  // Upper-casing of non-ASCII letters is the routine's own business; the plain
  // algorithm only follows ASCII texts.
  if (body.size() > kMaxCheckedText || !IsAscii(body)) return 0;
  std::string expected(TrimBlanks(body));
  std::vector<std::string> inners;
  bool plainSucceeded = CollectPlain(expected, inners);
  if (inners.size() > kMaxCheckedPlaceholders) return 0;
  if (plainSucceeded) {
    const Outcome outcome = ReplacePlain(ctx, expected, inners);
    if (outcome == Outcome::kTooLong) return 0;
    plainSucceeded = outcome == Outcome::kSucceeded;
  }
  if (plainSucceeded != succeeded) PropertyFailed("success differs from the plain algorithm");
  if (expected != text) PropertyFailed("text differs from the plain algorithm");
  return 0;
}

}  // namespace xkm::fuzz::replace_data

XKM_FUZZ_ENTRY(replace_data) {
  return xkm::fuzz::replace_data::Run(data, size);
}
