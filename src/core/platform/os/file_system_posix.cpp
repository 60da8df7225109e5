#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/os/unique_fd.h"

namespace xkm::fs {
namespace {

constexpr const char* kSource = "FileSystem";

void WriteAll(int fd, const std::string& bytes, const std::string& path) {
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw platform_error::FileSystem(errno, path, kSource);
    }
    written += static_cast<size_t>(n);
  }
}

// Buffers from this size on are asked for in 2 MB pages: reading a large file
// into 4 KB pages costs one page fault per page and many TLB misses.
constexpr size_t kLargeBuffer = size_t(2) << 20;

void AdviseLargePages(char* data, size_t length) {
  const size_t pageSize = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  const size_t intoPage = reinterpret_cast<uintptr_t>(data) % pageSize;
  const size_t skip = intoPage == 0 ? 0 : pageSize - intoPage;
  if (length > skip) ::madvise(data + skip, length - skip, MADV_HUGEPAGE);
}

// Reads until `length` bytes are there or the file ends; returns the count.
size_t ReadInto(int fd, char* data, size_t length, const std::string& path) {
  size_t filled = 0;
  while (filled < length) {
    ssize_t n = ::read(fd, data + filled, length - filled);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw platform_error::FileSystem(errno, path, kSource);
    }
    if (n == 0) break;
    filled += static_cast<size_t>(n);
  }
  return filled;
}

bool IsStandardStream(const struct stat& file) {
  for (int stream : {STDOUT_FILENO, STDERR_FILENO}) {
    struct stat own {};
    if (::fstat(stream, &own) == 0 && own.st_dev == file.st_dev && own.st_ino == file.st_ino)
      return true;
  }
  return false;
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string ReadAllBytes(const std::string& path, Links links) {
  const bool refuse = links == Links::Refuse;
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | (refuse ? O_NOFOLLOW | O_NONBLOCK : 0)));
  if (fd.get() < 0) {
    if (refuse && errno == ELOOP) throw platform_error::NotARegularFile(path, kSource);
    throw platform_error::FileSystem(errno, path, kSource);
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) throw platform_error::FileSystem(errno, path, kSource);
  if (refuse && (!S_ISREG(info.st_mode) || info.st_nlink > 1))
    throw platform_error::NotARegularFile(path, kSource);
  std::string bytes;
  const size_t size = static_cast<size_t>(info.st_size);
  if (size >= kLargeBuffer) {
    bytes.reserve(size);
    AdviseLargePages(bytes.data(), bytes.capacity());
  }
  bytes.resize(size);
  size_t filled = ReadInto(fd.get(), bytes.data(), bytes.size(), path);
  bytes.resize(filled);
  // A file that grew since fstat (or reports no size): the rest in pieces,
  // so that the buffer above never has to move.
  char more[65536];
  while (size_t n = ReadInto(fd.get(), more, sizeof more, path)) bytes.append(more, n);
  return bytes;
}

SequentialFile::SequentialFile(const std::string& path)
    : path_(path), native_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
  const int fd = static_cast<int>(native_);
  if (fd < 0) throw platform_error::FileSystem(errno, path, kSource);
  struct stat info {};
  const int error = ::fstat(fd, &info) != 0 ? errno : S_ISDIR(info.st_mode) ? EISDIR : 0;
  if (error != 0) {
    ::close(fd);
    throw platform_error::FileSystem(error, path, kSource);
  }
  // Only a hint: a file system that ignores it reads just as well.
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

SequentialFile::~SequentialFile() {
  ::close(static_cast<int>(native_));
}

size_t SequentialFile::read(char* data, size_t length) {
  for (;;) {
    const ssize_t n = ::read(static_cast<int>(native_), data, length);
    if (n >= 0) return static_cast<size_t>(n);
    if (errno != EINTR) throw platform_error::FileSystem(errno, path_, kSource);
  }
}

void WriteFileAtomic(const std::string& path, const std::string& bytes) {
  std::string temporary = FolderOf(path) + kSeparator + kTemporaryPrefix + "XXXXXX";
  UniqueFd fd(::mkstemp(temporary.data()));
  if (fd.get() < 0) throw platform_error::FileSystem(errno, path, kSource);
  try {
    WriteAll(fd.get(), bytes, path);
    if (::fsync(fd.get()) != 0) throw platform_error::FileSystem(errno, path, kSource);
    // mkstemp creates the file for the owner only; give it the usual mode.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd.get(), 0666 & ~mask);
    if (::close(fd.release()) != 0) throw platform_error::FileSystem(errno, path, kSource);
    if (::rename(temporary.c_str(), path.c_str()) != 0)
      throw platform_error::FileSystem(errno, path, kSource);
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
}

void DeleteFile(const std::string& path) {
  // Unlinking needs no write permission on the file itself, so read-only files go too.
  if (::unlink(path.c_str()) != 0) throw platform_error::FileSystem(errno, path, kSource);
}

void RenameWithoutReplacing(const std::string& from, const std::string& to) {
  // A hard link never replaces an existing file, so a file that appears under
  // the target name meanwhile is not lost either.
  if (::link(from.c_str(), to.c_str()) != 0) {
    if (errno == EEXIST)
      throw Error(platform_error::kFileAlreadyExists, "File already exists: " + to,
                  "RenameWithoutReplacing");
    throw platform_error::FileSystem(errno, to, kSource);
  }
  if (::unlink(from.c_str()) != 0) throw platform_error::FileSystem(errno, from, kSource);
}

NodeKind KindOf(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return NodeKind::Missing;
  if (S_ISREG(info.st_mode)) return NodeKind::File;
  if (S_ISDIR(info.st_mode)) return NodeKind::Folder;
  if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)) return NodeKind::Stream;
  return NodeKind::Other;
}

bool AnythingAt(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::lstat(path.c_str(), &info) == 0;
}

bool NamesOwnStandardStream(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && IsStandardStream(info);
}

void WriteIntoStream(const std::string& path, const std::string& bytes) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY));
  if (fd.get() < 0) throw platform_error::FileSystem(errno, path, kSource);
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) throw platform_error::FileSystem(errno, path, kSource);
  // Replaced by a file meanwhile: writing would go through another's file.
  if (!S_ISCHR(info.st_mode) && !S_ISFIFO(info.st_mode) && !IsStandardStream(info))
    throw Error(platform_error::kPathFileAccess, "Not written, no longer a device: " + path,
                kSource);
  WriteAll(fd.get(), bytes, path);
}

bool FolderExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void MoveReplacing(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) throw platform_error::FileSystem(errno, to, kSource);
}

std::optional<FileStamp> StampOf(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return std::nullopt;
  return FileStamp{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
                   static_cast<uint64_t>(info.st_size),
                   static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

std::vector<std::string> ListFiles(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) throw platform_error::FileSystem(errno, folder, kSource);
  std::vector<std::string> names;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (FileExists(folder + "/" + name)) names.push_back(std::move(name));
  }
  ::closedir(dir);
  return names;
}

std::string ExecutablePath() {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", ec);
  return ec ? std::string() : self.string();
}

}  // namespace xkm::fs
