#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xkm {

// A line (from 1) and a column (from 1, counted in characters).
struct SourcePosition {
  int line = 1;
  int column = 1;
};

// The library's bytes as they lie on disk. The parser tells on which line an
// element starts; this turns that, and offsets into the texts the parser
// delivers, into the lines and columns an editor shows.
class SourceMap {
 public:
  // `bytes` must outlive the map.
  explicit SourceMap(std::string_view bytes);

  SourcePosition positionOf(size_t offset) const;

  // An element's start tag: where its "<" stands, where each attribute's name
  // starts (document order, namespace declarations left out) and where its
  // content begins (npos for an empty-element tag).
  struct StartTag {
    size_t begin = 0;
    std::vector<size_t> attributes;
    size_t contentBegin = std::string::npos;
  };
  // The start tag of the element `name` that the parser placed on `line`: the
  // one after `ordinal` others of that name beginning on that line, else (the
  // parser counts a tag over several lines by its last) the last "<name" that
  // begins before that line's end.
  std::optional<StartTag> startTag(int line, std::string_view name, int ordinal = 0) const;

  // The offset in the source of the character at `target` of `text`, the text
  // content of an element whose content begins at `from`. Markup, comments and
  // CDATA markers are passed over, an entity reference counts as the one
  // character it stands for, and a CR LF as the LF the parser makes of it.
  // `verbatim`: the text holds the markup too (the RAW template's cut).
  size_t sourceOffsetOfText(size_t from, std::string_view text, size_t target, bool verbatim) const;

  std::string_view bytes() const { return bytes_; }

 private:
  size_t characterLength(std::string_view text, size_t at) const;

  std::string_view bytes_;
  std::vector<size_t> lineStarts_;
  bool singleByteEncoding_ = false;
};

}  // namespace xkm
