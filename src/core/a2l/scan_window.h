#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace xkm::a2l {

// A line start kept from an earlier window, with its offset in the file.
struct CarriedLine {
  size_t position = 0;
  uint64_t offset = 0;
};

// What the scanners see of the file at one time: the last lines of the
// bytes seen before (lines longer than a few dozen bytes shortened to what
// the patterns can still tell of them), then the bytes just read. The window
// always begins at the start of a line, and holds at least the two complete
// lines before the line in which the new bytes begin.
struct ScanWindow {
  std::string_view bytes;
  // From here to the end the bytes are the file's own, without gaps; the
  // last 32 bytes always are.
  size_t realStart = 0;
  uint64_t realOffset = 0;                    // the file offset of bytes[realStart]
  std::span<const CarriedLine> carriedLines;  // the line starts before realStart
  bool atEnd = false;                         // no bytes follow the window

  uint64_t offsetOf(size_t position) const { return realOffset + (position - realStart); }
  size_t positionOf(uint64_t offset) const {
    return realStart + static_cast<size_t>(offset - realOffset);
  }
  uint64_t endOffset() const { return offsetOf(bytes.size()); }
  // Where a search left off in an earlier window goes on. What lay before the
  // window's own bytes were complete lines that were not kept: nothing that
  // the searches look for continues from there into new bytes.
  size_t resumePosition(uint64_t offset) const { return positionOf(std::max(offset, realOffset)); }

  // The file offset of a line start anywhere in the window.
  uint64_t lineStartOffset(size_t position) const {
    if (position >= realStart) return offsetOf(position);
    for (const CarriedLine& line : carriedLines)
      if (line.position == position) return line.offset;
    return offsetOf(realStart);  // not a line start: never asked for
  }
};

}  // namespace xkm::a2l
