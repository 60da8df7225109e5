#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace xkm::fs {

// The rules by which a file system reads a path. Every path function takes the
// style, so that both rule sets can be checked on any machine; the system
// itself always uses the native one.
enum class PathStyle {
  Posix,    // "/" separates; "/..." is absolute
  Windows,  // "\" and "/" separate; "C:\...", "\\server\share\..." and "\\?\..." are absolute
};

#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::Windows;
inline constexpr char kSeparator = '\\';
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::Posix;
// The platform's path separator; the system joins folder and name with it.
inline constexpr char kSeparator = '/';
#endif

bool IsSeparator(char c, PathStyle style = kNativePathStyle);

// Where a path starts from.
enum class PathAnchor {
  Absolute,  // names the same file whatever the current folder is
  Relative,  // taken against a folder
  // Windows only: "C:name" (the current folder of drive C:) and "\name" (the
  // root of the current drive) depend on state that the run changes; refused.
  DriveDependent,
};
PathAnchor AnchorOf(std::string_view path, PathStyle style = kNativePathStyle);

// The folder part of a file path, as the file system sees it: "." for a bare
// name, and the root kept whole ("/", "C:\\").
std::string FolderOf(const std::string& path, PathStyle style = kNativePathStyle);

// Position of the last separator, or npos.
size_t LastSeparator(std::string_view path, PathStyle style = kNativePathStyle);

// `path` when absolute, else `folder` + separator + `path`. A drive-dependent
// path raises error 75, naming it: which file it means cannot be known.
std::string ResolvePath(const std::string& folder, const std::string& path,
                        PathStyle style = kNativePathStyle);

// Whether two file names name the same file in one folder: exact on POSIX,
// without regard to case on Windows.
bool SameFileName(std::string_view a, std::string_view b, PathStyle style = kNativePathStyle);

// Whether a Windows file name names a device in every folder: CON, PRN, AUX,
// NUL, COM1-9 and LPT1-9, with or without an extension, in any case.
bool IsDeviceName(std::string_view name);

// The last part of a path, after its last separator.
std::string FileNameOf(const std::string& path, PathStyle style = kNativePathStyle);

// Why `name` cannot be a plain file name inside a folder ("" when it can):
// a separator or "."/".." would lead elsewhere; on Windows also ":" (an
// alternate data stream or a drive), a device name (CON, PRN, AUX, NUL,
// COM1-9, LPT1-9, with any extension) and a trailing dot or blank, which the
// file system drops, so the file written is not the one named.
std::string FileNameFault(std::string_view name, PathStyle style = kNativePathStyle);

// std::filesystem paths from and to the system's UTF-8 text: never through
// the ANSI code page, which cannot hold every name.
std::filesystem::path NativePath(std::string_view utf8);
std::string Utf8Path(const std::filesystem::path& path);

// Splits a path at its last separator: `path` becomes the folder part (without
// the separator), `fileName` the rest. A path without a separator raises
// error 5.
void SplitPath(std::string& path, std::string& fileName);

}  // namespace xkm::fs
