#pragma once

#include <string>

namespace xkm::tools {

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
