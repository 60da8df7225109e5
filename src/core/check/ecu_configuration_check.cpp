#include <map>
#include <optional>

#include "core/check/finding_list.h"
#include "core/library/library_model.h"
#include "core/platform/error.h"
#include "core/platform/text/text_pieces.h"
#include "core/resources/message_ids.h"
#include "core/session/conversions.h"

namespace xkm {
namespace {

std::optional<int32_t> WholeNumber(const std::string& text) {
  try {
    return ToLong(text);
  } catch (const Error&) {
    return std::nullopt;
  }
}

// Configuration 1 reads the frequency entry of CONFIG_NUM 1.
const LibraryEntry* FrequencyEntryOfConfiguration1(const LibraryModel& library) {
  return LibraryModel::FindByKey(library.frequencyEntries(), "1");
}

// The frequency entry of configuration 1, the only one a run reads: a label
// and a divisor that is a whole number other than 0.
void CheckFrequencyEntry(const LibraryModel& library, FindingList& findings) {
  const LibraryEntry* entry = FrequencyEntryOfConfiguration1(library);
  if (entry == nullptr) return;  // reported with the ECU entries that need it
  if (entry->values.size() < 2 || IsBlank(entry->values[1])) {
    findings.at(Severity::Error, entry->node,
                "the frequency entry has no label (the attribute after CONFIG_NUM): a run "
                "fails with " +
                    std::to_string(msg::kNoFrequencyLabel));
  } else if (entry->values.size() < 3) {
    findings.at(Severity::Error, entry->node,
                "the frequency entry has no divisor (the attribute after the label)");
  } else {
    const std::string& divisor = entry->values[2];
    const std::optional<int32_t> number = WholeNumber(divisor);
    if (!number) {
      findings.atAttribute(Severity::Error, entry->node, 2,
                           "the divisor " + Quote(divisor) + " is not a whole number");
    } else if (*number == 0) {
      findings.atAttribute(Severity::Error, entry->node, 2, "the divisor is 0");
    }
  }
}

// Baud-rate entries: configuration 1 by frequency (tester and ECU rate after
// it), every other configuration the first entry of CONFIG_NUM 2.
void CheckBaudEntries(const LibraryModel& library, FindingList& findings) {
  for (const LibraryEntry& entry : library.baudEntriesByFrequency()) {
    const std::string frequency = entry.key.value_or("");
    if (entry.values.size() < 3 || IsBlank(entry.values[1])) {
      findings.at(Severity::Error, entry.node,
                  "the baud-rate entry for frequency " + Quote(frequency) +
                      " needs a tester and an ECU baud rate after FREQUENCY: a run fails");
    }
  }
  const std::vector<LibraryEntry>& fixed = library.baudEntriesFixed();
  if (!fixed.empty() && (fixed.front().values.size() < 2 || IsBlank(fixed.front().values[0]))) {
    findings.at(Severity::Error, fixed.front().node,
                "the baud-rate entry of CONFIG_NUM 2 needs a tester and an ECU baud rate: a run "
                "fails");
  }
}

// What a run needs for an ECU's configuration number besides the entry.
void CheckConfigurationReachesBaudRates(const LibraryModel& library, const XmlNode& entry,
                                        const std::string& ecu, int32_t number,
                                        FindingList& findings) {
  const std::string which = "configuration " + std::to_string(number) + " of ECU " + Quote(ecu);
  if (number == 1) {
    if (FrequencyEntryOfConfiguration1(library) == nullptr) {
      findings.atAttribute(Severity::Error, entry, 1,
                           which +
                               " has no frequency configuration (FREQ_CONFIGURATION/ENTRY "
                               "CONFIG_NUM=\"1\"): a run fails with " +
                               std::to_string(msg::kNoFrequencyLabel));
    }
    if (library.baudEntriesByFrequency().empty()) {
      findings.atAttribute(Severity::Error, entry, 1,
                           which +
                               " has no baud-rate configuration (BAUD_CONFIGURATION/CONFIG_NUM "
                               "VALUE=\"1\"): a run fails with " +
                               std::to_string(msg::kNoBaudConfiguration));
    }
  } else if (library.baudEntriesFixed().empty()) {
    findings.atAttribute(Severity::Error, entry, 1,
                         which +
                             " has no baud-rate configuration (BAUD_CONFIGURATION/CONFIG_NUM "
                             "VALUE=\"2\"): a run fails with " +
                             std::to_string(msg::kNoBaudConfiguration));
  }
}

}  // namespace

void CheckEcuConfiguration(const LibraryModel& library, FindingList& findings) {
  const std::vector<LibraryEntry>& entries = library.ecuEntries();
  if (entries.empty()) {
    findings.at(Severity::Error, library.root(),
                "the library has no ECU entry (ECU_CONFIGURATION/ENTRY): every run fails with " +
                    std::to_string(msg::kNoEcuInLibrary));
  }
  std::map<std::string, int> firstLine;  // ECU name -> line of the entry that wins
  for (const LibraryEntry& model : entries) {
    const XmlNode& entry = model.node;
    const std::optional<std::string>& ecu = model.key;
    if (!ecu) {
      findings.at(Severity::Error, entry, "the ECU entry has no ECU attribute");
      continue;
    }
    if (*ecu != TrimBlanks(ToUpperCase(*ecu))) {
      findings.atAttribute(Severity::Warning, entry, 0,
                           "the ECU name " + Quote(*ecu) +
                               " is not upper case without surrounding blanks: a run looks the "
                               "name up that way and never finds this entry");
    }
    auto [first, isFirst] = firstLine.try_emplace(*ecu, entry.line());
    if (!isFirst) {
      findings.at(Severity::Warning, entry,
                  "ECU " + Quote(*ecu) + " is listed again: the entry on line " +
                      std::to_string(first->second) + " wins and this one is shadowed");
      continue;
    }
    if (model.values.size() < 2) {
      findings.at(Severity::Error, entry,
                  "the entry of ECU " + Quote(*ecu) +
                      " has no configuration number (NUM, the attribute after ECU)");
      continue;
    }
    const std::string& text = model.values[1];
    const std::optional<int32_t> number = WholeNumber(text);
    if (!number) {
      findings.atAttribute(Severity::Error, entry, 1,
                           "the configuration number " + Quote(text) + " of ECU " + Quote(*ecu) +
                               " is not a whole number");
    } else if (*number < 1) {
      findings.atAttribute(Severity::Error, entry, 1,
                           "the configuration number of ECU " + Quote(*ecu) +
                               " must be at least 1: a run fails with " +
                               std::to_string(msg::kNoEcuInLibrary));
    } else {
      CheckConfigurationReachesBaudRates(library, entry, *ecu, *number, findings);
    }
  }
  CheckFrequencyEntry(library, findings);
  CheckBaudEntries(library, findings);
}

}  // namespace xkm
