#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xkm::a2l {

// The matches of the four patterns of the module parameter section: counts
// and the captures of the first match where only one is used, every match
// where all are.
struct SectionMatches {
  size_t epkCount = 0;
  std::string epkAddress;
  std::string epk;
  size_t ecuCount = 0;
  std::string ecu;
  std::vector<std::array<std::string, 2>> systemConstants;
  std::vector<std::array<std::string, 6>> memorySegments;
};

// The section's bytes go through line by line, in pieces of any size. Only a
// line that starts (after blanks) with one of the patterns' keywords is kept
// until its end and then matched; all others are passed over.
class SectionScan {
 public:
  void feed(std::string_view bytes);
  // The section ends here: its last line ends as the text does.
  void finish();

  const SectionMatches& matches() const { return matches_; }

 private:
  enum class Mode { Blanks, Prefix, Keep, Skip };

  size_t lineEndAt(std::string_view bytes, size_t at);
  void endLine(bool newline);
  std::optional<std::string> matchLine(bool newline);

  Mode mode_ = Mode::Blanks;
  bool crSeen_ = false;  // the line ended in CR; the next byte tells whether CR LF
  std::string line_;     // from its first non-blank byte, while it may match
  // The address of the line before when it was an ADDR_EPK line ending in CR
  // LF or LF.
  std::optional<std::string> epkAddress_;
  SectionMatches matches_;
};

}  // namespace xkm::a2l
