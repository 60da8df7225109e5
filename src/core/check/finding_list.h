#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/check/library_check.h"
#include "core/check/source_map.h"
#include "core/library/library_model.h"
#include "core/platform/text/quoted_value.h"
#include "core/platform/xml/xml.h"

namespace xkm {

// Where a template's text lies in the source: the text as a run reads it and
// the offset its first character comes from.
struct PlacedText {
  std::string text;
  size_t sourceBegin = 0;
  bool verbatim = false;  // markup included (the RAW template's cut)
};

// Collects findings and places them: at an element's start tag, at one of its
// attributes, or at a character of a template text.
class FindingList {
 public:
  explicit FindingList(const SourceMap& source) : source_(source) {}

  void at(Severity severity, const XmlNode& element, std::string text);
  void atAttribute(Severity severity, const XmlNode& element, int position, std::string text);
  void inText(Severity severity, const PlacedText& where, size_t offset, std::string text);
  void atPosition(Severity severity, SourcePosition position, std::string text);

  // Where an element's content begins in the source (npos when unknown).
  size_t contentBegin(const XmlNode& element) const;

  const SourceMap& source() const { return source_; }
  std::vector<Finding> take();

 private:
  SourcePosition elementPosition(const XmlNode& element) const;
  std::optional<SourceMap::StartTag> startTag(const XmlNode& element) const;

  const SourceMap& source_;
  std::vector<Finding> findings_;
};

// The checks of the library's parts; each adds what it finds.
void CheckEcuConfiguration(const LibraryModel& library, FindingList& findings);
void CheckAddressLayoutRules(const LibraryModel& library, FindingList& findings);
void CheckLayouts(const LibraryModel& library, FindingList& findings);

// Template texts. `strict`: a placeholder left in the text fails the run (the
// MCS template), rather than staying in a written file.
void CheckPlaceholders(const PlacedText& text, std::string_view templateName, bool strict,
                       FindingList& findings);
void CheckDirectives(const PlacedText& raw, const PlacedText& mcs, const std::string& layout,
                     FindingList& findings);
void CheckFileInserts(const PlacedText& mcs, FindingList& findings);

}  // namespace xkm
