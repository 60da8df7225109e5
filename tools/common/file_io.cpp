#include "common/file_io.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include "common/text.h"
#include "common/tool_error.h"

namespace xkm::tools {

namespace stdfs = std::filesystem;

namespace {

// A name in `folder` that no file has yet. 64 random bits make a clash with
// another writer practically impossible. The prefix is xkmtool's own for its
// temporary files, so that one left by a killed tool goes at the next run's
// start like xkmtool's.
stdfs::path UnusedTempName(const std::string& folder) {
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::uint64_t tag = (std::uint64_t{random()} << 32) ^ random();
    stdfs::path candidate = NativePath(folder) / (".xkm-tmp-" + FormatHex(tag, 16));
    std::error_code error;
    if (!stdfs::exists(candidate, error) && !error) return candidate;
  }
  throw ToolError("cannot find a free temporary file name in " + folder);
}

// Removes the file when it goes, unless it was handed on.
class TempFile {
 public:
  explicit TempFile(stdfs::path path) : path_(std::move(path)) {}
  ~TempFile() {
    std::error_code error;
    if (!path_.empty()) stdfs::remove(path_, error);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const stdfs::path& path() const { return path_; }
  void release() { path_.clear(); }

 private:
  stdfs::path path_;
};

}  // namespace

stdfs::path NativePath(const std::string& utf8) {
  return stdfs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Path(const stdfs::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

std::string ReadFileBytes(const std::string& path) {
  std::error_code error;
  if (!stdfs::is_regular_file(NativePath(path), error))
    throw ToolError("cannot read " + path + ": no such file");
  std::ifstream in(NativePath(path), std::ios::binary);
  if (!in) throw ToolError("cannot read " + path + ": " + std::strerror(errno));
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw ToolError("cannot read " + path);
  return bytes;
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return stdfs::is_regular_file(NativePath(path), error);
}

void WriteFileAtomic(const std::string& path, const std::string& bytes) {
  TempFile temp(UnusedTempName(FolderOf(path)));
  {
    std::ofstream out(temp.path(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw ToolError("cannot write " + path);
  }
  std::error_code error;
  stdfs::rename(temp.path(), NativePath(path), error);
  if (error) throw ToolError("cannot write " + path + ": " + error.message());
  temp.release();
}

void RemoveIfExists(const std::string& path) {
  std::error_code error;
  if (stdfs::is_regular_file(NativePath(path), error)) stdfs::remove(NativePath(path), error);
}

std::string FolderOf(const std::string& path) {
  const std::string folder = Utf8Path(NativePath(path).parent_path());
  return folder.empty() ? "." : folder;
}

}  // namespace xkm::tools
