#include "core/library/library_model.h"

#include <string>
#include <utility>

#include "core/session/session.h"

namespace xkm {
namespace {

// Where the library holds what a run reads.
namespace library_path {
const std::string kEcuEntries = "/XKMTOOL/ECU_CONFIGURATION/ENTRY";
const std::string kFrequencyEntries = "/XKMTOOL/FREQ_CONFIGURATION/ENTRY";
// Configuration 1 chooses its baud rates by the system frequency; every other
// one takes the first entry of configuration 2.
const std::string kBaudEntriesByFrequency =
    "/XKMTOOL/BAUD_CONFIGURATION/CONFIG_NUM[@VALUE='1']/ENTRY";
const std::string kBaudEntriesFixed = "/XKMTOOL/BAUD_CONFIGURATION/CONFIG_NUM[@VALUE='2']/ENTRY";
const std::string kLayoutRules = "/XKMTOOL/ADRESSLAYOUT_CONFIGURATION/ENTRY";
const std::string kLayouts = "/XKMTOOL/ADRESSLAYOUT";

}  // namespace library_path

std::vector<LibraryEntry> ReadEntries(const XmlDocument& document, const std::string& path,
                                      const char* key) {
  std::vector<LibraryEntry> entries;
  for (const XmlNode& node : document.selectNodes(path)) {
    LibraryEntry entry;
    entry.node = node;
    for (int i = 0; i < node.attributeCount(); ++i) entry.values.push_back(node.attributeValue(i));
    if (key != nullptr) entry.key = node.attribute(key);
    entries.push_back(std::move(entry));
  }
  return entries;
}

LayoutRule ReadRule(const XmlNode& node) {
  LayoutRule rule;
  rule.node = node;
  const int count = node.attributeCount();
  for (int i = 0; i < count - 1; ++i) {
    RuleCondition condition;
    condition.position = i;
    condition.attributeName = node.attributeLocalName(i);
    condition.expected = node.attributeValue(i);
    condition.parsed = ParseLayoutCondition(condition.attributeName);
    rule.conditions.push_back(std::move(condition));
  }
  if (count > 0) rule.layout = node.attributeValue(count - 1);
  return rule;
}

// The parts of the layouts of one name, `elements` in document order: each
// part is the first in document order, so from the first element that has it
// (the elements are siblings, their contents do not overlap).
AddressLayout ReadLayout(const XmlDocument& document, const std::string& name,
                         const std::vector<XmlNode>& elements) {
  const auto find = [&](const std::string& path) {
    for (const XmlNode& element : elements)
      if (XmlNode found = document.selectSingleNode(path, {}, element)) return found;
    return XmlNode();
  };
  AddressLayout result;
  result.name = name;
  result.element = elements.front();
  result.datablockCount = find("DATABLOCK_COUNT");
  result.mimConversion = find("MIM_CONVERSION");
  for (const TemplateKind kind : kTemplateKinds) {
    LayoutTemplate& found = result.templates[static_cast<size_t>(kind)];
    found.element = find(std::string(".//") + TemplateElementName(kind));
    if (!found.element) continue;
    found.name = document.selectSingleNode(".//NAME", {}, found.element);
    found.data = document.selectSingleNode(".//DATA", {}, found.element);
  }
  return result;
}

}  // namespace

const char* TemplateElementName(TemplateKind kind) {
  switch (kind) {
    case TemplateKind::Raw:
      return "RAW";
    case TemplateKind::Qsr:
      return "QSR";
    case TemplateKind::Mcs:
      return "MCS";
    case TemplateKind::HexInfo:
      return "QSR_HEXINFO";
    case TemplateKind::Brakel:
      return "BRAKEL";
  }
  return "";
}

LibraryModel::LibraryModel(XmlDocument document) : document_(std::move(document)) {
  root_ = document_.selectSingleNode("/*");
  ecuEntries_ = ReadEntries(document_, library_path::kEcuEntries, "ECU");
  frequencyEntries_ = ReadEntries(document_, library_path::kFrequencyEntries, "CONFIG_NUM");
  baudEntriesByFrequency_ =
      ReadEntries(document_, library_path::kBaudEntriesByFrequency, "FREQUENCY");
  baudEntriesFixed_ = ReadEntries(document_, library_path::kBaudEntriesFixed, nullptr);
  for (const XmlNode& node : document_.selectNodes(library_path::kLayoutRules))
    layoutRules_.push_back(ReadRule(node));
  layoutElements_ = document_.selectNodes(library_path::kLayouts);
  std::map<std::string, std::vector<XmlNode>> byName;
  for (const XmlNode& element : layoutElements_)
    if (const std::optional<std::string> name = element.attribute("VALUE"))
      byName[*name].push_back(element);
  for (const auto& [name, elements] : byName)
    layouts_.emplace(name, ReadLayout(document_, name, elements));
}

const LibraryEntry* LibraryModel::FindByKey(const std::vector<LibraryEntry>& entries,
                                            const std::string& key) {
  for (const LibraryEntry& entry : entries)
    if (entry.key == key) return &entry;
  return nullptr;
}

const LibraryModel& LibraryModel::Of(const Session& session) {
  static const LibraryModel kNoLibrary;
  return session.Library ? *session.Library : kNoLibrary;
}

const AddressLayout* LibraryModel::layoutNamed(const std::string& name) const {
  const auto found = layouts_.find(name);
  return found == layouts_.end() ? nullptr : &found->second;
}

}  // namespace xkm
