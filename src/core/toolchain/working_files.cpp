#include "core/toolchain/working_files.h"

#include <string>

#include "core/platform/os/file_system.h"
#include "core/platform/text/text_pieces.h"
#include "core/toolchain/run_files.h"

namespace xkm {
namespace {

void RemoveIfPresent(const DataContext& ctx, const std::string& path) {
  CheckNotAnInput(ctx, path);
  if (fs::FileExists(path)) fs::DeleteFile(path);
}

std::string Numbered(const std::string& prefix, int32_t block, const char* suffix) {
  return prefix + std::to_string(block) + suffix;
}

}  // namespace

WorkingFileNames WorkingFileNamesOf(const Session& session) {
  const PreparedRun& run = session.prepared;
  return {run.folder,
          run.hexName,
          run.hexStem,
          run.blockCount,
          {run.qsrScript, run.hexInfoFile, ValueAsReadBack(session.writtenControlFile)}};
}

std::string InFolder(const WorkingFileNames& names, const std::string& name) {
  return names.folder + fs::kSeparator + name;
}
std::string BlockFile(const WorkingFileNames& names, int32_t block) {
  return InFolder(names, Numbered(names.hexName + "_blk_", block, ""));
}
std::string MimFile(const WorkingFileNames& names, int32_t block) {
  return BlockFile(names, block) + "_mim";
}
std::string BcbFile(const WorkingFileNames& names, int32_t block) {
  return InFolder(names, Numbered(names.hexStem + "_", block, ".bcb"));
}
std::string LengthLog(const WorkingFileNames& names, int32_t block) {
  return InFolder(names, Numbered(names.hexStem + "_", block, "_bcb.log"));
}

void DeleteWorkingFiles(const DataContext& ctx) {
  const WorkingFileNames names = WorkingFileNamesOf(ctx.session);
  const bool mimConverted = ctx.session.prepared.mimConversion;
  for (int32_t i = 1; i <= names.blockCount; ++i) {
    RemoveIfPresent(ctx, BlockFile(names, i));
    if (mimConverted) RemoveIfPresent(ctx, MimFile(names, i));
    RemoveIfPresent(ctx, BcbFile(names, i));
    RemoveIfPresent(ctx, LengthLog(names, i));
  }
  RemoveIfPresent(ctx, InFolder(names, names.hexName + "_HEXINFO"));
  RemoveIfPresent(ctx, InFolder(names, kChecksumLogName));
  const std::string qsrLog = InFolder(names, kQsrLogName);
  if (fs::FileExists(qsrLog)) {
    const std::string kept = InFolder(names, names.hexStem + "_QSR.LOG");
    WriteRunFile(ctx, kept, fs::ReadAllBytes(qsrLog, fs::Links::Refuse));
    RemoveIfPresent(ctx, qsrLog);
  }
  for (const std::string& name : names.templates)
    if (!IsBlank(name)) RemoveIfPresent(ctx, InFolder(names, name));
  RemoveIfPresent(ctx, InFolder(names, names.hexStem + ".wbc"));
}

void RemoveLeftWorkingFiles(const DataContext& ctx, const WorkingFileNames& names) {
  for (int32_t i = 1; i <= names.blockCount; ++i)
    for (const std::string& path :
         {BlockFile(names, i), MimFile(names, i), BcbFile(names, i), LengthLog(names, i)})
      RemoveLeftover(ctx, path);
  for (const std::string& name : {names.hexName + "_HEXINFO", std::string(kChecksumLogName),
                                  std::string(kQsrLogName), names.hexStem + ".wbc"})
    RemoveLeftover(ctx, InFolder(names, name));
  for (const std::string& name : names.templates)
    if (!IsBlank(name)) RemoveLeftover(ctx, InFolder(names, name));
  for (const std::string& name : fs::ListFiles(names.folder))
    if (name.starts_with(fs::kTemporaryPrefix)) RemoveLeftover(ctx, InFolder(names, name));
}

}  // namespace xkm
