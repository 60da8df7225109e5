#pragma once

#include <cstddef>

#include "core/a2l/a2l_scan.h"
#include "core/session/data_context.h"

namespace xkm {

// Reads the facts of the A2L file named by ConfigTable's A2LFILE and appends
// them to the session tables: the SGIDB1/SGIDB3 addresses, ADRESSEPK, EPK and
// ECU to DataTable, every system constant of the module parameter section to
// SysConstTable and every one-line memory segment to MemorySegmentTable.
// Raises msg::kNoSystemConstantsInA2l without "/begin MOD_PAR", kNoEcuInA2l
// unless the section names exactly one ECU, error 5 for an "/end MOD_PAR" that
// is missing or comes first, and the file system's error for a file that
// cannot be read. Rows appended before a failure stay. The file is read once,
// in chunks of `chunkSize` bytes, in memory that does not grow with the file.
void ReadA2LData(DataContext& ctx, size_t chunkSize = a2l::A2lScanner::kDefaultChunkSize);

// Appends what the patterns found, as ReadA2LData does, with its failures.
void StoreA2LFacts(DataContext& ctx, const a2l::A2lMatches& found);

// CPU_TYPE "2" when the one system constant SY_ST10 holds a number of at
// least 5, else "1".
void SetCpuType(DataContext& ctx);

}  // namespace xkm
