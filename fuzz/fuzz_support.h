#pragma once

// What every fuzz target shares: a Host that answers without asking, a scratch
// folder of the process, a guard for the current folder and input splitting.
// Header-only, so that the regression test can compile the targets as well.

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "core/platform/os/file_system.h"
#include "core/platform/os/system_info.h"
#include "core/session/keeping_host.h"

namespace xkm::fuzz {

// One folder per process under $TMPDIR, removed when the process ends
// normally. Parallel fuzzing jobs are separate processes and never share it.
class ProcessScratch {
 public:
  ProcessScratch() {
    const std::filesystem::path temporary = std::filesystem::temp_directory_path();
    for (int attempt = 0; path_.empty() && attempt < 1000; ++attempt) {
      // Named by the process: one left behind by an earlier process of the
      // same id is passed over.
      const std::filesystem::path candidate =
          temporary / ("xkm-fuzz-" + std::to_string(ProcessId()) + "-" + std::to_string(attempt));
      if (std::filesystem::create_directory(candidate)) path_ = candidate.string();
    }
    if (path_.empty()) throw std::runtime_error("cannot create a scratch folder");
  }
  ~ProcessScratch() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ProcessScratch(const ProcessScratch&) = delete;
  ProcessScratch& operator=(const ProcessScratch&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A folder of its own for one target inside the process's scratch folder.
inline std::string ScratchFolder(const std::string& target) {
  static ProcessScratch root;
  std::string folder = root.path() + "/" + target;
  std::filesystem::create_directories(folder);
  return folder;
}

inline std::string WriteScratchFile(const std::string& folder, const std::string& name,
                                    std::string_view bytes) {
  const std::string path = folder + "/" + name;
  // A new file rather than a truncated one: ext4 flushes a truncated and
  // rewritten file on close, which costs a disk write per input.
  ::unlink(path.c_str());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

inline std::string_view AsText(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The input cut at its first NUL byte: the part before it and the rest. An
// input without a NUL is all rest.
inline std::pair<std::string_view, std::string_view> SplitAtNul(std::string_view input) {
  const size_t nul = input.find('\0');
  if (nul == std::string_view::npos) return {{}, input};
  return {input.substr(0, nul), input.substr(nul + 1)};
}

// Stops the process the way a sanitizer report does, so that a broken property
// counts as a finding in the fuzzer and as a failure in the replay test.
[[noreturn]] inline void PropertyFailed(const char* what) {
  std::fprintf(stderr, "fuzz property failed: %s\n", what);
  std::abort();
}

}  // namespace xkm::fuzz
