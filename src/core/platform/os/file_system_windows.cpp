#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/os/win32_support.h"

// windows.h names its A/W variants with macros that clash with ours.
#undef DeleteFile
#undef CopyFile

namespace xkm::fs {
namespace {

constexpr const char* kSource = "FileSystem";

using win32::Handle;

Error LastError(const std::string& path) {
  return win32::FileError(::GetLastError(), path, kSource);
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Opened for reading, shared with writers and deleters as a POSIX open is.
HANDLE OpenForReading(const std::string& path, DWORD flags) {
  const std::wstring wide = win32::Wide(path);
  if (IsFolder(wide)) throw platform_error::FileSystem(EISDIR, path, kSource);
  HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw LastError(path);
  return handle;
}

// Reads until `length` bytes are there or the file ends; returns the count.
size_t ReadInto(HANDLE handle, char* data, size_t length, const std::string& path) {
  size_t filled = 0;
  while (filled < length) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(length - filled, 1u << 30));
    if (!::ReadFile(handle, data + filled, want, &got, nullptr)) throw LastError(path);
    if (got == 0) break;
    filled += got;
  }
  return filled;
}

// A name of our own in `folder` that nobody else uses at this moment.
std::wstring TemporaryName(const std::string& folder, unsigned attempt) {
  static std::atomic<unsigned> counter{0};
  std::string name = kTemporaryPrefix + std::to_string(::GetCurrentProcessId()) + "-" +
                     std::to_string(counter++) + "-" + std::to_string(attempt);
  return win32::Wide(ResolvePath(folder, name));
}

void WriteAll(HANDLE handle, const std::string& bytes, const std::string& path) {
  size_t written = 0;
  while (written < bytes.size()) {
    DWORD done = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 30));
    if (!::WriteFile(handle, bytes.data() + written, chunk, &done, nullptr)) throw LastError(path);
    written += done;
  }
}

// A file with more than one name: a hard link to a file elsewhere.
bool HasOtherNames(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  return ::GetFileInformationByHandle(file, &info) && info.nNumberOfLinks > 1;
}

// A device name in every folder ("NUL", "con.txt") or the device namespace
// ("\\\\.\\pipe\\report").
bool NamesADevice(const std::string& path) {
  return path.starts_with("\\\\.\\") || IsDeviceName(FileNameOf(path));
}

}  // namespace

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(win32::Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string ReadAllBytes(const std::string& path, Links links) {
  const bool refuse = links == Links::Refuse;
  Handle file(OpenForReading(
      path, FILE_ATTRIBUTE_NORMAL | (refuse ? DWORD{FILE_FLAG_OPEN_REPARSE_POINT} : 0)));
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (refuse &&
      (::GetFileType(file.get()) != FILE_TYPE_DISK ||
       (::GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &tag, sizeof tag) &&
        (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) ||
       HasOtherNames(file.get())))
    throw platform_error::NotARegularFile(path, kSource);
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) throw LastError(path);
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  bytes.resize(ReadInto(file.get(), bytes.data(), bytes.size(), path));
  // A file that grew since its size was taken: the rest in pieces.
  char more[65536];
  while (size_t n = ReadInto(file.get(), more, sizeof more, path)) bytes.append(more, n);
  return bytes;
}

SequentialFile::SequentialFile(const std::string& path)
    : path_(path),
      native_(reinterpret_cast<intptr_t>(OpenForReading(path, FILE_FLAG_SEQUENTIAL_SCAN))) {}

SequentialFile::~SequentialFile() {
  ::CloseHandle(win32::AsHandle(native_));
}

size_t SequentialFile::read(char* data, size_t length) {
  DWORD got = 0;
  const DWORD want = static_cast<DWORD>(std::min<size_t>(length, 1u << 30));
  if (!::ReadFile(win32::AsHandle(native_), data, want, &got, nullptr)) throw LastError(path_);
  return got;
}

