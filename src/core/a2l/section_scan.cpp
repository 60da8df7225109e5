#include "core/a2l/section_scan.h"

#include <algorithm>

#include "core/a2l/byte_search.h"
#include "core/a2l/line_patterns.h"
#include "core/platform/text/ascii_text.h"

namespace xkm::a2l {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Whether the line's first bytes (after blanks) can still begin a keyword.
bool MayBeKeyword(std::string_view start) {
  for (std::string_view keyword : kSectionKeywords) {
    const size_t length = std::min(keyword.size(), start.size());
    bool same = true;
    for (size_t i = 0; i < length && same; ++i) same = ToLowerAscii(start[i]) == keyword[i];
    if (same) return true;
  }
  return false;
}

}  // namespace

void SectionScan::feed(std::string_view bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    if (crSeen_) {
      crSeen_ = false;
      const bool lf = bytes[at] == '\n';
      at += lf ? 1 : 0;
      endLine(lf);
      continue;
    }
    switch (mode_) {
      case Mode::Blanks:
        while (at < bytes.size() && IsBlank(bytes[at])) ++at;
        if (at == bytes.size()) break;
        if (bytes[at] == '\r' || bytes[at] == '\n') {
          at = lineEndAt(bytes, at);
        } else {
          mode_ = Mode::Prefix;
        }
        break;
      case Mode::Prefix: {
        const size_t end = FindLineEnd(bytes, at);
        const size_t take = std::min(end - at, kLongestSectionKeyword - line_.size());
        line_.append(bytes.substr(at, take));
        at += take;
        if (line_.size() >= kLongestSectionKeyword) {
          mode_ = MayBeKeyword(line_) ? Mode::Keep : Mode::Skip;
          if (mode_ == Mode::Skip) line_.clear();
        } else if (at < bytes.size()) {
          at = lineEndAt(bytes, at);
        }
        break;
      }
      case Mode::Keep:
      case Mode::Skip: {
        const size_t end = FindLineEnd(bytes, at);
        if (mode_ == Mode::Keep) line_.append(bytes.substr(at, end - at));
        at = end < bytes.size() ? lineEndAt(bytes, end) : end;
        break;
      }
    }
  }
}

// The line end at `at` (CR or LF): after LF the line is done; after CR the
// next byte tells whether it was CR LF. Returns the position after it.
size_t SectionScan::lineEndAt(std::string_view bytes, size_t at) {
  if (bytes[at] == '\r') {
    crSeen_ = true;
  } else {
    endLine(true);
  }
  return at + 1;
}

void SectionScan::finish() {
  if (crSeen_ || mode_ != Mode::Blanks) endLine(false);
  crSeen_ = false;
}

// `newline`: the line ended in CR LF or LF, which the EPK pattern accepts
// between its two lines; not in a lone CR, nor where the section ends.
void SectionScan::endLine(bool newline) {
  std::optional<std::string> address;
  if (mode_ == Mode::Prefix || mode_ == Mode::Keep) address = matchLine(newline);
  epkAddress_ = std::move(address);
  line_.clear();
  mode_ = Mode::Blanks;
}

// Matches the finished line; gives the address when it is an ADDR_EPK line
// that ends in CR LF or LF, the first line of the EPK pattern.
std::optional<std::string> SectionScan::matchLine(bool newline) {
  if (epkAddress_) {
    if (const auto epk = MatchEpkLine(line_)) {
      if (matches_.epkCount++ == 0) {
        matches_.epkAddress = *epkAddress_;
        matches_.epk = *epk;
      }
      return std::nullopt;
    }
  }
  if (const auto address = MatchAddrEpkLine(line_))
    return newline ? std::optional<std::string>(*address) : std::nullopt;
  if (const auto ecu = MatchEcuLine(line_)) {
    if (matches_.ecuCount++ == 0) matches_.ecu = *ecu;
  } else if (const auto constant = MatchSystemConstantLine(line_)) {
    matches_.systemConstants.push_back({std::string((*constant)[0]), std::string((*constant)[1])});
  } else if (const auto segment = MatchMemorySegmentLine(line_)) {
    std::array<std::string, 6> fields;
    for (size_t i = 0; i < fields.size(); ++i) fields[i] = (*segment)[i];
    matches_.memorySegments.push_back(std::move(fields));
  }
  return std::nullopt;
}

}  // namespace xkm::a2l
