#include "core/templates/text_stream_reader.h"

#include <new>
#include <string_view>
#include <vector>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/text/cp1252.h"
#include "core/platform/text/letter_case.h"
#include "core/resources/message_ids.h"
#include "core/session/conversions.h"

namespace xkm {
namespace {

constexpr const char* kSource = "GetTextStreamAsRecordSet";

// The lines of a text as a text stream reads them: without their line ends,
// and no empty line after a final line end.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    start = end + (crlf ? 2 : 1);
  }
  return lines;
}

// Split as the script runtime does it: no parts for an empty text, the whole
// text for an empty delimiter.
std::vector<std::string_view> SplitFields(std::string_view line, std::string_view delimiter) {
  std::vector<std::string_view> fields;
  if (line.empty()) return fields;
  if (delimiter.empty()) return {line};
  size_t start = 0;
  for (size_t at = line.find(delimiter); at != std::string_view::npos;
       at = line.find(delimiter, start)) {
    fields.push_back(line.substr(start, at - start));
    start = at + delimiter.size();
  }
  fields.push_back(line.substr(start));
  return fields;
}

void AppendColumns(SessionTable& table, const std::vector<std::string_view>& names, bool header) {
  for (size_t i = 0; i < names.size(); ++i) {
    std::string name = header ? std::string(names[i]) : "FIELD_" + std::to_string(i + 1);
    for (const std::string& existing : table.columns()) {
      if (EqualsIgnoringCase(existing, name)) {
        throw Error(platform_error::kObjectAlreadyInCollection,
                    "Object is already in collection. Cannot append.", "ADODB.Fields");
      }
    }
    table.addColumn(std::move(name));
  }
}

SessionTable ReadTable(const std::string& path, const std::string& delimiter, bool header) {
  if (!fs::FileExists(path)) throw Error(msg::kFailure, "File not found : " + path);
  std::string text = DecodeCp1252(fs::ReadAllBytes(path, fs::Links::Refuse));
  if (text.empty()) throw Error(msg::kFailure, "File empty : " + path);
  std::vector<std::string_view> lines = SplitLines(text);

  SessionTable table;
  AppendColumns(table, SplitFields(lines.front(), delimiter), header);
  for (size_t i = header ? 1 : 0; i < lines.size(); ++i) {
    size_t row = table.appendRow();
    std::vector<std::string_view> fields = SplitFields(lines[i], delimiter);
    for (size_t k = 0; k < fields.size(); ++k) table.setField(row, k, std::string(fields[k]));
  }
  return table;
}

}  // namespace

SessionTable clsLib::GetTextStreamAsRecordSet(const std::string& sPfadDateiName,
                                              const std::string& sDelimiter, bool bHeader) {
  auto frame = [](int number, const std::string& description) {
    return Error(msg::kFailure,
                 std::string(kSource) + " : " + std::to_string(number) + " " + description,
                 kSource);
  };
  try {
    return ReadTable(sPfadDateiName, sDelimiter, bHeader);
  } catch (const std::exception& e) {
    const Error error = AsError(e);
    throw frame(error.number(), error.description());
  }
}

}  // namespace xkm
