#include "core/preview/preview_folder.h"

#include <filesystem>

#include "core/platform/os/file_system.h"
#include "core/platform/os/path.h"

namespace xkm {

std::string PrepareEmptyFolder(const std::string& folder) {
  namespace stdfs = std::filesystem;
  std::error_code error;
  const stdfs::path path = fs::NativePath(folder);
  if (!stdfs::exists(path, error)) {
    stdfs::create_directories(path, error);
    return error ? folder + ": the folder cannot be created (" + error.message() + ")" : "";
  }
  if (!stdfs::is_directory(path, error)) return folder + ": not a folder";
  if (!stdfs::is_empty(path, error) || error)
    return folder + ": the folder is not empty; a preview overwrites nothing";
  return {};
}

void WritePreviewFiles(const std::string& folder, const std::vector<PreviewFile>& files) {
  for (const PreviewFile& file : files)
    fs::WriteFileAtomic(folder + fs::kSeparator + file.name, file.bytes);
}

}  // namespace xkm
