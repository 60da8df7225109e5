#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/session/data_context.h"

namespace xkm {

// What the names of a run's working files are made of.
struct WorkingFileNames {
  std::string folder;                  // the working folder
  std::string hexName;                 // the image's file name
  std::string hexStem;                 // ... cut before its first "."
  int32_t blockCount = 0;              // data blocks
  std::vector<std::string> templates;  // QSR script, address info, converter control file
};

// The names of the prepared run, with the control file the conversion step
// wrote.
WorkingFileNames WorkingFileNamesOf(const Session& session);

// The files of data block `block`, in the order they are removed: block file,
// MIM file, BCB file, length log.
std::string BlockFile(const WorkingFileNames& names, int32_t block);
std::string MimFile(const WorkingFileNames& names, int32_t block);
std::string BcbFile(const WorkingFileNames& names, int32_t block);
std::string LengthLog(const WorkingFileNames& names, int32_t block);
std::string InFolder(const WorkingFileNames& names, const std::string& name);

inline constexpr const char* kChecksumLogName = "CS.LOG";
inline constexpr const char* kQsrLogName = "QSR.LOG";

// Removes the run's working files from the working folder: per data block the
// image's block files, MIM files (when the MIM conversion ran), BCB files and
// their length logs, then the address-info file, the checksum log, the checksum
// tool's log (kept as "<image>_QSR.LOG"), the three template files and the
// ".wbc" file. Each name is tested right before its removal; the first failure
// ends the routine and is passed on. No input file is ever removed or replaced.
void DeleteWorkingFiles(const DataContext& ctx);

// Removes what a stopped or crashed run on the same image can have left in the
// working folder: every working file above (MIM files and the checksum tool's
// log included, nothing kept) and the program's own temporary files. A file
// that cannot be removed raises msg::kLeftoverNotRemoved.
void RemoveLeftWorkingFiles(const DataContext& ctx, const WorkingFileNames& names);

}  // namespace xkm
