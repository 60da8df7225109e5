#include <filesystem>
#include <string>

#include "support/installed_process.h"

namespace xkm::test {
namespace {

namespace stdfs = std::filesystem;

constexpr size_t kLongLine = size_t(20) << 20;

using HugeInput = InstalledProcess;

TEST_F(HugeInput, A2LThatIsOneLineOfTwentyMegabytes) {
  installInputs("input");
  write("input/ecu_st10.a2l", "/begin MOD_PAR" + std::string(kLongLine, 'M'));
  ChildResult run = runDemo();
  EXPECT_EQ(run.exitCode, 1);
  const nlohmann::json messages = report()["messages"];
  ASSERT_EQ(messages.size(), 2u) << run.err;
  EXPECT_EQ(messages[0]["text"].get<std::string>(), "5 Invalid procedure call or argument");
  EXPECT_EQ(messages[1]["text"].get<std::string>().find("60000 "), 0u);
}

// A 2 GB A2L file read under a 1 GB address-space limit is a benchmark
// (bench/huge_inputs.sh): the limit cannot be set under AddressSanitizer.

}  // namespace
}  // namespace xkm::test
