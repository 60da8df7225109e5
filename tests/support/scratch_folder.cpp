#include "support/scratch_folder.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "core/platform/os/path.h"
#include "core/platform/os/system_info.h"

namespace xkm::test {

ScratchFolder::ScratchFolder() {
  // Named by process and count, so that no name is left to chance; one left
  // behind by an earlier process of the same id is passed over.
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path temporary = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::filesystem::path candidate =
        temporary / ("xkmtest-" + std::to_string(ProcessId()) + "-" + std::to_string(counter++));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate.string();
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch folder");
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  // Make read-only content removable first.
  for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec)) {
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string ScratchFolder::file(const std::string& name) const {
  // Written with "/" in the tests, spelled as the system spells paths it builds.
  std::string native = name;
  std::replace(native.begin(), native.end(), '/', fs::kSeparator);
  return path_ + fs::kSeparator + native;
}

std::string ScratchFolder::write(const std::string& name, const std::string& bytes) const {
  std::string full = file(name);
  // Names are UTF-8, as everywhere in the system, also where the C runtime
  // would read them in the ANSI code page.
  std::filesystem::create_directories(fs::NativePath(full).parent_path());
  std::ofstream out(fs::NativePath(full), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + full);
  return full;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(fs::NativePath(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

}  // namespace xkm::test
