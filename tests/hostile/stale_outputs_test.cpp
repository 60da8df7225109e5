#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/platform/os/path.h"
#include "core/platform/os/sha256.h"
#include "core/platform/text/text_pieces.h"
#include "support/installed_process.h"

namespace xkm::test {
namespace {

namespace stdfs = std::filesystem;

const std::string kOld = "CONTENT OF AN EARLIER RUN";
const std::string kSgo = "4711-0815_SW0102.sgo";

// Files an earlier run left in the image folder must never pass for this
// run's work: the run fails, and nothing it leaves holds their content.
class StaleOutputs : public InstalledProcess {
 protected:
  StaleOutputs() { installInputs("input"); }
  // Names of files in the work folder that hold the earlier run's content.
  std::vector<std::string> holdingTheOldContent() const {
    std::vector<std::string> names;
    for (const auto& entry : stdfs::directory_iterator(file("input")))
      if (entry.is_regular_file() &&
          ReadFileBytes(entry.path().string()).find(kOld) != std::string::npos)
        names.push_back(entry.path().filename().string());
    return names;
  }
  static constexpr const char* kEarlierRun = ".earlier-run";
};

TEST_F(StaleOutputs, AFailingToolIsNeverJudgedByAnEarlierRunsFile) {
  // The failing tool; the file an earlier run left, or the converter plants
  // during this run; the stop (W/: the work folder).
  const std::tuple<const char*, std::string, bool, std::string> rows[] = {
      {"BRAKEL", "ecu_st10_1.bcb", false, "File : W/ecu_st10_1.bcb not found!"},
      {"LENWATCH", "ecu_st10_1_bcb.log", false, "File : W/ecu_st10_1_bcb.log not found!"},
      {"QSR", "CS.LOG", true, "Checksum-File : W/CS.LOG not found!"},
      {"ZOVEN", "ecu_st10.hex_blk_1_mim", true,
       "MIM-File : W/ecu_st10.hex_blk_1_mim was not created!"},
      {"XKM2SGO", kSgo, true, "SGO-File : " + kSgo + " was not created!"},
  };
  write("old.txt", "Type;Name;Value;Range\r\nChecksum;CS_BLOCK1;" + kOld + "\r\n");
  const std::string brakel = file("brakel.real");
  stdfs::copy_file(toolFile("brakel"), brakel);
  const auto plain = environment;
  for (const auto& [tool, leftover, plantedDuringRun, stop] : rows) {
    SCOPED_TRACE(tool);
    environment = plain;
    stdfs::remove_all(file("input"));
    installInputs("input");
    write("input/.xkm-tmp-Q1w2e3", "a killed run's temporary file");
    write("input/" + kContainer, kOld);  // an earlier run's container
    environment[std::string("XKM_TOOL_FAIL_") + tool] = "nofiles";
    std::string plant = "run=" + brakel;
    if (plantedDuringRun)
      plant += "\ncopy=" + file("old.txt") + ">" + work(leftover);
    else
      write("input/" + leftover, ReadFileBytes(file("old.txt")));
    stdfs::remove(toolFile("brakel"));
    writeStandInTool("brakel", plant);
    ChildResult run = runDemo();
    EXPECT_EQ(Generic(run.err), Generic(StopText(ReplaceAll(stop, "W/", work("")))));
    // The earlier content is left in its container, set aside, or in its SGO
    // file, set aside before this run's container replaced the container.
    EXPECT_EQ(holdingTheOldContent(),
              std::vector{(leftover == kSgo ? kSgo : kContainer) + kEarlierRun});
  }
}

// A container step that fails leaves no container under the order's name, and
// the converter is not run on an older one; the earlier container and its SGO
// file are set aside, never lost.
TEST_F(StaleOutputs, NoContainerOfThisRunMeansNoSgoFile) {
  const std::string unnamed = std::string(16, '_') + ".xkm";
  const std::string order = DemoInput("flowdata_4711.xml");
  // The logistic data; what stands for <$DATA.ECU> in the container template;
  // the name this run's container would have; the message that says why there is none.
  const std::tuple<const char*, std::string, std::string, std::string, std::string> rows[] = {
      {"unknown variable", order, "<$Data.X>", kContainer,
       "xkmtool: 60020 unbekannte Variablen in MCS-File"},
      // Refused only once the container's text is made.
      {"character without a Windows-1252 code", order, "\u0159<$DATA.ECU>", kContainer,
       "xkmtool: 60042 Zeichen ohne Windows-1252-Code"},
      {"unreadable logistic data", "<not xml", "<$DATA.ECU>", unnamed,
       "xkmtool: 60045 Kein Container geschrieben: die logistischen Daten"},
      {"XML of another kind", "<x/>", "<$DATA.ECU>", unnamed,
       "Error: 60051 Die logistischen Daten " + work("flowdata_4711.xml") +
           " nennen keinen Auftrag: Envelope \"FromFlow\" fehlt"},
      {"no order fields",
       Replaced(Replaced(order, "SGIDB1_CustomerOrderNumber", "X1"), "SGIDB3_Cust_SW_Version",
                "X3"),
       "<$DATA.ECU>", unnamed,
       "Error: 60051 Die logistischen Daten " + work("flowdata_4711.xml") +
           " nennen keinen Auftrag: Field \"SGIDB1_CustomerOrderNumber\" / "
           "\"SGIDB3_Cust_SW_Version\" fehlt"}};
  const std::string library = DemoLibrary();
  for (const auto& [name, logisticData, mcsEcu, container, why] : rows) {
    SCOPED_TRACE(name);
    stdfs::remove_all(file("input"));
    installInputs("input");
    const std::string sgo = container.substr(0, container.size() - 4) + ".sgo";
    write("input/" + container, kOld);
    write("input/" + sgo, kOld);
    write("input/flowdata_4711.xml", logisticData);
    replaceLibrary(Replaced(library, "<$DATA.ECU>", mcsEcu));
    ChildResult run = runDemo();
    replaceLibrary(library);
    EXPECT_NE(Generic(run.err).find(Generic(why)), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(StopText("SGO-File : " + container + " was not created!")),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(stdfs::exists(work(container)) || stdfs::exists(work(sgo)));
    EXPECT_EQ(ReadFileBytes(work(container + kEarlierRun)), kOld);
    EXPECT_EQ(ReadFileBytes(work(sgo + kEarlierRun)), kOld);
  }
}

// After a failed preparation the run has no working folder: no step writes
// anything anywhere, and the earlier container is still set aside in the
// image's folder. Here a process without conversion steps, whose container
// step once wrote "/<order>.xkm".
TEST_F(StaleOutputs, AFailedPreparationWritesNothingAndSetsTheEarlierContainerAside) {
  write("LIB.xml",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<LIB><PROCESSES><PROCESS KEY=\"1\">"
        "<MODULS><MODUL><DISPLAY>Start</DISPLAY><NAME>Init</NAME><HELP/></MODUL>"
        "<MODUL><DISPLAY>Logistic data</DISPLAY><NAME>READ_LOGISTIC_DATA</NAME><HELP/></MODUL>"
        "<MODUL><DISPLAY>XKM container</DISPLAY><NAME>BuildXKMContainer</NAME><HELP/></MODUL>"
        "</MODULS></PROCESS></PROCESSES></LIB>\n");
  write("input/ecu_st10.a2l",
        Replaced(DemoInput("ecu_st10.a2l"), "\"EDC_Demo_ST10\"", "\"EDC_NOT_IN_LIBRARY\""));
  write("input/" + kContainer, kOld);
  write("input/" + kSgo, kOld);
  const auto rootListing = [this] {
    std::vector<std::string> names;
    for (const auto& entry : stdfs::directory_iterator(stdfs::path(root()).root_path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> before = rootListing();
  const ChildResult run = runDemo();
  EXPECT_NE(run.err.find("xkmtool: 60000 No session was prepared: 60001"), std::string::npos)
      << run.err;
  EXPECT_EQ(rootListing(), before);
  EXPECT_EQ(ReadFileBytes(work(kContainer + kEarlierRun)) + ReadFileBytes(work(kSgo + kEarlierRun)),
            kOld + kOld);
}

// A library or an order may name a file the run writes or removes after one
// of its inputs; the run refuses it and every input stays as it was.
TEST_F(StaleOutputs, NoInputIsEverWrittenOrRemoved) {
  // The library's template name and its replacement; the order's file name.
  const std::tuple<const char*, std::string, std::string, std::string> rows[] = {
      {"QSR script is the image", "CS_ST10.qsr", "ecu_st10.hex", "flowdata_4711.xml"},
      {"address info is the A2L file", "HEXINFO_ST10.qsr", "ecu_st10.a2l", "flowdata_4711.xml"},
      {"control file is the order", "BRAKEL_ST10.ctl", "flowdata_4711.xml", "flowdata_4711.xml"},
      {"container is the order", "", "", "4711-0815_SW0102.xkm"},
  };
  const std::string library = DemoLibrary();
  for (const auto& [name, from, to, xmlName] : rows) {
    SCOPED_TRACE(name);
    stdfs::remove_all(file("input"));
    const std::string folder = installInputs("input", "ecu_st10.hex", xmlName);
    if (!from.empty()) replaceLibrary(ReplaceAll(library, from, to));
    ChildResult run =
        runBatch("input/" + xmlName + ",input/ecu_st10.hex,input/ecu_st10.a2l", "input");
    replaceLibrary(library);
    EXPECT_NE(report().dump().find("60043 Die Datei"), std::string::npos) << run.err;
    for (const std::string input : {"flowdata_4711.xml", "ecu_st10.hex", "ecu_st10.a2l"})
      EXPECT_EQ(ReadFileBytes(folder + "/" + (input.ends_with(".xml") ? xmlName : input)),
                DemoInput(input));
  }
}

// The folder "job " is not "job": the tools never work in another job's folder.
TEST_F(StaleOutputs, AFolderEndingInABlankIsRefusedNotTrimmed) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows drops a trailing blank from a folder name";
#endif
  installInputs("job ");
  write("job/CS.LOG", "another job's checksums");
  write("job/ecu_st10_1.bcb", "another job's block");
  runDemo("job ");
  EXPECT_EQ(report()["messages"][0]["text"],
            "60047 Der Ordner \"" + file("job ") +
                "\" beginnt oder endet mit einem Leerzeichen, das die Werkzeuge verlieren würden "
                "- bitte den Ordner umbenennen");
  EXPECT_EQ(argvLog(), "");
}

// A tool may leave a link where its log belongs: the run never reads through
// it, so a private file elsewhere never lands in the shared folder, and the
// private file stays as it was.
TEST_F(StaleOutputs, AWorkingFileThatIsALinkIsNeverRead) {
  const std::string secret = write("private.txt", "SECRET");
  stdfs::permissions(secret, stdfs::perms::owner_read | stdfs::perms::owner_write);
  // The log a tool replaces by a link to the private file; the stand-in's action.
  const std::pair<const char*, std::string> rows[] = {
      {"CS.LOG", "link"}, {"QSR.LOG", "link"}, {"QSR.LOG", "hardlink"}};
  for (const auto& [log, action] : rows) {
#ifdef _WIN32
    if (action == "link") continue;  // symbolic links need a privilege there
#endif
    SCOPED_TRACE(std::string(log) + ", " + action);
    stdfs::remove_all(file("input"));
    installInputs("input");
    stdfs::remove(toolFile("qsr-link"));
    writeStandInTool("qsr-link",
                     "run=" + toolFile("qsr") + "\n" + action + "=" + secret + ">" + work(log));
    changeTools("tools/qsr", "tools/qsr-link");
    const ChildResult run = runDemo();
    EXPECT_NE(run.err.find("Not read, a link or no regular file: " + work(log)), std::string::npos)
        << run.err;
    EXPECT_FALSE(stdfs::exists(work("ecu_st10_QSR.LOG")));  // the copy of the checksum log
    EXPECT_EQ(ReadFileBytes(secret), "SECRET");
  }
#ifndef _WIN32  // modes are POSIX's
  EXPECT_EQ(stdfs::status(secret).permissions(),
            stdfs::perms::owner_read | stdfs::perms::owner_write);
#endif
}

std::string Sha256Of(const std::string& bytes) {
  Sha256 hash;
  hash.update(bytes);
  return hash.hexDigest();
}

// The trace names the image the container was built from, and says so when
// the image changed while the run went on.
TEST_F(StaleOutputs, AnImageChangedDuringTheRunIsToldAndTraced) {
  write("xkmtool.ini", "[System]\nToolConfig=tools.ini\nTraceLog=input/runs.log\n");
  const std::string changed = write("changed.hex", ":00000001FF\r\n");
  writeStandInTool("qsr-then-change",
                   "run=" + toolFile("qsr") + "\ncopy=" + changed + ">" + work("ecu_st10.hex"));
  changeTools("tools/qsr", "tools/qsr-then-change");
  ChildResult run = runDemo();
  EXPECT_EQ(run.exitCode, 3) << run.err;
  EXPECT_EQ(Generic(run.err), Generic("xkmtool: 60048 Die Eingabedatei " + work("ecu_st10.hex") +
                                      " wurde während des Laufs geändert\n"));
  const nlohmann::json hex =
      nlohmann::json::parse(ReadFileBytes(work("runs.log")))["inputs"]["hex"];
  EXPECT_EQ(hex["sha256"], Sha256Of(DemoInput("ecu_st10.hex")));
  EXPECT_EQ(hex["atEnd"]["sha256"], Sha256Of(":00000001FF\r\n"));
}

using Breakout = InstalledProcess;

// The quote in hostile file names; Windows forbids '"' in them.
const std::string kNameQuote = fs::kSeparator == '\\' ? "'" : "\"";

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
