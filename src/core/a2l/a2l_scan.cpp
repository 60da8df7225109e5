#include "core/a2l/a2l_scan.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/a2l/byte_search.h"

namespace xkm::a2l {
namespace {

constexpr std::string_view kSectionBegin = "/begin MOD_PAR";
constexpr std::string_view kSectionEnd = "/end MOD_PAR";

// A line longer than this is carried as a marker and its last bytes: what
// the characteristic patterns can still ask of it (it is not the 21-byte
// "/begin CHARACTERISTIC" line; whether it is blank up to there; how it
// ends) stays the same. The last bytes hold any word cut by the chunk's end.
constexpr size_t kLongLine = 64;
constexpr size_t kKeptTail = 32;
constexpr size_t kMaxCarry = 3 * (kLongLine + 2);

bool AllBlanks(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// The start of the line in which `position` lies (`position` included).
size_t LineStart(std::string_view text, size_t position) {
  const size_t end = FindLastLineEnd(text, position);
  return end == kNotFound ? 0 : end + 1;
}

}  // namespace

A2lScanner::A2lScanner(size_t chunkSize)
    : chunkSize_(std::max<size_t>(chunkSize, 1)), buffer_(kMaxCarry + chunkSize_) {}

void A2lScanner::scanned(size_t count) {
  scanWindow(carried_ + std::min(count, chunkSize_), false);
}

A2lMatches A2lScanner::finish() {
  scanWindow(carried_, true);
  A2lMatches matches;
  matches.sgidb1 = characteristics_.sgidb1();
  matches.sgidb3 = characteristics_.sgidb3();
  matches.sectionBegin = sectionBegin_;
  matches.sectionEnd = sectionEnd_;
  matches.section = section_.matches();
  return matches;
}

void A2lScanner::scanWindow(size_t size, bool atEnd) {
  const ScanWindow window{{buffer_.data(), size}, realStart_, realOffset_, carriedLines_, atEnd};
  // The last line may go on in the next chunk; a final CR may be the first
  // half of CR LF.
  const size_t lastContent = size > 0 && buffer_[size - 1] == '\r' ? size - 1 : size;
  const size_t lastLine = LineStart(window.bytes, lastContent);
  findSectionBounds(window);
  characteristics_.scan(window);
  feedSection(window, lastLine);
  if (!atEnd) carryOver(window, lastLine);
}

void A2lScanner::findSectionBounds(const ScanWindow& window) {
  auto search = [&](std::optional<uint64_t>& found, uint64_t& unsearched, std::string_view word) {
    if (found) return;
    const size_t from = window.resumePosition(unsearched);
    const size_t at = FindWord(window.bytes, from, word);
    if (at != kNotFound) {
      found = window.offsetOf(at);
      return;
    }
    // A word cut by the window's end is found in the next one.
    const size_t size = window.bytes.size();
    unsearched = window.offsetOf(std::max(from, size >= word.size() ? size - word.size() + 1 : 0));
  };
  search(sectionBegin_, beginUnsearched_, kSectionBegin);
  search(sectionEnd_, endUnsearched_, kSectionEnd);
}

// The section's bytes go to its scan as soon as it is certain that no
// "/end MOD_PAR" begins among them: up to the last line, or a word's length
// before the window's end.
void A2lScanner::feedSection(const ScanWindow& window, size_t lastLine) {
  if (!sectionBegin_ || sectionDone_) return;
  if (sectionEnd_ && *sectionEnd_ < *sectionBegin_) {
    sectionDone_ = true;  // no section: the read fails
    return;
  }
  const uint64_t windowEnd = window.endOffset();
  uint64_t limit = windowEnd;
  if (sectionEnd_) {
    limit = std::min(limit, *sectionEnd_);
  } else if (!window.atEnd) {
    limit = std::max(limit - std::min<uint64_t>(limit, kSectionEnd.size() - 1),
                     window.lineStartOffset(lastLine));
  }
  const uint64_t from = std::max(*sectionBegin_, sectionFed_);
  if (from < limit) {
    section_.feed(window.bytes.substr(window.positionOf(from), static_cast<size_t>(limit - from)));
    sectionFed_ = limit;
  }
  if (sectionEnd_ && sectionFed_ >= *sectionEnd_) {
    section_.finish();
    sectionDone_ = true;
  }
}

// Keeps the window's last line and the two complete lines before it.
void A2lScanner::carryOver(const ScanWindow& window, size_t lastLine) {
  const std::string_view bytes = window.bytes;
  struct Line {
    size_t start, contentEnd, end;
  };
  std::array<Line, 3> lines{};
  size_t first = lines.size() - 1;
  const size_t size = bytes.size();
  lines[first] = {lastLine, size, size};
  while (first > 0 && lines[first].start > 0) {
    const size_t end = lines[first].start;
    const bool crLf = end >= 2 && bytes[end - 1] == '\n' && bytes[end - 2] == '\r';
    const size_t contentEnd = end - (crLf ? 2 : 1);
    lines[--first] = {LineStart(bytes, contentEnd), contentEnd, end};
  }

  // Pieces of the window copied to the carry, for finding where the carry's
  // bytes are again the file's own without gaps.
  struct Piece {
    size_t to, from, length;
  };
  std::array<char, kMaxCarry> carry{};
  std::array<Piece, 3> pieces{};
  size_t carrySize = 0;
  carriedLines_.clear();
  for (size_t i = first; i < lines.size(); ++i) {
    const Line& line = lines[i];
    carriedLines_.push_back({carrySize, window.lineStartOffset(line.start)});
    size_t from = line.start;
    if (line.contentEnd - line.start > kLongLine) {
      from = line.contentEnd - kKeptTail;
      const bool blank = AllBlanks(bytes.substr(line.start, from - line.start));
      carry[carrySize++] = blank ? ' ' : '~';
    }
    pieces[i] = {carrySize, from, line.end - from};
    std::memcpy(carry.data() + carrySize, bytes.data() + from, line.end - from);
    carrySize += line.end - from;
  }

  size_t realStart = carrySize;
  size_t realFrom = size;
  for (size_t i = lines.size(); i-- > first;) {
    const Piece& piece = pieces[i];
    if (piece.from + piece.length != realFrom) break;
    if (piece.from >= window.realStart) {
      realStart = piece.to;
      realFrom = piece.from;
      continue;
    }
    if (piece.from + piece.length > window.realStart) {
      realStart = piece.to + (window.realStart - piece.from);
      realFrom = window.realStart;
    }
    break;
  }
  realOffset_ = window.offsetOf(realFrom);
  realStart_ = realStart;
  std::memcpy(buffer_.data(), carry.data(), carrySize);
  carried_ = carrySize;
}

A2lMatches ScanA2lText(std::string_view text, size_t chunkSize) {
  A2lScanner scanner(chunkSize);
  for (size_t at = 0; at < text.size();) {
    const std::span<char> space = scanner.space();
    const size_t count = std::min(space.size(), text.size() - at);
    std::memcpy(space.data(), text.data() + at, count);
    scanner.scanned(count);
    at += count;
  }
  return scanner.finish();
}

}  // namespace xkm::a2l
