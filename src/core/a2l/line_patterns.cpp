#include "core/a2l/line_patterns.h"

#include "core/platform/text/ascii_text.h"

namespace xkm::a2l {
namespace {

constexpr size_t kNone = std::string_view::npos;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The end of the run of blanks starting at `from` (`from` itself when none).
size_t BlankRunEnd(std::string_view text, size_t from) {
  while (from < text.size() && IsBlank(text[from])) ++from;
  return from;
}

// What follows "[ \t]*KEYWORD" at the start of the line (keyword in lower
// case, compared without regard to case).
std::optional<std::string_view> AfterKeyword(std::string_view line, std::string_view keyword) {
  const size_t at = BlankRunEnd(line, 0);
  if (line.size() - at < keyword.size()) return std::nullopt;
  for (size_t i = 0; i < keyword.size(); ++i)
    if (ToLowerAscii(line[at + i]) != keyword[i]) return std::nullopt;
  return line.substr(at + keyword.size());
}

bool ZeroXAt(std::string_view text, size_t at) {
  return at + 2 <= text.size() && text[at] == '0' && ToLowerAscii(text[at + 1]) == 'x';
}

// `[ \t]+"(.*)"`: blanks up to a quote, then everything up to the last quote.
std::optional<std::string_view> QuotedAfterBlanks(std::string_view rest) {
  const size_t open = BlankRunEnd(rest, 0);
  if (open == 0 || open >= rest.size() || rest[open] != '"') return std::nullopt;
  const size_t close = rest.rfind('"');
  if (close == open) return std::nullopt;
  return rest.substr(open + 1, close - open - 1);
}

// `([ \t]-1){5}` at `at`.
bool FiveOffsetsAt(std::string_view text, size_t at) {
  if (at + 15 > text.size()) return false;
  for (size_t i = at; i < at + 15; i += 3)
    if (!IsBlank(text[i]) || text[i + 1] != '-' || text[i + 2] != '1') return false;
  return true;
}

// The largest position p <= limit (and >= 1) with a blank before it for
// which `at(p)` holds; kNone when there is none.
template <typename Predicate>
size_t LastAfterBlank(std::string_view text, size_t limit, Predicate at) {
  for (size_t p = limit; p >= 1 && p != kNone; --p)
    if (IsBlank(text[p - 1]) && at(p)) return p;
  return kNone;
}

// The last blank at or before `limit`; kNone when there is none.
size_t LastBlank(std::string_view text, size_t limit) {
  for (size_t p = limit; p != kNone; --p)
    if (IsBlank(text[p])) return p;
  return kNone;
}

}  // namespace

std::optional<std::string_view> MatchAddrEpkLine(std::string_view line) {
  const std::optional<std::string_view> rest = AfterKeyword(line, "addr_epk");
  if (!rest) return std::nullopt;
  const size_t zero = BlankRunEnd(*rest, 0);
  if (zero == 0 || !ZeroXAt(*rest, zero)) return std::nullopt;
  // The address runs to the line end, where CR LF or LF must follow: a caret,
  // which the address cannot hold, prevents the match.
  const std::string_view address = rest->substr(zero + 2);
  if (address.find('^') != kNone) return std::nullopt;
  return address;
}

std::optional<std::string_view> MatchEpkLine(std::string_view line) {
  const std::optional<std::string_view> rest = AfterKeyword(line, "epk");
  return rest ? QuotedAfterBlanks(*rest) : std::nullopt;
}

std::optional<std::string_view> MatchEcuLine(std::string_view line) {
  const std::optional<std::string_view> rest = AfterKeyword(line, "ecu");
  return rest ? QuotedAfterBlanks(*rest) : std::nullopt;
}

std::optional<std::array<std::string_view, 2>> MatchSystemConstantLine(std::string_view line) {
  const std::optional<std::string_view> found = AfterKeyword(line, "system_constant");
  if (!found) return std::nullopt;
  const std::string_view r = *found;
  const size_t open = BlankRunEnd(r, 0);
  if (open == 0 || open >= r.size() || r[open] != '"') return std::nullopt;
  const size_t last = r.rfind('"');
  // The greedy name ends at the last quote that is followed by blanks, a
  // quote and, further on, one more quote for the value to end at.
  size_t nonBlank = r.size();  // the first non-blank after the position looked at
  for (size_t close = r.size(); close-- > open + 1;) {
    if (r[close] == '"' && close + 1 < r.size() && IsBlank(r[close + 1]) && nonBlank < last &&
        r[nonBlank] == '"') {
      return std::array<std::string_view, 2>{r.substr(open + 1, close - open - 1),
                                             r.substr(nonBlank + 1, last - nonBlank - 1)};
    }
    if (!IsBlank(r[close])) nonBlank = close;
  }
  return std::nullopt;
}

std::optional<std::array<std::string_view, 6>> MatchMemorySegmentLine(std::string_view line) {
  const std::optional<std::string_view> found = AfterKeyword(line, "/begin memory_segment");
  if (!found || found->size() < 15) return std::nullopt;
  const std::string_view r = *found;
  // The pattern is a chain of greedy parts. Each part ends as far right as
  // the rest of the chain still allows, so the positions are found from the
  // right: the last place where each remaining part can still begin.
  size_t offsets = kNone;  // the five -1 offsets
  for (size_t p = r.size() - 15 + 1; p-- > 0;) {
    if (FiveOffsetsAt(r, p)) {
      offsets = p;
      break;
    }
  }
  if (offsets == kNone || offsets < 2) return std::nullopt;
  auto zeroX = [&](size_t p) { return ZeroXAt(r, p); };
  const size_t size = LastAfterBlank(r, offsets - 2, zeroX);  // "0x" of the size
  if (size == kNone || size < 3) return std::nullopt;
  const size_t address = LastAfterBlank(r, size - 3, zeroX);  // "0x" of the address
  if (address == kNone || address < 2) return std::nullopt;
  const size_t attribute = LastBlank(r, address - 2);  // the blank before the attribute
  if (attribute == kNone || attribute < 1) return std::nullopt;
  const size_t memoryType = LastBlank(r, attribute - 1);  // the blank before the memory type
  if (memoryType == kNone || memoryType < 3) return std::nullopt;
  auto emptyId = [&](size_t p) {
    return p + 3 <= r.size() && r[p] == '"' && r[p + 1] == '"' && IsBlank(r[p + 2]);
  };
  const size_t longId = LastAfterBlank(r, memoryType - 3, emptyId);  // the empty ""
  if (longId == kNone || longId < 2 || !IsBlank(r[0])) return std::nullopt;

  const size_t name = std::min(BlankRunEnd(r, 0), longId - 1);
  const size_t programType = std::min(BlankRunEnd(r, longId + 2), memoryType);
  const size_t memoryTypeStart = std::min(BlankRunEnd(r, memoryType), attribute);
  const size_t attributeStart = std::min(BlankRunEnd(r, attribute), address - 1);
  return std::array<std::string_view, 6>{
      r.substr(name, longId - 1 - name),
      r.substr(programType, memoryType - programType),
      r.substr(memoryTypeStart, attribute - memoryTypeStart),
      r.substr(attributeStart, address - 1 - attributeStart),
      r.substr(address + 2, size - 1 - (address + 2)),
      r.substr(size + 2, offsets - (size + 2)),
  };
}

}  // namespace xkm::a2l
