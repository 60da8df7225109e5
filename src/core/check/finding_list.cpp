#include "core/check/finding_list.h"

#include <algorithm>

namespace xkm {

std::optional<SourceMap::StartTag> FindingList::startTag(const XmlNode& element) const {
  const std::string name = element.localName();
  const int line = element.line();
  // Elements of the same name that start earlier on the same line.
  int ordinal = 0;
  for (XmlNode before = element.previousElement(); before && before.line() == line;
       before = before.previousElement())
    if (before.localName() == name) ++ordinal;
  return source_.startTag(line, name, ordinal);
}

SourcePosition FindingList::elementPosition(const XmlNode& element) const {
  const auto tag = startTag(element);
  if (tag) return source_.positionOf(tag->begin);
  return {std::max(element.line(), 1), 1};
}

void FindingList::at(Severity severity, const XmlNode& element, std::string text) {
  atPosition(severity, elementPosition(element), std::move(text));
}

void FindingList::atAttribute(Severity severity, const XmlNode& element, int position,
                              std::string text) {
  const auto tag = startTag(element);
  if (tag && position >= 0 && static_cast<size_t>(position) < tag->attributes.size()) {
    atPosition(severity, source_.positionOf(tag->attributes[static_cast<size_t>(position)]),
               std::move(text));
  } else {
    at(severity, element, std::move(text));
  }
}

void FindingList::inText(Severity severity, const PlacedText& where, size_t offset,
                         std::string text) {
  const size_t source =
      source_.sourceOffsetOfText(where.sourceBegin, where.text, offset, where.verbatim);
  atPosition(severity, source_.positionOf(source), std::move(text));
}

void FindingList::atPosition(Severity severity, SourcePosition position, std::string text) {
  findings_.push_back({position.line, position.column, severity, std::move(text)});
}

size_t FindingList::contentBegin(const XmlNode& element) const {
  const auto tag = startTag(element);
  return tag ? tag->contentBegin : std::string::npos;
}

std::vector<Finding> FindingList::take() {
  std::stable_sort(findings_.begin(), findings_.end(), [](const Finding& a, const Finding& b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  });
  return std::move(findings_);
}

}  // namespace xkm
