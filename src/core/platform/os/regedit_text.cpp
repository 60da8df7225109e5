#include "core/platform/os/regedit_text.h"

#include <cstdio>

#include "core/platform/error.h"
#include "core/platform/text/letter_case.h"

namespace xkm::user_store {
namespace {

constexpr const char* kSource = "UserStore";
constexpr std::string_view kHeader = "REGEDIT4";

bool IsSpace(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimEnd(std::string_view text) {
  while (!text.empty() && (IsSpace(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

// Reads the lines of one store file; a failure names the file and the line.
class Parser {
 public:
  explicit Parser(std::string path) : path_(std::move(path)) {}

  // The line a parse failed on.
  size_t failedLine() const { return line_; }

  Store parse(const std::string& bytes) {
    Store store;
    if (bytes.empty()) return store;
    std::string_view rest = bytes;
    if (rest.starts_with("\xEF\xBB\xBF")) rest.remove_prefix(3);
    Key* key = nullptr;
    Entry* pendingHex = nullptr;  // a hex value continued on the next line
    size_t pendingLine = 0;
    for (size_t number = 1; !rest.empty() || number == 1; ++number) {
      size_t end = rest.find('\n');
      std::string_view line = TrimEnd(rest.substr(0, end));
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
      line_ = number;

      if (pendingHex != nullptr) {
        size_t start = line.find_first_not_of(" \t");
        line = start == std::string_view::npos ? std::string_view() : line.substr(start);
        if (appendHex(pendingHex->value.text, line)) continue;
        finishHex(*pendingHex, pendingLine);
        pendingHex = nullptr;
        continue;
      }
      if (number == 1) {
        if (line != kHeader) throw damaged("the first line is not \"REGEDIT4\"");
      } else if (line.empty()) {
        continue;
      } else if (line.front() == '[') {
        if (line.back() != ']') throw damaged("a key line must end with \"]\"");
        std::string path(line.substr(1, line.size() - 2));
        key = FindKey(store, path);
        if (key == nullptr) key = &store.emplace_back(Key{std::move(path), {}});
      } else if (line.front() == '"' || line.front() == '@') {
        if (key == nullptr) throw damaged("a value before the first key line");
        pendingHex = parseValue(*key, line);
        pendingLine = number;
      } else {
        throw damaged("neither a key line nor a value line");
      }
    }
    if (pendingHex != nullptr) finishHex(*pendingHex, pendingLine);
    return store;
  }

 private:
  Error damaged(const std::string& what) const {
    return Error(kInvalidFileFormat,
                 "Invalid file format: " + path_ + ", line " + std::to_string(line_) + ": " + what,
                 kSource);
  }

  // A quoted text with \\ and \" escapes, starting at text[pos] == '"'.
  std::string readQuoted(std::string_view text, size_t& pos) const {
    std::string result;
    for (++pos; pos < text.size(); ++pos) {
      char c = text[pos];
      if (c == '"') {
        ++pos;
        return result;
      }
      if (c == '\\') {
        if (++pos >= text.size() || (text[pos] != '\\' && text[pos] != '"'))
          throw damaged("only \\\\ and \\\" may follow a backslash");
        c = text[pos];
      }
      result += c;
    }
    throw damaged("a quoted text is not closed");
  }

  // Adds the value of a value line to `key`; returns the entry when it is a
  // hex value that continues on the next line.
  Entry* parseValue(Key& key, std::string_view line) {
    size_t pos = 0;
    std::string name;
    if (line.front() == '@') {
      pos = 1;
    } else {
      name = readQuoted(line, pos);
    }
    while (pos < line.size() && IsSpace(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] != '=')
      throw damaged("\"=\" expected after the value name");
    ++pos;
    while (pos < line.size() && IsSpace(line[pos])) ++pos;
    std::string_view data = line.substr(pos);

    StoreValue value;
    if (!data.empty() && data.front() == '"') {
      size_t end = 0;
      value.text = readQuoted(data, end);
      if (!TrimEnd(data.substr(end)).empty()) throw damaged("text after the closing quote");
    } else if (StartsWithIgnoreCase(data, "dword:")) {
      std::string_view digits = data.substr(6);
      if (digits.empty() || digits.size() > 8) throw damaged("a dword needs 1 to 8 hex digits");
      for (char c : digits) {
        if (HexDigit(c) < 0) throw damaged("a dword needs 1 to 8 hex digits");
        value.number = value.number * 16 + static_cast<uint32_t>(HexDigit(c));
      }
      value.type = StoreValue::Type::Dword;
    } else if (StartsWithIgnoreCase(data, "hex")) {
      value.type = StoreValue::Type::Other;
      bool continued = appendHex(value.text, data);
      Entry& entry = PutValue(key, std::move(name), std::move(value));
      if (continued) return &entry;
      finishHex(entry, line_);
      return nullptr;
    } else {
      throw damaged("unknown kind of value");
    }
    PutValue(key, std::move(name), std::move(value));
    return nullptr;
  }

  // Appends one line of hex data; true when it ends with the continuation "\".
  static bool appendHex(std::string& text, std::string_view line) {
    bool continued = !line.empty() && line.back() == '\\';
    if (continued) line.remove_suffix(1);
    text += line;
    return continued;
  }

  // Checks the gathered hex data of a value (begun at `startLine`) and turns
  // string and dword data into those types.
  void finishHex(Entry& entry, size_t startLine) {
    const size_t current = line_;
    line_ = startLine;
    std::string_view data = entry.value.text;
    size_t colon = data.find(':');
    if (colon == std::string_view::npos) throw damaged("\":\" expected after hex");
    std::string_view kind = data.substr(3, colon - 3);
    uint32_t type = 3;  // binary
    if (!kind.empty()) {
      if (kind.size() < 3 || kind.front() != '(' || kind.back() != ')')
        throw damaged("hex( type ) expected");
      type = 0;
      for (char c : kind.substr(1, kind.size() - 2)) {
        if (HexDigit(c) < 0) throw damaged("hex( type ) expected");
        type = type * 16 + static_cast<uint32_t>(HexDigit(c));
      }
    }
    std::string bytes;
    std::string_view list = data.substr(colon + 1);
    while (!list.empty()) {
      size_t comma = list.find(',');
      std::string_view item = list.substr(0, comma);
      while (!item.empty() && IsSpace(item.front())) item.remove_prefix(1);
      while (!item.empty() && IsSpace(item.back())) item.remove_suffix(1);
      if (item.size() != 2 || HexDigit(item[0]) < 0 || HexDigit(item[1]) < 0)
        throw damaged("hex data must be two-digit bytes separated by commas");
      bytes += static_cast<char>(HexDigit(item[0]) * 16 + HexDigit(item[1]));
      list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    if (type == 1) {
      if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
      entry.value = {StoreValue::Type::String, bytes, 0};
    } else if (type == 4 && bytes.size() == 4) {
      uint32_t number = 0;
      for (size_t i = 4; i-- > 0;) number = number * 256 + static_cast<unsigned char>(bytes[i]);
      entry.value = {StoreValue::Type::Dword, {}, number};
    }
    line_ = current;
  }

  std::string path_;
  size_t line_ = 0;
};

std::string Quoted(std::string_view text) {
  std::string result = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') result += '\\';
    result += c;
  }
  return result + "\"";
}

std::string HexString(std::string_view text) {
  static const char* const kDigits = "0123456789abcdef";
  std::string result = "hex(1):";
  std::string bytes(text);
  bytes += '\0';
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (i > 0) result += ',';
    result += kDigits[c >> 4];
    result += kDigits[c & 15];
  }
  return result;
}

std::string FormatValue(const StoreValue& value) {
  switch (value.type) {
    case StoreValue::Type::String:
      return HasControlCharacter(value.text) ? HexString(value.text) : Quoted(value.text);
    case StoreValue::Type::Dword: {
      char digits[9];
      std::snprintf(digits, sizeof digits, "%08x", value.number);
      return std::string("dword:") + digits;
    }
    case StoreValue::Type::Other:
      return value.text;
  }
  return {};
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  for (;;) {
    size_t end = text.find('\n');
    lines.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) return lines;
    text.remove_prefix(end + 1);
  }
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) text += (i > 0 ? "\n" : "") + lines[i];
  return text;
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  return EqualsIgnoringCase(a, b);
}

Key* FindKey(Store& store, std::string_view path) {
  for (Key& key : store)
    if (SameName(key.path, path)) return &key;
  return nullptr;
}

// Later values of a name replace earlier ones, as an import of the file would.
Entry& PutValue(Key& key, std::string name, StoreValue value) {
  for (Entry& entry : key.values) {
    if (SameName(entry.name, name)) {
      entry.value = std::move(value);
      return entry;
    }
  }
  return key.values.emplace_back(Entry{std::move(name), std::move(value)});
}

bool HasControlCharacter(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return true;
  return false;
}

std::string Format(const Store& store) {
  std::string text(kHeader);
  text += "\n";
  for (const Key& key : store) {
    text += "\n[" + key.path + "]\n";
    for (const Entry& entry : key.values)
      text += (entry.name.empty() ? std::string("@") : Quoted(entry.name)) + "=" +
              FormatValue(entry.value) + "\n";
  }
  return text;
}

// Parses what can be parsed: each damaged line is dropped (a bad first line
// becomes the header) until the rest reads; `problem` gets the first damage.
Store ParseSalvaging(const std::string& path, std::string_view bytes, std::string& problem) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::vector<std::string> lines = SplitLines(bytes);
  for (;;) {
    Parser parser(path);
    try {
      return parser.parse(JoinLines(lines));
    } catch (const Error& e) {
      if (problem.empty()) problem = e.numberAndDescription();
      const size_t index = parser.failedLine() - 1;
      if (index == 0)
        lines[0] = kHeader;
      else
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(index));
    }
  }
}

Store Parse(const std::string& path, std::string_view bytes) {
  return Parser(path).parse(std::string(bytes));
}

}  // namespace xkm::user_store
