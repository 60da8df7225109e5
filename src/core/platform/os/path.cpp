#include "core/platform/os/path.h"

#include <array>

#include "core/platform/error.h"
#include "core/platform/text/ascii_text.h"
#include "core/platform/text/letter_case.h"

namespace xkm::fs {
namespace {

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool HasDrive(std::string_view path) {
  return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':';
}

}  // namespace

bool IsDeviceName(std::string_view name) {
  std::string stem;
  for (char c : name.substr(0, name.find('.'))) stem += ToUpperAscii(c);
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  static constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
  for (std::string_view device : kDevices)
    if (stem == device) return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

std::string FileNameOf(const std::string& path, PathStyle style) {
  const size_t separator = LastSeparator(path, style);
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

bool IsSeparator(char c, PathStyle style) {
  return c == '/' || (style == PathStyle::Windows && c == '\\');
}

PathAnchor AnchorOf(std::string_view path, PathStyle style) {
  if (style == PathStyle::Posix)
    return path.starts_with('/') ? PathAnchor::Absolute : PathAnchor::Relative;
  if (HasDrive(path))
    return path.size() >= 3 && IsSeparator(path[2], style) ? PathAnchor::Absolute
                                                           : PathAnchor::DriveDependent;
  if (path.size() >= 2 && IsSeparator(path[0], style) && IsSeparator(path[1], style))
    return PathAnchor::Absolute;  // \\server\share\..., \\?\... and \\.\...
  if (!path.empty() && IsSeparator(path[0], style)) return PathAnchor::DriveDependent;
  return PathAnchor::Relative;
}

size_t LastSeparator(std::string_view path, PathStyle style) {
  for (size_t i = path.size(); i-- > 0;)
    if (IsSeparator(path[i], style)) return i;
  return std::string_view::npos;
}

std::string ResolvePath(const std::string& folder, const std::string& path, PathStyle style) {
  switch (AnchorOf(path, style)) {
    case PathAnchor::Absolute:
      return path;
    case PathAnchor::DriveDependent:
      throw Error(platform_error::kPathFileAccess,
                  "Path/File access error: " + path + " depends on a drive's current folder",
                  "ResolvePath");
    case PathAnchor::Relative:
      break;
  }
  if (path.empty()) return path;
  const char separator = style == PathStyle::Windows ? '\\' : '/';
  if (!folder.empty() && IsSeparator(folder.back(), style)) return folder + path;
  return folder + separator + path;
}

bool SameFileName(std::string_view a, std::string_view b, PathStyle style) {
  return style == PathStyle::Windows ? EqualsIgnoringCase(a, b) : a == b;
}

std::string FileNameFault(std::string_view name, PathStyle style) {
  if (name == "." || name == "..") return "holds a path separator";
  for (char c : name)
    if (IsSeparator(c, style)) return "holds a path separator";
  if (style == PathStyle::Posix) return {};
  if (name.find(':') != std::string_view::npos) return "holds a colon";
  if (IsDeviceName(name)) return "names a device";
  if (!name.empty() && (name.back() == '.' || name.back() == ' '))
    return "ends with a dot or blank";
  return {};
}

std::filesystem::path NativePath(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Path(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string FolderOf(const std::string& path, PathStyle style) {
  const size_t separator = LastSeparator(path, style);
  if (separator == std::string::npos) return ".";
  const bool root = separator == 0 || (style == PathStyle::Windows && path[separator - 1] == ':');
  return path.substr(0, separator + (root ? 1 : 0));
}

void SplitPath(std::string& path, std::string& fileName) {
  size_t separator = LastSeparator(path);
  if (separator == std::string::npos) throw platform_error::InvalidProcedureCall("SplitPath");
  fileName = path.substr(separator + 1);
  path.resize(separator);
}

}  // namespace xkm::fs
