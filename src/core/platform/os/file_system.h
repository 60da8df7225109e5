#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/os/path.h"

namespace xkm::fs {

bool FileExists(const std::string& path);    // a regular file (or a link to one)
bool FolderExists(const std::string& path);  // a folder (or a link to one)

// Whether a read goes through a link at the path. Files that tools leave in a
// shared folder are read with Refuse: a link planted there, symbolic or hard
// (a file with more than one name), could make the run copy a private file
// elsewhere into the folder.
enum class Links { Follow, Refuse };

// The whole file as bytes. Throws Error 53 when it does not exist, another
// numbered Error when it cannot be read, and with Links::Refuse error 75
// when the path names a link, a file with more than one name or anything but
// a regular file.
std::string ReadAllBytes(const std::string& path, Links links = Links::Follow);

// A file read once from start to end, in pieces. The operating system is told
// so, and reads ahead (Linux: POSIX_FADV_SEQUENTIAL; Windows: the file is
// opened with FILE_FLAG_SEQUENTIAL_SCAN).
class SequentialFile {
 public:
  // Throws Error 53 when the file does not exist, another numbered Error when
  // it cannot be opened.
  explicit SequentialFile(const std::string& path);
  ~SequentialFile();
  SequentialFile(const SequentialFile&) = delete;
  SequentialFile& operator=(const SequentialFile&) = delete;

  // Fills `data` with up to `length` next bytes; 0 at the end of the file.
  // Throws a numbered Error when the file cannot be read.
  size_t read(char* data, size_t length);

 private:
  std::string path_;
  intptr_t native_;  // a descriptor, or on Windows a HANDLE
};

// How the temporary files of WriteFileAtomic begin; one left by a program
// that was killed while writing is stale.
inline constexpr const char* kTemporaryPrefix = ".xkm-tmp-";

// Writes the bytes under `path`, replacing an existing file atomically: the
// bytes go to a temporary file in the same folder, which is then renamed.
// On failure nothing is left under `path` that was not there before, and the
// temporary file is removed. Throws a numbered Error.
void WriteFileAtomic(const std::string& path, const std::string& bytes);

// What a name stands for, links followed. A Stream is written where it
// is (a character device such as /dev/null or NUL, a FIFO or pipe); Other
// is anything else that is neither a file nor a folder (a block device, a
// socket).
enum class NodeKind { Missing, File, Folder, Stream, Other };
NodeKind KindOf(const std::string& path);

// Whether anything, a dangling link included, lies at the name.
bool AnythingAt(const std::string& path);

// Whether `path` names this program's own standard output or error (as
// /dev/stdout does), whatever that is: a terminal, a pipe or a file.
bool NamesOwnStandardStream(const std::string& path);

// Writes the bytes into the Stream at `path`, or this program's own standard
// stream it names, as it is (opened, never made, replaced or truncated; a
// file is appended to). Throws a numbered Error, also when `path` now names
// another regular file or a folder.
void WriteIntoStream(const std::string& path, const std::string& bytes);

// Removes a file, read-only or not. Throws a numbered Error on failure.
void DeleteFile(const std::string& path);

// Renames `from` to `to`, never replacing a file: when `to` exists (or
// appears meanwhile) raises error 58 "File already exists: <to>" and leaves
// both files as they are. Other failures raise the file-system error.
void RenameWithoutReplacing(const std::string& from, const std::string& to);

// Renames `from` to `to`, replacing a file there in one step. Throws a
// numbered Error.
void MoveReplacing(const std::string& from, const std::string& to);

// Which file a path names (the device or volume and the file's number there)
// and how it was last written, without reading it.
struct FileStamp {
  uint64_t volume = 0;
  uint64_t file = 0;
  uint64_t size = 0;
  int64_t modified = 0;  // in the system's own unit
  bool sameFileAs(const FileStamp& other) const {
    return volume == other.volume && file == other.file;
  }
  bool operator==(const FileStamp&) const = default;
};

// The stamp of the regular file at `path` (links followed); nothing when
// there is none or it cannot be looked at.
[[nodiscard]] std::optional<FileStamp> StampOf(const std::string& path);

// Copies a file, replacing the target atomically. Throws a numbered Error.
void CopyFile(const std::string& from, const std::string& to);

// Names (not paths) of the regular files directly in a folder, in the order the
// file system lists them. Throws a numbered Error when it cannot be listed.
std::vector<std::string> ListFiles(const std::string& folder);

std::string CurrentFolder();

// `path` made absolute against the current folder (lexically; nothing
// resolved). A drive-dependent path raises the error of ResolvePath.
std::string MakeAbsolute(const std::string& path);

// The real path of the running executable.
std::string ExecutablePath();

}  // namespace xkm::fs
