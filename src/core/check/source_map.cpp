#include "core/check/source_map.h"

#include <algorithm>

#include "core/session/conversions.h"

namespace xkm {
namespace {

bool IsUtf8Continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool IsTagDelimiter(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '/' || c == '>';
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// True when the XML declaration names a single-byte encoding: the source then
// holds one byte per character, while the parser delivers UTF-8.
bool DeclaresSingleByteEncoding(std::string_view bytes) {
  if (bytes.substr(0, 5) != "<?xml") return false;
  const std::string_view declaration = bytes.substr(0, bytes.find("?>"));
  const size_t key = declaration.find("encoding");
  if (key == std::string_view::npos) return false;
  const size_t quote = declaration.find_first_of("\"'", key);
  if (quote == std::string_view::npos) return false;
  // Only how the name begins matters: UTF-8, UTF-16, UCS-2, UCS-4 are not single-byte.
  const std::string name = ToUpperCase(declaration.substr(quote + 1, 3));
  return name != "UTF" && name != "UCS";
}

}  // namespace

SourceMap::SourceMap(std::string_view bytes)
    : bytes_(bytes), singleByteEncoding_(DeclaresSingleByteEncoding(bytes)) {
  // A byte-order mark takes no column.
  lineStarts_.push_back(bytes_.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0);
  for (size_t i = 0; i < bytes_.size(); ++i) {
    if (bytes_[i] == '\r' && i + 1 < bytes_.size() && bytes_[i + 1] == '\n') ++i;
    if (bytes_[i] == '\r' || bytes_[i] == '\n') lineStarts_.push_back(i + 1);
  }
}

SourcePosition SourceMap::positionOf(size_t offset) const {
  offset = std::max(std::min(offset, bytes_.size()), lineStarts_.front());
  const auto next = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
  const size_t lineStart = *(next - 1);
  int column = 1;
  for (size_t i = lineStart; i < offset; ++i)
    if (singleByteEncoding_ || !IsUtf8Continuation(bytes_[i])) ++column;
  return {static_cast<int>(next - lineStarts_.begin()), column};
}

std::optional<SourceMap::StartTag> SourceMap::startTag(int line, std::string_view name,
                                                       int ordinal) const {
  if (line < 1 || static_cast<size_t>(line) > lineStarts_.size()) return std::nullopt;
  const size_t lineBegin = lineStarts_[static_cast<size_t>(line) - 1];
  const size_t lineEnd = static_cast<size_t>(line) < lineStarts_.size()
                             ? lineStarts_[static_cast<size_t>(line)]
                             : bytes_.size();
  const std::string open = "<" + std::string(name);
  auto opensTag = [&](size_t at) {
    const size_t after = at + open.size();
    return after < bytes_.size() && IsTagDelimiter(bytes_[after]);
  };
  size_t begin = std::string_view::npos;
  int seen = 0;
  for (size_t at = bytes_.find(open, lineBegin); at < lineEnd; at = bytes_.find(open, at + 1)) {
    if (opensTag(at) && seen++ == ordinal) {
      begin = at;
      break;
    }
  }
  if (begin == std::string_view::npos) {
    for (begin = bytes_.substr(0, lineEnd).rfind(open);
         begin != std::string_view::npos && !opensTag(begin);
         begin = begin == 0 ? std::string_view::npos : bytes_.substr(0, begin).rfind(open)) {
    }
  }
  if (begin == std::string_view::npos) return std::nullopt;

  StartTag tag;
  tag.begin = begin;
  size_t p = begin + open.size();
  while (p < bytes_.size()) {
    while (p < bytes_.size() && IsSpace(bytes_[p])) ++p;
    if (p >= bytes_.size()) return std::nullopt;
    if (bytes_[p] == '>') {
      tag.contentBegin = p + 1;
      return tag;
    }
    if (bytes_[p] == '/') return tag;
    const size_t attribute = p;
    while (p < bytes_.size() && bytes_[p] != '=' && !IsSpace(bytes_[p])) ++p;
    const std::string_view attributeName = bytes_.substr(attribute, p - attribute);
    if (attributeName != "xmlns" && attributeName.rfind("xmlns:", 0) != 0)
      tag.attributes.push_back(attribute);
    p = bytes_.find_first_of("\"'", p);
    if (p == std::string_view::npos) return std::nullopt;
    p = bytes_.find(bytes_[p], p + 1);
    if (p == std::string_view::npos) return std::nullopt;
    ++p;
  }
  return std::nullopt;
}

size_t SourceMap::characterLength(std::string_view text, size_t at) const {
  size_t length = 1;
  while (at + length < text.size() && IsUtf8Continuation(text[at + length])) ++length;
  return length;
}

size_t SourceMap::sourceOffsetOfText(size_t from, std::string_view text, size_t target,
                                     bool verbatim) const {
  auto startsWith = [this](size_t at, std::string_view marker) {
    return bytes_.substr(at, marker.size()) == marker;
  };
  auto skipPast = [this](size_t at, std::string_view marker) {
    const size_t end = bytes_.find(marker, at);
    return end == std::string_view::npos ? bytes_.size() : end + marker.size();
  };
  size_t s = from;
  size_t t = 0;
  bool inCdata = false;
  while (t < target && s < bytes_.size()) {
    if (!verbatim && !inCdata) {
      if (startsWith(s, "<![CDATA[")) {
        s += 9;
        inCdata = true;
        continue;
      }
      if (startsWith(s, "<!--")) {
        s = skipPast(s, "-->");
        continue;
      }
      if (bytes_[s] == '<') {
        s = skipPast(s, ">");
        continue;
      }
      if (bytes_[s] == '&') {
        s = skipPast(s, ";");
        t += characterLength(text, t);
        continue;
      }
    } else if (!verbatim && startsWith(s, "]]>")) {
      s += 3;
      inCdata = false;
      continue;
    }
    if (bytes_[s] == '\r') {
      s += startsWith(s, "\r\n") ? 2 : 1;
      t += 1;
      continue;
    }
    // One source byte is one character of a single-byte encoding, which the
    // parser delivers as one UTF-8 sequence.
    t += singleByteEncoding_ ? characterLength(text, t) : 1;
    s += 1;
  }
  return s;
}

}  // namespace xkm
