#include <filesystem>
#include <string>

#include "support/installed_process.h"

namespace xkm::test {
namespace {

namespace stdfs = std::filesystem;

const char* const kContainer = "4711-0815_SW0102.xkm";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  if (at == std::string::npos) throw std::runtime_error("no " + from);
  return text.replace(at, from.size(), to);
}

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
  const std::string w = installInputs(folder, hex);
  ChildResult run = runBatch(
      folder + "/flowdata_4711.xml," + folder + "/" + hex + "," + folder + "/ecu_st10.a2l", folder);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string stem = Generic(w) + "/" + hex.substr(0, hex.find(';'));
  const std::string image = Generic(w) + "/" + hex;
  EXPECT_EQ(Generic(argvLog()), "brakel <" + Generic(w) +
                                    "/BRAKEL_ST10.ctl>\n"
                                    "lenwatch <" +
                                    stem +
                                    ";$(touch pwned)_1.bcb>\n"
                                    "lenwatch <" +
                                    stem +
                                    ";$(touch pwned)_2.bcb>\n"
                                    "qsr <-b> <" +
                                    Generic(w) + "/CS_ST10.qsr> <" + image +
                                    ">\n"
                                    "zoven <-o> <" +
                                    image + "_blk_1_mim> <" + stem +
                                    ";$(touch pwned)_1.bcb>\n"
                                    "zoven <-o> <" +
                                    image + "_blk_2_mim> <" + stem +
                                    ";$(touch pwned)_2.bcb>\n"
                                    "xkm2sgo <-l> <" +
                                    kContainer + ">\n");
  EXPECT_EQ(ReadFileBytes(w + "/" + kContainer), Expected("st10.xkm"));
}

// Every input file's name starts with "-", given relative to the current folder.
TEST_F(Breakout, FileNamesStartingWithADash) {
  const std::string w = installInputs("input", "-ecu.hex", "-flow.xml", "-ecu.a2l");
  ChildCommand command;
  command.workingFolder = w;
  ChildResult run = runBatch("-flow.xml,-ecu.hex,-ecu.a2l", "input", command);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(Generic(argvLog()).find("qsr <-b> <" + Generic(w) + "/CS_ST10.qsr> <" + Generic(w) +
                                    "/-ecu.hex>\n"),
            std::string::npos)
      << argvLog();
  EXPECT_EQ(ReadFileBytes(w + "/" + kContainer), Expected("st10.xkm"));
}

// The library lookup takes the ECU name as a bound value, never as XPath text.
TEST_F(Breakout, EcuNameWithQuotesIsLookedUpLiterally) {
  const std::string ecu = "EDC_DEMO'ST10\"X";
  const std::string w = installInputs("input");
  write("input/ecu_st10.a2l",
        Replaced(DemoInput("ecu_st10.a2l"), "ECU \"EDC_Demo_ST10\"", "ECU \"" + ecu + "\""));
  replaceLibrary(Replaced(DemoLibrary(), "ECU=\"EDC_DEMO_ST10\"", "ECU=\"EDC_DEMO'ST10&quot;X\""));
  ChildResult run = runDemo();
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(ReadFileBytes(w + "/" + kContainer).find("ECU=" + ecu + "\r\n"), std::string::npos);
}

// Names of 10,000 characters and names with apostrophes and quotes pass
// through placeholders, definitions and directives unharmed.
TEST_F(Breakout, HostileNamesInPlaceholdersAndDirectives) {
  const std::string longName(10000, 'N');
  const std::string w = installInputs("input");
  const std::string definitions =
      "<variable name=\"it's\" value=\"<$DATA.EPK>\">\n"
      "<variable name=\"" +
      longName + "\" value=\"long '<$DATA." + longName +
      ">' end\">\n"
      "<variable name=\"QUOTED\" value=\"[<$DATA.A'B\"C>]\">\n";
  std::string library = Replaced(DemoLibrary(), "<variable name=\"CNT_NAME\"",
                                 definitions + "<variable name=\"CNT_NAME\"");
  library = Replaced(library, "[Identification]",
                     "Apostrophe=<?variable name=\"it's\"?>\nLong=<?variable name=\"" + longName +
                         "\"?>\nQuoted=<?variable name=\"QUOTED\"?>\n[Identification]");
  replaceLibrary(library);
  ChildResult run = runDemo();
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string container = ReadFileBytes(w + "/" + kContainer);
  EXPECT_NE(container.find("Apostrophe=DEMO_ST10_V1.0\r\nLong=long '' end\r\nQuoted=[]\r\n"),
            std::string::npos)
      << container.substr(0, 600);
}

struct EscapingName {
  const char* name;
  const char* sgidb1;
  const char* container;  // as the converter is asked for it
};

class ContainerName : public InstalledProcess,
                      public ::testing::WithParamInterface<EscapingName> {};

// The container's name comes from the logistic data; a separator in it must
// not put the container anywhere but the working folder.
TEST_P(ContainerName, NeverLeavesTheWorkingFolder) {
  const EscapingName& param = GetParam();
  write("outside/keep.txt", "untouched");
  const std::string w = installInputs("deep/input");
  write("deep/input/flowdata_4711.xml", Replaced(DemoInput("flowdata_4711.xml"), ">4711-0815<",
                                                 ">" + std::string(param.sgidb1) + "<"));
  ChildResult run = runDemo("deep/input");
  EXPECT_EQ(run.exitCode, 1);
  const std::string name = std::string(param.container);
  EXPECT_EQ(run.err, "xkmtool: 62101 Container name " + name.substr(0, name.size() - 4) +
                         " holds a path separator\n"
                         "Error: 60000 SGO-File : " +
                         name + " was not created! - program stops!\n");
  EXPECT_NE(argvLog().find("xkm2sgo <-l> <" + name + ">\n"), std::string::npos);
  for (const auto& entry : stdfs::recursive_directory_iterator(root()))
    EXPECT_NE(entry.path().extension(), ".xkm") << entry.path();
  EXPECT_EQ(ReadFileBytes(file("outside/keep.txt")), "untouched");
}

INSTANTIATE_TEST_SUITE_P(
    Names, ContainerName,
    ::testing::Values(EscapingName{"Parent", "../../outside/x", "../../outside/x_SW0102.xkm"},
                      EscapingName{"Absolute", "/tmp/x", "/tmp/x____SW0102.xkm"}),
    [](const ::testing::TestParamInfo<EscapingName>& caseInfo) {
      return std::string(caseInfo.param.name);
    });

// Quotes, ";" and "$(...)" in the logistic data name the container literally.
TEST_F(Breakout, ShellTextInTheContainerNameStaysText) {
  const std::string sgidb1 = "a'b" + kNameQuote + "c;$(touch pwned) x";
  const std::string w = installInputs("input");
  write("input/flowdata_4711.xml", Replaced(DemoInput("flowdata_4711.xml"), ">4711-0815<",
                                            ">" + ReplaceMarker(sgidb1, "\"", "&quot;") + "<"));
  ChildResult run = runDemo();
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string name = sgidb1 + "_SW0102";
  EXPECT_NE(argvLog().find("xkm2sgo <-l> <" + name + ".xkm>\n"), std::string::npos) << argvLog();
  EXPECT_TRUE(stdfs::exists(w + "/" + name + ".xkm"));
  EXPECT_TRUE(stdfs::exists(w + "/" + name + ".sgo"));
}

}  // namespace
}  // namespace xkm::test
