#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "common/tool_error.h"

namespace xkm::tools {

namespace stdfs = std::filesystem;

std::string ReadFileBytes(const std::string& path) {
  std::error_code error;
  if (!stdfs::is_regular_file(path, error))
    throw ToolError("cannot read " + path + ": no such file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ToolError("cannot read " + path + ": " + std::strerror(errno));
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw ToolError("cannot read " + path);
  return bytes;
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return stdfs::is_regular_file(path, error);
}

void WriteFileAtomic(const std::string& path, const std::string& bytes) {
  TempFile temp(FolderOf(path));
  const int fd = ::open(temp.path().c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) throw ToolError("cannot write " + path + ": " + std::strerror(errno));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int savedErrno = errno;
      ::close(fd);
      throw ToolError("cannot write " + path + ": " + std::strerror(savedErrno));
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) throw ToolError("cannot write " + path + ": " + std::strerror(errno));
  ::chmod(temp.path().c_str(), 0644);
  if (std::rename(temp.path().c_str(), path.c_str()) != 0) {
    throw ToolError("cannot write " + path + ": " + std::strerror(errno));
  }
  temp.release();
}

void RemoveIfExists(const std::string& path) {
  std::error_code error;
  if (stdfs::is_regular_file(path, error)) stdfs::remove(path, error);
}

std::string FolderOf(const std::string& path) {
  const std::string folder = stdfs::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

TempFile::TempFile(const std::string& folder) {
  const std::string base = folder.empty() ? stdfs::temp_directory_path().string() : folder;
  std::vector<char> pattern(base.begin(), base.end());
  const std::string tail = "/.xkmtool-XXXXXX";
  pattern.insert(pattern.end(), tail.begin(), tail.end());
  pattern.push_back('\0');
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0)
    throw ToolError("cannot create a temporary file in " + base + ": " + std::strerror(errno));
  ::close(fd);
  path_ = pattern.data();
}

TempFile::~TempFile() {
  if (!path_.empty()) ::unlink(path_.c_str());
}

}  // namespace xkm::tools
