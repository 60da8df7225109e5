#include "core/a2l/characteristic_scan.h"

#include <algorithm>
#include <cstring>

#include "core/a2l/byte_search.h"
#include "core/platform/text/ascii_text.h"

namespace xkm::a2l {
namespace {

constexpr std::string_view kBeginWords = "/begin characteristic";
constexpr std::string_view kObjectStem = "sgidb";
constexpr size_t kDbInStem = 3;  // where "db" lies in the stem
constexpr size_t kDigitAfterDb = 2;
constexpr BytePair kDb{'d', 'b', 1, true};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}

// `lowerPrefix` (lower case) at `at`, letters compared without regard to case.
bool StartsWithNoCase(std::string_view text, size_t at, std::string_view lowerPrefix) {
  if (text.size() - at < lowerPrefix.size()) return false;
  for (size_t i = 0; i < lowerPrefix.size(); ++i)
    if (ToLowerAscii(text[at + i]) != lowerPrefix[i]) return false;
  return true;
}

// The length of the line end at `at` that the patterns accept: 2 for CR LF,
// 1 for a lone LF, 0 for none (a lone CR included).
size_t LineEndLength(std::string_view text, size_t at) {
  if (at < text.size() && text[at] == '\n') return 1;
  return at + 1 < text.size() && text[at] == '\r' && text[at + 1] == '\n' ? 2 : 0;
}

// Where the content of the line ends whose accepted line end ends just
// before `lineStart`; kNotFound when no such line end stands there.
size_t ContentEndBefore(std::string_view text, size_t lineStart) {
  if (lineStart == 0 || text[lineStart - 1] != '\n') return kNotFound;
  return lineStart >= 2 && text[lineStart - 2] == '\r' ? lineStart - 2 : lineStart - 1;
}

// Whether the window holds what decides about "db" at `db`: the digit and
// the whole line end after it. A CR may be the first half of CR LF.
bool DigitAndLineEndIn(std::string_view text, size_t db) {
  const size_t end = db + kDigitAfterDb + 1;
  return end < text.size() && (text[end] != '\r' || end + 1 < text.size());
}

// For "db" at `db`: when it belongs to a third line as the patterns want it
// (blanks/tabs, SGIDB1 or SGIDB3, a line end) below a line that is exactly
// "/begin CHARACTERISTIC" and one further line, the start of that first line,
// the object's digit and where the fourth line starts; kNotFound otherwise.
// The window's start is a line start and holds the two lines above any line
// with new bytes.
size_t CandidateStart(std::string_view text, size_t db, char& digit, size_t& fourthLine) {
  if (db < kDbInStem || !StartsWithNoCase(text, db - kDbInStem, kObjectStem)) return kNotFound;
  const size_t digitAt = db + kDigitAfterDb;
  if (digitAt >= text.size() || (text[digitAt] != '1' && text[digitAt] != '3')) return kNotFound;
  const size_t lineEnd = LineEndLength(text, digitAt + 1);
  if (lineEnd == 0) return kNotFound;
  digit = text[digitAt];
  fourthLine = digitAt + 1 + lineEnd;
  size_t thirdLine = db - kDbInStem;
  while (thirdLine > 0 && IsBlank(text[thirdLine - 1])) --thirdLine;
  const size_t secondEnd = ContentEndBefore(text, thirdLine);
  if (secondEnd == kNotFound) return kNotFound;
  size_t secondLine = secondEnd;
  while (secondLine > 0 && !IsLineEnd(text[secondLine - 1])) --secondLine;
  const size_t firstEnd = ContentEndBefore(text, secondLine);
  if (firstEnd == kNotFound || firstEnd < kBeginWords.size()) return kNotFound;
  const size_t start = firstEnd - kBeginWords.size();
  if (start > 0 && !IsLineEnd(text[start - 1])) return kNotFound;
  return StartsWithNoCase(text, start, kBeginWords) ? start : kNotFound;
}

}  // namespace

void CharacteristicScan::scan(const ScanWindow& window) {
  findCandidates(window);
  // In file order: a match settles before any later candidate can.
  size_t kept = 0;
  for (size_t i = 0; i < pending_.size(); ++i) {
    const Outcome outcome = Advance(pending_[i], window);
    if (outcome == Outcome::Matched) settle(pending_[i]);
    if (outcome != Outcome::Pending) continue;
    if (kept != i) pending_[kept] = std::move(pending_[i]);
    ++kept;
  }
  pending_.resize(kept);
}

