#include "core/platform/os/file_system.h"

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

std::string MakeAbsolute(const std::string& path) {
  if (path.empty() || AnchorOf(path) == PathAnchor::Absolute) return path;
  return ResolvePath(CurrentFolder(), path);
}

}  // namespace xkm::fs
