// Replays, through the fuzz targets' own entry functions, every input kept
// under tests/data/fuzz_regressions/<target>/ (what a fuzzer once broke) and
// every seed of fuzz/corpus/<target>/. An input that crashes, leaks or breaks a
// target's property ends its test with the sanitizer's or the target's report.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#define XKM_FUZZ_REPLAY
#include "../../fuzz/fuzz_target.h"
#include "support/scratch_folder.h"

namespace xkm::fuzz {
namespace {

namespace stdfs = std::filesystem;

const stdfs::path kRegressions = stdfs::path(XKM_TEST_DATA) / "fuzz_regressions";
const stdfs::path kSeeds = stdfs::path(XKM_SOURCE_DIR) / "fuzz" / "corpus";

struct KeptInput {
  std::string target;
  stdfs::path path;
};

// Every file one level below <root>/<target>/, sorted for stable test names.
std::vector<KeptInput> InputsUnder(const stdfs::path& root) {
  std::vector<KeptInput> inputs;
  if (!stdfs::is_directory(root)) return inputs;
  for (const auto& folder : stdfs::directory_iterator(root)) {
    if (!folder.is_directory()) continue;
    for (const auto& file : stdfs::directory_iterator(folder.path())) {
      if (file.is_regular_file())
        inputs.push_back({folder.path().filename().string(), file.path()});
    }
  }
  std::sort(inputs.begin(), inputs.end(),
            [](const KeptInput& a, const KeptInput& b) { return a.path < b.path; });
  return inputs;
}

class Kept : public ::testing::TestWithParam<KeptInput> {};

TEST_P(Kept, RunsClean) {
  const auto entry = Targets().find(GetParam().target);
  ASSERT_NE(entry, Targets().end()) << "no fuzz target named " << GetParam().target;
  const std::string bytes = test::ReadFileBytes(GetParam().path.string());
  entry->second(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// "<target>_<file name>" with everything but letters and digits as "_".
std::string TestName(const ::testing::TestParamInfo<KeptInput>& info) {
  std::string name = info.param.target + "_" + info.param.path.filename().string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Regression, Kept, ::testing::ValuesIn(InputsUnder(kRegressions)),
                         TestName);
INSTANTIATE_TEST_SUITE_P(Seed, Kept, ::testing::ValuesIn(InputsUnder(kSeeds)), TestName);

}  // namespace
}  // namespace xkm::fuzz
