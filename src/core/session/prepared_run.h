#pragma once

#include <cstdint>
#include <string>

namespace xkm {

// What the session preparation decided for a run, as the steps after it read
// it. ConfigTable carries the same values as text for the templates; each
// text here is in the form that view gives back (trimmed of blanks), so that
// a step and a template never see two versions of one value.
struct PreparedRun {
  std::string hexPath{};          // the image
  std::string folder{};           // the working folder: the image's folder
  std::string hexName{};          // the image's file name
  std::string hexStem{};          // ... cut before its first "."
  std::string layout{};           // the chosen address layout
  int32_t blockCount = 0;         // data blocks the tools make
  bool mimConversion = false;     // the blocks are also converted to MIM files
  std::string qsrScript{};        // the QSR script's file name
  std::string hexInfoFile{};      // the address-info file's name; empty when none
  std::string containerScript{};  // the container's variable definitions (MCS)
  std::string containerText{};    // the container's template (RAW)
};

}  // namespace xkm
