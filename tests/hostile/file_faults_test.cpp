#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <future>
#include <nlohmann/json.hpp>
#include <set>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include "core/platform/text/text_pieces.h"
#include "support/installed_process.h"

namespace xkm::test {
namespace {

namespace stdfs = std::filesystem;

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : stdfs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

// Root ignores permissions, so these runs go without the capabilities that
// would let it read or write anyway.
class FileFaults : public InstalledProcess {
 protected:
  ChildResult runDemoWhile(const std::string& path, int mode) {
    ::chmod(path.c_str(), mode);
    ChildResult run = runDemo("input", {.withoutFileCapabilities = true});
    ::chmod(path.c_str(), 0755);
    return run;
  }
  std::string messageTexts() const {
    std::string texts;
    const nlohmann::json json = report();
    for (const auto& message : json["messages"]) texts += message["text"].get<std::string>() + "\n";
    return texts;
  }
};

TEST_F(FileFaults, ReadOnlyWorkingFolderStopsBeforeAnyToolRuns) {
  if (!ResourceLimitsExist()) GTEST_SKIP() << "Windows has no POSIX permissions to take away";
  const std::string work = installInputs("input");
  const std::set<std::string> inputs = Names(work);
  ChildResult run = runDemoWhile(work, 0555);
  EXPECT_EQ(run.exitCode, 1);
  // A folder that cannot be claimed is never worked in.
  EXPECT_EQ(messageTexts(), "60049 Der Ordner " + work +
                                " kann nicht für diesen Lauf belegt werden: " + work +
                                "/.xkmtool.lock: Permission denied\n")
      << run.err;
  EXPECT_EQ(Names(work), inputs);
  EXPECT_EQ(argvLog(), "");
}

// A file size limit stands in for a full disk: whatever the limit, the
// container is either complete or absent, and no temporary file is left.
class DiskFull : public InstalledProcess {
 protected:
  // The limit is meant for xkmtool alone; the tools lift it for themselves.
  DiskFull() {
    for (const char* name : {"brakel", "lenwatch", "qsr", "zoven", "xkm2sgo"})
      writeScriptTool(std::string("unlimited_") + name,
                      "ulimit -S -f unlimited\nexec '" + toolFile(name) + "' \"$@\"\n");
    write("tools.ini",
          ReplaceAll(ReadFileBytes(file("tools.ini")), "=tools/", "=tools/unlimited_"));
  }
};

// Every other file xkmtool writes is smaller than the container less 2000
// bytes, except the report, which is larger: a run whose report does not fit
// says so with exit code 5.
TEST_F(DiskFull, ContainerIsCompleteOrAbsent) {
  if (!ResourceLimitsExist()) GTEST_SKIP() << "Windows has no file size limit for a process";
  const std::string expected = Expected("st10.xkm");
  // from the container's size, exit code
  const std::pair<long, int> rows[] = {{-2000L, 1}, {-1L, 1}, {0L, 5}, {1000000L, 0}};
  for (const auto& [distance, exitCode] : rows) {
    SCOPED_TRACE(distance);
    stdfs::remove_all(file("input"));
    const std::string container = installInputs("input") + "/" + kContainer;
    const size_t limit = static_cast<size_t>(static_cast<long>(expected.size()) + distance);
    ChildResult run = runDemo("input", {.fileSizeLimit = limit});
    EXPECT_EQ(run.exitCode, exitCode) << run.err;
    if (limit >= expected.size()) {
      EXPECT_EQ(ReadFileBytes(container), expected);
    } else {
      EXPECT_FALSE(stdfs::exists(container));
      EXPECT_NE(run.err.find("xkmtool: 75 File too large: " + container + "\n"), std::string::npos)
          << run.err;
    }
  }
}

// A library that cannot be read has the checksum 0: the operator reads that
// its name does not match, then why it is broken, then what the empty
// library cannot answer.
TEST_F(FileFaults, UnreadableLibraryIsReportedWithItsReason) {
  if (!ResourceLimitsExist()) GTEST_SKIP() << "Windows has no POSIX permissions to take away";
  installInputs("input");
  const std::string library = file("LIB_XKM_B3FCD394.lbr");
  ChildResult run = runDemoWhile(library, 0);

  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(messageTexts().rfind("60014 Library-File ist korrupt oder wurde geändert\n"
                                 "60015 Library-File ist defekt\nPermission denied: " +
                                     stdfs::canonical(library).string() +
                                     "\n60001 Keine Information über ECU in der Library gefunden\n",
                                 0),
            0u)
      << run.err;
}

// The damaged store is kept aside untouched, and the run goes on: a message
// says where the file went, so the exit code is 3.
TEST_F(FileFaults, DamagedUserStoreIsMovedAsideAndTheRunGoesOn) {
#ifdef _WIN32
  GTEST_SKIP() << "the per-user store is the registry on Windows, whose faults its own test covers";
#endif
  installInputs("input");
  // The store changes, so it lies in the folder the run may change.
  environment["XDG_CONFIG_HOME"] = file("input/.config");
  const std::string damaged = "REGEDIT4\n\n[Software\\xkmtool\\Settings]\n\"Language\"=\"1\n";
  const std::string store = write("input/.config/xkmtool/HKEY_CURRENT_USER.reg", damaged);
  ChildResult run = runDemo();
  EXPECT_EQ(run.exitCode, 3) << run.err;
  std::string aside;
  for (const std::string& name : Names(file("input/.config/xkmtool")))
    if (name.rfind("HKEY_CURRENT_USER.damaged-", 0) == 0)
      aside = file("input/.config/xkmtool/" + name);
  EXPECT_EQ(ReadFileBytes(aside), damaged);
  EXPECT_EQ(run.err,
            "User data: The stored user data could not be read: 321 Invalid file format: " + store +
                ", line 4: a quoted text is not closed\r\n\r\nThe damaged file was kept as " +
                aside +
                ". The program goes on with the values that could be read; please check "
                "the user data.\n");
}

TEST_F(FileFaults, UnreachableUserStoreEndsStartUpNamingTheFile) {
#ifdef _WIN32
  GTEST_SKIP() << "the per-user store is the registry on Windows, whose faults its own test covers";
#endif
  installInputs("input");
  write("not-a-folder", "x");
  environment["XDG_CONFIG_HOME"] = file("not-a-folder");
  ChildResult run = runDemo();
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "Error while initializing application: 75 Not a directory: " +
                         file("not-a-folder/xkmtool/HKEY_CURRENT_USER.reg") + "\n");
}

// What --report names is decided on before the run: an input is never
// replaced, a device or FIFO is written where it is, and a file the run
// itself made under that name is left as it is.
class ReportPath : public InstalledProcess {
 protected:
  ReportPath() { installInputs("input"); }
  ChildResult runWithReport(const std::string& report, bool withoutFileCapabilities = false) {
    ChildCommand run = command({"--batch", "--report", report,
                                "input/flowdata_4711.xml,input/ecu_st10.hex,input/ecu_st10.a2l"});
    run.withoutFileCapabilities = withoutFileCapabilities;
    return RunChild(run);
  }
};

TEST_F(ReportPath, AnInputIsNeverReplaced) {
  // The report's path; the input it names.
  const std::tuple<const char*, std::string, std::string> rows[] = {
      {"the image", work("ecu_st10.hex"), work("ecu_st10.hex")},
      {"the logistic data", work("flowdata_4711.xml"), work("flowdata_4711.xml")},
      {"a hard link to the A2L file", file("a2l-link.json"), work("ecu_st10.a2l")},
  };
  stdfs::create_hard_link(work("ecu_st10.a2l"), file("a2l-link.json"));
  for (const auto& [name, report, input] : rows) {
    SCOPED_TRACE(name);
    const std::string before = ReadFileBytes(input);
    const ChildResult run = runWithReport(report);
    EXPECT_EQ(Generic(run.err), Generic("xkmtool: the report " + report +
                                        " would replace the input file " + input + "\n"));
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(ReadFileBytes(input), before);
  }
}

// The trace line says whether the caller got the report, so that the trace
// report can list the runs whose report was lost.
TEST_F(ReportPath, TheTraceSaysWhetherTheReportWasWritten) {
  write("xkmtool.ini", "[System]\nToolConfig=tools.ini\nTraceLog=runs.log\n");
  const struct {
    const char* name;
    std::string report;
    int exitCode;
    bool written;
  } kRows[] = {
      {"written", file("r.json"), 0, true},
      {"a file the run made under its name", work(kContainer), 5, false},
  };
  for (const auto& row : kRows) {
    stdfs::remove(file("runs.log"));
    EXPECT_EQ(runWithReport(row.report).exitCode, row.exitCode) << row.name;
    const nlohmann::json line = nlohmann::json::parse(ReadFileBytes(file("runs.log")));
    EXPECT_EQ(line["report"]["written"], row.written) << row.name;
  }
}

// The run writes the container under the report's name: the container stays,
// and the report is not written over it.
TEST_F(ReportPath, AFileTheRunMadeThereIsNotReplaced) {
  const ChildResult run = runWithReport(work(kContainer));
  EXPECT_EQ(run.exitCode, 5);
  EXPECT_EQ(ReadFileBytes(work(kContainer)).rfind("[XKM]", 0), 0u);
  EXPECT_NE(run.err.find("cannot write the report " + work(kContainer) +
                         ": a file was made under its name during the run"),
            std::string::npos)
      << run.err;
}

#ifndef _WIN32  // devices, FIFOs and permissions are POSIX notions
TEST_F(ReportPath, ADeviceOrFifoIsWrittenWhereItIs) {
  // How the node is made (false: not permitted here); whether it is read
  // while the run writes, as a FIFO must be.
  const std::tuple<const char*, std::function<bool(const std::string&)>, bool> rows[] = {
      {"a FIFO", [](const std::string& p) { return ::mkfifo(p.c_str(), 0600) == 0; }, true},
      {"a link to a FIFO",
       [this](const std::string& p) {
         return ::mkfifo(file("fifo").c_str(), 0600) == 0 && ::symlink("fifo", p.c_str()) == 0;
       },
       true},
      {"a character device (the null device's numbers)",
       [](const std::string& p) { return ::mknod(p.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0; },
       false},
  };
  for (const auto& [name, make, read] : rows) {
    SCOPED_TRACE(name);
    const std::string report = file("report-node");
    stdfs::remove(report);
    stdfs::remove(file("fifo"));
    if (!make(report)) {
      std::cout << "skipped, not permitted here: " << name << "\n";
      continue;
    }
    std::future<std::string> reader;
    if (read) reader = std::async(std::launch::async, [&] { return ReadFileBytes(report); });
    const ChildResult run = runWithReport(report);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    if (read) {
      EXPECT_EQ(nlohmann::json::parse(reader.get())["outcome"], "completed");
    }
    EXPECT_FALSE(stdfs::is_regular_file(report));
  }
}

// What /dev/stdout is: a link to the caller's own output, here a file. The
// report is appended after the state lines, once, also when the trace adds a
// message at the end; the link stays.
TEST_F(ReportPath, ALinkToTheCallersOwnOutputIsWrittenThere) {
  const std::string link = file("stdout-link");
  stdfs::create_symlink("/proc/self/fd/1", link);
  const struct {
    const char* name;
    const char* ini;
    int exitCode;
  } kRows[] = {
      {"no trace", "[System]\nToolConfig=tools.ini\n", 0},
      {"a trace that cannot be written", "[System]\nToolConfig=tools.ini\nTraceLog=none/r.log\n",
       3},
  };
  for (const auto& row : kRows) {
    write("xkmtool.ini", row.ini);
    const ChildResult run = runWithReport(link);
    EXPECT_EQ(run.exitCode, row.exitCode) << row.name;
    const auto report =
        nlohmann::json::parse(run.out.substr(run.out.find("\n{") + 1), nullptr, false);
    EXPECT_EQ(report.is_discarded() ? "not one report" : report["outcome"], "completed")
        << row.name;
  }
  EXPECT_TRUE(stdfs::is_symlink(link));
}

TEST_F(ReportPath, AnEarlierReportThatCannotBeRemovedStopsTheStart) {
  write("kept/r.json", "{\"outcome\":\"completed\"}");
  ::chmod(file("kept").c_str(), 0555);
  const ChildResult run = runWithReport(file("kept/r.json"), true);
  ::chmod(file("kept").c_str(), 0755);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "xkmtool: the report " + file("kept/r.json") +
                         " of an earlier run cannot be removed: Permission denied: " +
                         file("kept/r.json") + "\n");
  EXPECT_FALSE(stdfs::exists(work(kContainer)));
}
#endif

}  // namespace
}  // namespace xkm::test
