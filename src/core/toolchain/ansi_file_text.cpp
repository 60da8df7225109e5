#include "core/toolchain/ansi_file_text.h"

#include <cstdio>
#include <optional>

#include "core/platform/error.h"
#include "core/platform/text/cp1252.h"
#include "core/resources/message_ids.h"
#include "core/templates/placeholder_kinds.h"

namespace xkm {
namespace {

// "→" (U+2192); a malformed byte, which is a character of its own, as
// (byte 0xNN).
std::string DescribeCharacter(std::string_view character) {
  char code[32];
  if (character.size() == 1) {
    std::snprintf(code, sizeof code, "(byte 0x%02X)", static_cast<unsigned char>(character[0]));
    return code;
  }
  char32_t cp = static_cast<unsigned char>(character[0]) & (0x7F >> character.size());
  for (size_t i = 1; i < character.size(); ++i)
    cp = (cp << 6) | (static_cast<unsigned char>(character[i]) & 0x3F);
  std::snprintf(code, sizeof code, "(U+%04X)", static_cast<unsigned>(cp));
  return "\"" + std::string(character) + "\" " + code;
}

// The first session value that holds `character`, as its placeholder. The
// logistic and A2L data come first: the configuration holds the templates
// into which they were put.
std::optional<std::string> SessionSource(const Context& ctx, std::string_view character) {
  for (std::string_view kind : kPlaceholderKinds) {
    const PlaceholderSource source = *SourceOf(kind, ctx.session, ctx.app);
    const SessionTable* table = source.table;
    if (table == nullptr || source.column >= table->columnCount()) continue;
    for (size_t row = 0; row < table->rowCount(); ++row) {
      const SessionTable::Field& value = table->field(row, source.column);
      if (value && value->find(character) != std::string::npos)
        return "<$" + std::string(kind) + "." + table->text(row, 0) + ">";
    }
  }
  return std::nullopt;
}

}  // namespace

std::string EncodeForAnsiFile(const Context& ctx, std::string_view text, const std::string& path,
                              const std::vector<TextSource>& templates) {
  const UnencodableCharacter found = FindUnencodable(text);
  if (found.offset == std::string_view::npos) return EncodeCp1252(text);

  const std::string_view character = text.substr(found.offset, found.length);
  std::optional<std::string> source = SessionSource(ctx, character);
  for (const TextSource& t : templates)
    if (!source && t.text.find(character) != std::string_view::npos) source = t.name;
  throw Error(msg::kUnencodableCharacter,
              ctx.message(msg::kUnencodableCharacter) + " : " + path + " : " +
                  DescribeCharacter(character) + " : " + source.value_or("?"),
              "EncodeForAnsiFile");
}

}  // namespace xkm
