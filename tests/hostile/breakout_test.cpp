#include <filesystem>
#include <string>

#include "support/installed_process.h"

namespace xkm::test {
namespace {

namespace stdfs = std::filesystem;

using Breakout = InstalledProcess;

// The quote in hostile file names; Windows forbids '"' in them.
#ifdef _WIN32
const std::string kNameQuote = "'";
#else
const std::string kNameQuote = "\"";
#endif

// Blanks, quotes, ";", "$(...)", backquotes and a leading "-" reach every tool
// as the very same text: the tools get an argv, never a shell command line.
TEST_F(Breakout, HostileImagePathReachesEveryToolLiterally) {
  const std::string folder = "in put;$(touch pwned)`touch pwned`";
  const std::string hex = "-ecu 'st10' " + kNameQuote + "x" + kNameQuote + ";$(touch pwned).hex";
  const std::string w = Generic(installInputs(folder, hex));
  ChildResult run = runBatch(
      folder + "/flowdata_4711.xml," + folder + "/" + hex + "," + folder + "/ecu_st10.a2l", folder);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string expected =
      "brakel <{W}/BRAKEL_ST10.ctl>\nlenwatch <{S}_1.bcb>\nlenwatch <{S}_2.bcb>\n"
      "qsr <-b> <{W}/CS_ST10.qsr> <{W}/{I}>\nzoven <-o> <{W}/{I}_blk_1_mim> <{S}_1.bcb>\n"
      "zoven <-o> <{W}/{I}_blk_2_mim> <{S}_2.bcb>\nxkm2sgo <-l> <" +
      kContainer + ">\n";
  const std::string stem = w + "/" + hex.substr(0, hex.size() - 4);
  EXPECT_EQ(Generic(argvLog()),
            ReplaceAll(ReplaceAll(ReplaceAll(expected, "{S}", stem), "{W}", w), "{I}", hex));
  EXPECT_EQ(ReadFileBytes(w + "/" + kContainer), Expected("st10.xkm"));
}

// The container's name comes from the logistic data; a separator in it must
// not put the container anywhere but the working folder.
TEST_F(Breakout, ContainerNameNeverLeavesTheWorkingFolder) {
  const std::pair<std::string, std::string> rows[] = {
      // logistic name, container asked for
      {"../../outside/x", "../../outside/x_SW0102.xkm"},
      {"/tmp/x", "/tmp/x____SW0102.xkm"}};
  write("outside/keep.txt", "untouched");
  for (const auto& [sgidb1, name] : rows) {
    SCOPED_TRACE(sgidb1);
    stdfs::remove_all(file("deep"));
    installInputs("deep/input");
    write("deep/input/flowdata_4711.xml",
          Replaced(DemoInput("flowdata_4711.xml"), ">4711-0815<", ">" + sgidb1 + "<"));
    ChildResult run = runDemo("deep/input");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Generic(run.err),
              Generic("xkmtool: 62101 Container name " + name.substr(0, name.size() - 4) +
                      " holds a path separator\n" +
                      StopText("SGO-File : " + name + " was not created!")));
    EXPECT_EQ(argvLog().find("xkm2sgo"), std::string::npos);
    for (const auto& entry : stdfs::recursive_directory_iterator(root()))
      EXPECT_NE(entry.path().extension(), ".xkm") << entry.path();
    EXPECT_EQ(ReadFileBytes(file("outside/keep.txt")), "untouched");
  }
}

}  // namespace
}  // namespace xkm::test
