#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/library/layout_condition.h"
#include "core/platform/xml/xml.h"

namespace xkm {

struct Session;

// The configuration library parsed once into what a run reads. The lookups of
// a run and the library check both walk this model, so that a library the
// check calls sound is one the run finds its way through. Every part keeps
// its element, so that the check can say where a fault lies.

// An ENTRY element read by position: the library writes the attributes in the
// order the lookups read them.
struct LibraryEntry {
  XmlNode node;
  std::vector<std::string> values;  // attribute values in document order
  std::optional<std::string> key;   // the attribute a lookup selects the entry by

  // Null when the entry has no attribute at that position.
  const std::string* at(size_t position) const {
    return position < values.size() ? &values[position] : nullptr;
  }
};

// A condition of an address-layout rule with the attribute it stands in.
struct RuleCondition {
  int position = 0;
  std::string attributeName;
  std::string expected;
  LayoutCondition parsed;
};

// An ADRESSLAYOUT_CONFIGURATION entry: every attribute but the last is a
// condition, the last names the layout.
struct LayoutRule {
  XmlNode node;
  std::vector<RuleCondition> conditions;
  std::optional<std::string> layout;  // none when the rule has no attribute
};

enum class TemplateKind { Raw, Qsr, Mcs, HexInfo, Brakel };
inline constexpr std::array<TemplateKind, 5> kTemplateKinds = {
    TemplateKind::Raw, TemplateKind::Qsr, TemplateKind::Mcs, TemplateKind::HexInfo,
    TemplateKind::Brakel};
const char* TemplateElementName(TemplateKind kind);  // "RAW", "QSR", ...

// A template of a layout: its first element of that name anywhere below the
// layout, and the first NAME and DATA below that. Each is empty when missing.
struct LayoutTemplate {
  XmlNode element;
  XmlNode name;
  XmlNode data;
};

// The parts of the layouts named `name`: where the library describes a layout
// more than once, each part comes from the first description that has it.
struct AddressLayout {
  std::string name;
  XmlNode element;  // the first ADRESSLAYOUT of this name
  XmlNode datablockCount;
  XmlNode mimConversion;
  std::array<LayoutTemplate, kTemplateKinds.size()> templates;

  const LayoutTemplate& templateOf(TemplateKind kind) const {
    return templates[static_cast<size_t>(kind)];
  }
};

class LibraryModel {
 public:
  LibraryModel() = default;  // no library: every lookup finds nothing
  explicit LibraryModel(XmlDocument document);
  LibraryModel(LibraryModel&&) = default;
  LibraryModel& operator=(LibraryModel&&) = default;

  const XmlDocument& document() const { return document_; }
  XmlNode root() const { return root_; }

  const std::vector<LibraryEntry>& ecuEntries() const { return ecuEntries_; }  // key ECU
  const std::vector<LibraryEntry>& frequencyEntries() const {
    return frequencyEntries_;  // key CONFIG_NUM
  }
  const std::vector<LibraryEntry>& baudEntriesByFrequency() const {
    return baudEntriesByFrequency_;  // key FREQUENCY
  }
  const std::vector<LibraryEntry>& baudEntriesFixed() const { return baudEntriesFixed_; }
  const std::vector<LayoutRule>& layoutRules() const { return layoutRules_; }
  // Every ADRESSLAYOUT element in document order, named or not.
  const std::vector<XmlNode>& layoutElements() const { return layoutElements_; }

  // The first entry whose key is `key`; null when none.
  static const LibraryEntry* FindByKey(const std::vector<LibraryEntry>& entries,
                                       const std::string& key);
  // Named exactly as given, without trimming or case change; null when none.
  const AddressLayout* layoutNamed(const std::string& name) const;

  // The library a run loaded, or an empty one.
  static const LibraryModel& Of(const Session& session);

 private:
  XmlDocument document_;
  XmlNode root_;
  std::vector<LibraryEntry> ecuEntries_;
  std::vector<LibraryEntry> frequencyEntries_;
  std::vector<LibraryEntry> baudEntriesByFrequency_;
  std::vector<LibraryEntry> baudEntriesFixed_;
  std::vector<LayoutRule> layoutRules_;
  std::vector<XmlNode> layoutElements_;
  std::map<std::string, AddressLayout> layouts_;
};

}  // namespace xkm