void CharacteristicScan::findCandidates(const ScanWindow& window) {
  const std::string_view text = window.bytes;
  size_t from = window.resumePosition(unsearched_);
  for (size_t db = FindBytePair(text, from, kDb); db != kNotFound;
       db = FindBytePair(text, from, kDb)) {
    if (!window.atEnd && !DigitAndLineEndIn(text, db)) {
      unsearched_ = window.offsetOf(db);  // the rest of its line comes with the next window
      return;
    }
    from = db + 1;
    char digit = 0;
    size_t fourthLine = 0;
    const size_t start = CandidateStart(text, db, digit, fourthLine);
    if (start == kNotFound) continue;
    Candidate candidate;
    candidate.pattern = digit == '1' ? 0 : 1;
    candidate.start = window.lineStartOffset(start);
    candidate.next = window.offsetOf(fourthLine);
    candidate.keepAddress = patterns_[candidate.pattern].matches.count == 0;
    pending_.push_back(std::move(candidate));
  }
  // A "d" in the last byte may pair with the first byte of the next window.
  unsearched_ = window.offsetOf(std::max(from, text.empty() ? 0 : text.size() - 1));
}

// Follows the fourth to sixth line of a candidate through the window: two
// lines ending in CR LF or LF, then blanks, "0x" and an address without a
// caret up to the line end or the file's end.
bool CharacteristicScan::SkipLine(Candidate& c, std::string_view text, size_t& at) {
  using Stage = Candidate::Stage;
  const Stage next = c.stage == Stage::FourthLine ? Stage::FifthLine : Stage::Blanks;
  if (c.crSeen) {
    if (text[at] != '\n') return false;
    c.crSeen = false;
    c.stage = next;
    ++at;
    return true;
  }
  const size_t end = FindLineEnd(text, at);
  if (end == text.size()) {
    at = end;
    return true;
  }
  at = end + 1;
  if (text[end] == '\r')
    c.crSeen = true;
  else
    c.stage = next;
  return true;
}

CharacteristicScan::Outcome CharacteristicScan::Advance(Candidate& c, const ScanWindow& window) {
  using Stage = Candidate::Stage;
  const std::string_view text = window.bytes;
  size_t at = window.positionOf(c.next);
  while (at < text.size()) {
    switch (c.stage) {
      case Stage::FourthLine:
      case Stage::FifthLine:
        if (!SkipLine(c, text, at)) return Outcome::Failed;
        break;
      case Stage::Blanks:
        while (at < text.size() && IsBlank(text[at])) ++at;
        if (at < text.size()) c.stage = Stage::Zero;
        break;
      case Stage::Zero:
        if (text[at++] != '0') return Outcome::Failed;
        c.stage = Stage::X;
        break;
      case Stage::X:
        if (ToLowerAscii(text[at++]) != 'x') return Outcome::Failed;
        c.stage = Stage::Address;
        break;
      case Stage::Address: {
        const size_t end = FindLineEnd(text, at);
        const std::string_view piece = text.substr(at, end - at);
        if (piece.find('^') != std::string_view::npos) return Outcome::Failed;
        if (c.keepAddress) c.address += piece;
        at = end;
        if (end < text.size()) {
          c.end = window.offsetOf(end);
          return Outcome::Matched;
        }
        break;
      }
    }
  }
  c.next = window.offsetOf(at);
  if (!window.atEnd) return Outcome::Pending;
  // At the file's end only the address line may stay open: "$" matches there.
  if (c.stage != Stage::Address) return Outcome::Failed;
  c.end = window.offsetOf(at);
  return Outcome::Matched;
}

// Candidates settle in file order, so a match that starts inside the
// previous one is passed over, as a global search passes over it.
void CharacteristicScan::settle(Candidate& candidate) {
  PatternState& state = patterns_[candidate.pattern];
  if (candidate.start < state.resumeAt) return;
  if (state.matches.count++ == 0) state.matches.firstAddress = std::move(candidate.address);
  state.resumeAt = candidate.end;
}

}  // namespace xkm::a2l
