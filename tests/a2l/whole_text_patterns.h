#pragma once

// The plain way to apply the six patterns: each one a global search with the
// regular expression engine over the whole text (patterns 3 to 6 over the
// module parameter section). The reference the streamed scan must equal.

#include <cstring>
#include <sstream>
#include <string>
#include <string_view>

#include "core/a2l/a2l_patterns.h"
#include "core/a2l/a2l_scan.h"
#include "core/platform/regex.h"

namespace xkm::a2l::test {

struct WholeTextPatterns {
  static constexpr Regex::Options kOptions{.ignoreCase = true, .multiline = true};
  Regex sgidb1{kSgidb1Pattern, kOptions};
  Regex sgidb3{kSgidb3Pattern, kOptions};
  Regex epk{kEpkPattern, kOptions};
  Regex ecu{kEcuPattern, kOptions};
  Regex systemConstant{kSystemConstantPattern, kOptions};
  Regex memorySegment{kMemorySegmentPattern, kOptions};

  // Throws the engine's Error where it gives up (match limit).
  A2lMatches scan(std::string_view text) const {
    A2lMatches found;
    found.sgidb1 = Addresses(sgidb1, text);
    found.sgidb3 = Addresses(sgidb3, text);
    found.sectionBegin = Find(text, "/begin MOD_PAR");
    found.sectionEnd = Find(text, "/end MOD_PAR");
    if (!found.sectionBegin || !found.sectionEnd || *found.sectionEnd < *found.sectionBegin)
      return found;
    const std::string_view section =
        text.substr(*found.sectionBegin, *found.sectionEnd - *found.sectionBegin);
    SectionMatches& facts = found.section;
    const std::vector<Regex::Match> epks = epk.findAll(section);
    facts.epkCount = epks.size();
    if (!epks.empty()) {
      facts.epkAddress = epks[0].group(section, 1);
      facts.epk = epks[0].group(section, 2);
    }
    const std::vector<Regex::Match> ecus = ecu.findAll(section);
    facts.ecuCount = ecus.size();
    if (!ecus.empty()) facts.ecu = ecus[0].group(section, 1);
    for (const Regex::Match& m : systemConstant.findAll(section))
      facts.systemConstants.push_back(
          {std::string(m.group(section, 1)), std::string(m.group(section, 2))});
    for (const Regex::Match& m : memorySegment.findAll(section)) {
      std::array<std::string, 6> fields;
      for (size_t i = 0; i < 6; ++i) fields[i] = m.group(section, i + 1);
      facts.memorySegments.push_back(std::move(fields));
    }
    return found;
  }

  static AddressMatches Addresses(const Regex& regex, std::string_view text) {
    const std::vector<Regex::Match> all = regex.findAll(text);
    AddressMatches matches;
    matches.count = all.size();
    if (!all.empty()) matches.firstAddress = all.front().group(text, 1);
    return matches;
  }

  static std::optional<uint64_t> Find(std::string_view text, std::string_view word) {
    const size_t at = text.find(word);
    return at == std::string_view::npos ? std::nullopt : std::optional<uint64_t>(at);
  }
};

// Everything the reader uses of the matches, as one text to compare and show:
// the section facts only where there is a section.
inline std::string Described(const A2lMatches& m) {
  std::ostringstream out;
  out << "sgidb1 " << m.sgidb1.count << " [" << m.sgidb1.firstAddress << "]\n"
      << "sgidb3 " << m.sgidb3.count << " [" << m.sgidb3.firstAddress << "]\n"
      << "section " << (m.sectionBegin ? std::to_string(*m.sectionBegin) : "-") << ".."
      << (m.sectionEnd ? std::to_string(*m.sectionEnd) : "-") << "\n";
  if (!m.sectionBegin || !m.sectionEnd || *m.sectionEnd < *m.sectionBegin) return out.str();
  const SectionMatches& s = m.section;
  out << "epk " << s.epkCount << " [" << s.epkAddress << "] [" << s.epk << "]\n"
      << "ecu " << s.ecuCount << " [" << s.ecu << "]\n";
  for (const auto& [name, value] : s.systemConstants)
    out << "constant [" << name << "] [" << value << "]\n";
  for (const auto& fields : s.memorySegments) {
    out << "segment";
    for (const std::string& field : fields) out << " [" << field << "]";
    out << "\n";
  }
  return out.str();
}

// Line ends made visible, for failure messages.
inline std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text)
    out += c == '\r' ? std::string("\\r") : c == '\n' ? "\\n\n" : std::string(1, c);
  return out;
}

}  // namespace xkm::a2l::test
