#pragma once

#include <filesystem>
#include <string>

namespace xkm::tools {

// Paths are UTF-8 text inside the tools; the file system gets them as it
// spells names (UTF-16 on Windows).
std::filesystem::path NativePath(const std::string& utf8);
std::string Utf8Path(const std::filesystem::path& path);

// Whole file as bytes; ToolError (exit 2) when it cannot be read.
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
// Writes a temporary file in the target's folder and renames it over the
// target, so a reader never sees a half-written file.
void WriteFileAtomic(const std::string& path, const std::string& bytes);
// Removes a regular file if there is one; a stale output must not pass for a
// fresh one after a failed run.
void RemoveIfExists(const std::string& path);
// Folder part of a path ("." when it has none).
std::string FolderOf(const std::string& path);

}  // namespace xkm::tools
