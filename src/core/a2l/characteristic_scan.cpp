#include "core/a2l/characteristic_scan.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace xkm::a2l {
namespace {

constexpr std::string_view kBeginLine = "/begin characteristic\r\n";
constexpr std::string_view kObjectStem = "sgidb";
constexpr size_t kDbInStem = 3;  // where "db" lies in the stem
constexpr size_t kNone = std::string_view::npos;

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// `lowerPrefix` (lower case) at `at`, letters compared without regard to case.
bool StartsWithNoCase(std::string_view text, size_t at, std::string_view lowerPrefix) {
  if (text.size() - at < lowerPrefix.size()) return false;
  for (size_t i = 0; i < lowerPrefix.size(); ++i)
    if (LowerAscii(text[at + i]) != lowerPrefix[i]) return false;
  return true;
}

bool IsLineStart(std::string_view text, size_t at) {
  return at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r';
}

// The first CR or LF at or after `from` (the text's size when there is none).
size_t LineEnd(std::string_view text, size_t from) {
  while (from < text.size() && text[from] != '\r' && text[from] != '\n') ++from;
  return from;
}

bool CrLfAt(std::string_view text, size_t at) {
  return at + 1 < text.size() && text[at] == '\r' && text[at + 1] == '\n';
}

// The start of the line after the one starting at `lineStart` when that line
// ends in CR LF (the only line end the patterns accept); kNone otherwise.
size_t NextCrLfLine(std::string_view text, size_t lineStart) {
  const size_t end = LineEnd(text, lineStart);
  return CrLfAt(text, end) ? end + 2 : kNone;
}

// The next place at or after `from` where "db" stands, in any case: the rare
// part of the object names, searched 16 bytes at a time where SSE2 is there.
size_t FindDb(std::string_view text, size_t from) {
  const char* p = text.data();
  const size_t n = text.size();
  size_t i = from;
#if defined(__SSE2__)
  const __m128i caseBit = _mm_set1_epi8(0x20);  // only 'D'/'d' and 'B'/'b' map to 'd' and 'b'
  const __m128i d = _mm_set1_epi8('d');
  const __m128i b = _mm_set1_epi8('b');
  for (; i + 17 <= n; i += 16) {
    const __m128i first =
        _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), caseBit);
    const __m128i second =
        _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1)), caseBit);
    const int hits =
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(first, d), _mm_cmpeq_epi8(second, b)));
    if (hits != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
  }
#endif
  for (; i + 1 < n; ++i)
    if (LowerAscii(p[i]) == 'd' && LowerAscii(p[i + 1]) == 'b') return i;
  return kNone;
}

// For "db" at `db`: when it belongs to a third line as the patterns want it
// (blanks/tabs, SGIDB1 or SGIDB3, CR LF) below a line that is exactly
// "/begin CHARACTERISTIC" and one further line, the start of that first line
// and the object's digit; kNone otherwise.
size_t CandidateStart(std::string_view text, size_t db, char& digit) {
  if (db < kDbInStem || !StartsWithNoCase(text, db - kDbInStem, kObjectStem)) return kNone;
  const size_t digitAt = db + 2;
  if (digitAt >= text.size() || (text[digitAt] != '1' && text[digitAt] != '3') ||
      !CrLfAt(text, digitAt + 1))
    return kNone;
  digit = text[digitAt];
  size_t thirdLine = db - kDbInStem;
  while (thirdLine > 0 && (text[thirdLine - 1] == ' ' || text[thirdLine - 1] == '\t')) --thirdLine;
  if (thirdLine < 2 || !CrLfAt(text, thirdLine - 2)) return kNone;
  size_t secondLine = thirdLine - 2;
  while (secondLine > 0 && text[secondLine - 1] != '\r' && text[secondLine - 1] != '\n')
    --secondLine;
  if (secondLine < kBeginLine.size()) return kNone;
  const size_t start = secondLine - kBeginLine.size();
  if (!IsLineStart(text, start) || !StartsWithNoCase(text, start, kBeginLine)) return kNone;
  return start;
}

// A match starting at `start` spans six lines, the first five ending in CR LF,
// the last running to the next line end. The end of that sixth line, or kNone
// when the first five lines do not end in CR LF.
size_t SixLineWindowEnd(std::string_view text, size_t start) {
  size_t line = start;
  for (int i = 0; i < 5 && line != kNone; ++i) line = NextCrLfLine(text, line);
  return line == kNone ? kNone : LineEnd(text, line);
}

struct PatternScan {
  const Regex& regex;
  AddressMatches& matches;
  size_t resumeAt = 0;  // a global search goes on after the previous match

  void tryAt(std::string_view text, size_t start) {
    if (start < resumeAt) return;
    const size_t end = SixLineWindowEnd(text, start);
    if (end == kNone) return;
    // The window ends at a line end or the text's end, so ^ and $ behave in
    // it as in the whole text, and no match can start later inside it.
    const std::string_view window = text.substr(start, end - start);
    Regex::Match match;
    if (!regex.findFirst(window, match) || match.offset != 0) return;
    if (matches.count++ == 0) matches.firstAddress = match.group(window, 1);
    resumeAt = start + match.length;
  }
};

}  // namespace

CharacteristicAddresses ScanCharacteristicAddresses(std::string_view text, const Regex& sgidb1,
                                                    const Regex& sgidb3) {
  CharacteristicAddresses result;
  PatternScan scan1{sgidb1, result.sgidb1};
  PatternScan scan3{sgidb3, result.sgidb3};
  // Every match has "SGIDB1" or "SGIDB3" alone on its third line, and "db"
  // is rare in A2L text: from each "db" the block start is found backwards,
  // in increasing order, and only there the patterns run.
  for (size_t db = FindDb(text, 0); db != kNone; db = FindDb(text, db + 1)) {
    char digit = 0;
    const size_t start = CandidateStart(text, db, digit);
    if (start == kNone) continue;
    if (digit == '1') scan1.tryAt(text, start);
    if (digit == '3') scan3.tryAt(text, start);
  }
  return result;
}

}  // namespace xkm::a2l
