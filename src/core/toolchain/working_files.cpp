#include "core/toolchain/working_files.h"

#include <string>

#include "core/platform/file_system.h"
#include "core/session/conversions.h"
#include "core/session/utilities.h"

namespace xkm {
namespace {

void RemoveIfPresent(const std::string& path) {
  if (fs::FileExists(path)) fs::DeleteFile(path);
}

}  // namespace

void DeleteWorkingFiles(const Session& session) {
  const SessionTable& config = session.ConfigTable;
  const std::string folder = ReadValue(config, "PFADZIELABLAGE", 1);
  const std::string hexName = ReadValue(config, "HEXFILESHORT", 1);
  const int32_t blockCount = ToLong(ReadValue(config, "DATABLOCK_COUNT", 1));
  const bool mimConverted = ReadValue(config, "MIM_CONVERSION_YES_NO", 1) == "1";
  const std::string qsrTemplate = ReadValue(config, "QSR_TEMPLATE", 1);
  const std::string addressInfoTemplate = ReadValue(config, "QSR_ADRESSINFO_TEMPLATE", 1);
  const std::string hexStem = ReadValue(config, "HEXFILESHORT_WITHOUT_EXTENSION", 1);
  const std::string brakelTemplate = ReadValue(config, "BSL_TEMPLATE", 1);

  const std::string base = folder + fs::kSeparator;
  for (int32_t i = 1; i <= blockCount; ++i) {
    const std::string block = std::to_string(i);
    RemoveIfPresent(base + hexName + "_blk_" + block);
    if (mimConverted) RemoveIfPresent(base + hexName + "_blk_" + block + "_mim");
    RemoveIfPresent(base + hexStem + "_" + block + ".bcb");
    RemoveIfPresent(base + hexStem + "_" + block + "_bcb.log");
  }
  RemoveIfPresent(base + hexName + "_HEXINFO");
  RemoveIfPresent(base + "CS.LOG");
  const std::string qsrLog = base + "QSR.LOG";
  if (fs::FileExists(qsrLog)) {
    fs::CopyFile(qsrLog, base + hexStem + "_QSR.LOG");
    fs::DeleteFile(qsrLog);
  }
  for (const std::string* name : {&qsrTemplate, &addressInfoTemplate, &brakelTemplate})
    if (!IsBlank(*name)) RemoveIfPresent(base + *name);
  RemoveIfPresent(base + hexStem + ".wbc");
}

}  // namespace xkm
