#include "core/platform/file_system.h"

#include <filesystem>
#include <system_error>

namespace xkm::fs {

void CopyFile(const std::string& from, const std::string& to) {
  WriteFileAtomic(to, ReadAllBytes(from));
}

std::string CurrentFolder() {
  std::error_code ec;
  std::filesystem::path current = std::filesystem::current_path(ec);
  return ec ? std::string() : Utf8Path(current);
}

bool SetCurrentFolder(const std::string& folder) {
  // Splitting "C:\ecu.hex" at its last separator leaves "C:", which alone
  // would mean drive C's current folder; the folder meant is the root.
  const bool bareDrive = kNativePathStyle == PathStyle::Windows && folder.size() == 2 &&
                         folder[1] == ':' && AnchorOf(folder) == PathAnchor::DriveDependent;
  std::error_code ec;
  std::filesystem::current_path(NativePath(bareDrive ? folder + kSeparator : folder), ec);
  return !ec;
}

std::string MakeAbsolute(const std::string& path) {
  if (path.empty() || AnchorOf(path) == PathAnchor::Absolute) return path;
  return ResolvePath(CurrentFolder(), path);
}

}  // namespace xkm::fs
