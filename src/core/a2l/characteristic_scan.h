#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/a2l/scan_window.h"

namespace xkm::a2l {

// The global matches of one characteristic-address pattern: how many there
// are and the address capture of the first.
struct AddressMatches {
  size_t count = 0;
  std::string firstAddress;
};

// The SGIDB1 and SGIDB3 patterns, "^/begin CHARACTERISTIC\r?\n.*\r?\n[ \t]*
// SGIDB1\r?\n.*\r?\n.*\r?\n[ \t]*0x([^\r^\n]*)$", searched globally over
// the whole file, window after window. A match is six lines; the third holds
// nothing but blanks and the object's name, and "db" is rare in A2L text. So
// only where "db" stands is the line start two lines above looked at, and
// from there the three lines below are followed as the windows come in.
class CharacteristicScan {
 public:
  // Windows in file order; the last one has atEnd set.
  void scan(const ScanWindow& window);

  const AddressMatches& sgidb1() const { return patterns_[0].matches; }
  const AddressMatches& sgidb3() const { return patterns_[1].matches; }

 private:
  // A block whose first three lines fit: its last three lines are followed
  // byte by byte as the windows come in.
  struct Candidate {
    enum class Stage { FourthLine, FifthLine, Blanks, Zero, X, Address };
    size_t pattern = 0;
    uint64_t start = 0;  // file offset of "/begin CHARACTERISTIC"
    uint64_t next = 0;   // file offset of the next byte to look at
    Stage stage = Stage::FourthLine;
    bool crSeen = false;  // a line ended in CR: LF must follow
    bool keepAddress = false;
    std::string address;
    uint64_t end = 0;  // file offset of the match's end, once matched
  };
  enum class Outcome { Pending, Failed, Matched };

  struct PatternState {
    AddressMatches matches;
    uint64_t resumeAt = 0;  // a global search goes on after the previous match
  };

  void findCandidates(const ScanWindow& window);
  static Outcome Advance(Candidate& candidate, const ScanWindow& window);
  // Moves `at` past the rest of the fourth or fifth line and on to the next
  // stage once the line has ended; false when a CR is followed by no LF.
  static bool SkipLine(Candidate& candidate, std::string_view text, size_t& at);
  void settle(Candidate& candidate);

  PatternState patterns_[2];
  std::vector<Candidate> pending_;  // in file order
  uint64_t unsearched_ = 0;         // file offset from which "db" is still to be looked for
};

}  // namespace xkm::a2l
