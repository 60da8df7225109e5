#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/a2l/characteristic_scan.h"
#include "core/a2l/scan_window.h"
#include "core/a2l/section_scan.h"

namespace xkm::a2l {

// What the six patterns find in an A2L file: the characteristic addresses
// over the whole text; the first "/begin MOD_PAR" and the first
// "/end MOD_PAR" (file offsets, both searched from the start); and the
// section facts between them, when the end comes after the begin.
struct A2lMatches {
  AddressMatches sgidb1;
  AddressMatches sgidb3;
  std::optional<uint64_t> sectionBegin;
  std::optional<uint64_t> sectionEnd;
  SectionMatches section;
};

// Scans an A2L file as it is read, in chunks of a fixed size, in memory that
// does not grow with the file: what is kept from one chunk for the next is
// a few short lines. The results are those of the patterns over the whole
// text, whatever the chunk size.
class A2lScanner {
 public:
  static constexpr size_t kDefaultChunkSize = size_t{1} << 20;

  explicit A2lScanner(size_t chunkSize = kDefaultChunkSize);

  // Room for the next bytes of the file: at most one chunk.
  std::span<char> space() { return {buffer_.data() + carried_, chunkSize_}; }
  // `count` bytes (1 to the chunk size) were put into space().
  void scanned(size_t count);
  // The file ended: what the patterns found in all of it.
  A2lMatches finish();

 private:
  void scanWindow(size_t size, bool atEnd);
  void findSectionBounds(const ScanWindow& window);
  void feedSection(const ScanWindow& window, size_t lastLine);
  void carryOver(const ScanWindow& window, size_t lastLine);

  size_t chunkSize_;
  std::vector<char> buffer_;
  size_t carried_ = 0;  // bytes kept at the buffer's front
  size_t realStart_ = 0;
  uint64_t realOffset_ = 0;
  std::vector<CarriedLine> carriedLines_;

  CharacteristicScan characteristics_;
  std::optional<uint64_t> sectionBegin_;
  std::optional<uint64_t> sectionEnd_;
  uint64_t beginUnsearched_ = 0;
  uint64_t endUnsearched_ = 0;
  uint64_t sectionFed_ = 0;  // file offset up to which the section went to its scan
  bool sectionDone_ = false;
  SectionScan section_;
};

// The matches in a text already in memory, scanned in chunks of the given
// size as if it were read from a file.
A2lMatches ScanA2lText(std::string_view text, size_t chunkSize = A2lScanner::kDefaultChunkSize);

}  // namespace xkm::a2l