void WriteFileAtomic(const std::string& path, const std::string& bytes) {
  const std::string folder = FolderOf(path);
  std::wstring temporary;
  HANDLE created = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; created == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = TemporaryName(folder, attempt);
    // Not inheritable: a tool started meanwhile must not keep it open.
    created = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE &&
        (::GetLastError() != ERROR_FILE_EXISTS || attempt >= 100))
      throw LastError(path);
  }
  Handle file(created);
  try {
    WriteAll(file.get(), bytes, path);
    if (!::FlushFileBuffers(file.get())) throw LastError(path);
    if (!file.close()) throw LastError(path);
    if (!::MoveFileExW(temporary.c_str(), win32::Wide(path).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      throw LastError(path);
  } catch (...) {
    file.reset();
    ::DeleteFileW(temporary.c_str());
    throw;
  }
}

void DeleteFile(const std::string& path) {
  const std::wstring wide = win32::Wide(path);
  if (::DeleteFileW(wide.c_str())) return;
  DWORD error = ::GetLastError();
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  // A read-only file goes too, as on POSIX: its attribute is cleared first
  // (and set again when the file still cannot be removed).
  if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
      ::SetFileAttributesW(wide.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY})) {
    if (::DeleteFileW(wide.c_str())) return;
    error = ::GetLastError();
    ::SetFileAttributesW(wide.c_str(), attributes);
  }
  throw win32::FileError(error, path, kSource);
}

void RenameWithoutReplacing(const std::string& from, const std::string& to) {
  if (::MoveFileExW(win32::Wide(from).c_str(), win32::Wide(to).c_str(), MOVEFILE_WRITE_THROUGH))
    return;
  const DWORD error = ::GetLastError();
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
    throw Error(platform_error::kFileAlreadyExists, "File already exists: " + to,
                "RenameWithoutReplacing");
  throw win32::FileError(error, to, kSource);
}

NodeKind KindOf(const std::string& path) {
  if (path.empty()) return NodeKind::Missing;
  if (NamesADevice(path)) return NodeKind::Stream;
  const DWORD attributes = ::GetFileAttributesW(win32::Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return NodeKind::Missing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? NodeKind::Folder : NodeKind::File;
}

bool AnythingAt(const std::string& path) {
  return !path.empty() &&
         ::GetFileAttributesW(win32::Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Windows names its standard streams by device ("CON"), never by a file's
// path.
bool NamesOwnStandardStream(const std::string&) {
  return false;
}

void WriteIntoStream(const std::string& path, const std::string& bytes) {
  Handle stream(::CreateFileW(win32::Wide(path).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!stream.valid()) throw LastError(path);
  // Replaced by a file meanwhile: writing would go through another's file.
  if (::GetFileType(stream.get()) == FILE_TYPE_DISK)
    throw Error(platform_error::kPathFileAccess, "Not written, no longer a device: " + path,
                kSource);
  WriteAll(stream.get(), bytes, path);
}

bool FolderExists(const std::string& path) {
  return !path.empty() && IsFolder(win32::Wide(path));
}

void MoveReplacing(const std::string& from, const std::string& to) {
  if (!::MoveFileExW(win32::Wide(from).c_str(), win32::Wide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    throw LastError(to);
}

std::optional<FileStamp> StampOf(const std::string& path) {
  if (path.empty()) return std::nullopt;
  // Attributes only, shared with everyone: looking must not disturb a writer.
  Handle file(::CreateFileW(win32::Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file.valid() || !::GetFileInformationByHandle(file.get(), &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return std::nullopt;
  const auto wide = [](DWORD high, DWORD low) { return (uint64_t{high} << 32) | low; };
  return FileStamp{info.dwVolumeSerialNumber, wide(info.nFileIndexHigh, info.nFileIndexLow),
                   wide(info.nFileSizeHigh, info.nFileSizeLow),
                   static_cast<int64_t>(wide(info.ftLastWriteTime.dwHighDateTime,
                                             info.ftLastWriteTime.dwLowDateTime))};
}

std::vector<std::string> ListFiles(const std::string& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileExW(win32::Wide(ResolvePath(folder, "*")).c_str(), FindExInfoBasic,
                                     &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return {};  // an empty drive root has no "." entries
    throw win32::FileError(error, folder, kSource);
  }
  std::vector<std::string> names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      names.push_back(win32::Utf8(found.cFileName));
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

std::string ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return win32::Utf8(path);
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace xkm::fs
