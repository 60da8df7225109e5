#include <unistd.h>

#include <filesystem>
#include <fstream>
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
  EXPECT_EQ(messages[0]["text"], "5 Invalid procedure call or argument");
  EXPECT_EQ(messages[1]["text"].get<std::string>().find("60000 "), 0u);
}

// A 2 GB A2L file (sparse, so it costs no disk) read under a 1 GB
// address-space limit: the file is read to its end in memory that does not
// grow with it, and the missing section is reported. Under AddressSanitizer an
// address-space limit cannot be set (the sanitizer reserves terabytes), so the
// benchmarks repeat this check on the Release build.
TEST_F(HugeInput, TwoGigabyteA2LUnderAOneGigabyteAddressSpace) {
  if (UnderAddressSanitizer()) GTEST_SKIP() << "address-space limits need a build without ASan";
  if (!ResourceLimitsExist()) GTEST_SKIP() << "Windows has no address-space limit for a process";
  const std::string w = installInputs("input");
  { std::ofstream out(w + "/ecu_st10.a2l", std::ios::binary | std::ios::trunc); }
  stdfs::resize_file(w + "/ecu_st10.a2l", uintmax_t(2) << 30);
  ChildCommand command;
  command.addressSpaceLimit = size_t(1) << 30;
  ChildResult run = runDemo("input", command);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err.rfind("Error: 60011 Keine System-Konstanten in A2L-File gefunden\n", 0), 0u)
      << run.err;
  EXPECT_FALSE(stdfs::exists(w + "/" + kContainer));
}

}  // namespace
}  // namespace xkm::test
