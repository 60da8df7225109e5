#include <filesystem>
#include <functional>
#include <future>
#include <nlohmann/json.hpp>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include "support/installed_process.h"

namespace xkm::test {
namespace {

namespace stdfs = std::filesystem;

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
// report is appended after the state lines; the link stays.
TEST_F(ReportPath, ALinkToTheCallersOwnOutputIsWrittenThere) {
  const std::string link = file("stdout-link");
  stdfs::create_symlink("/proc/self/fd/1", link);
  const ChildResult run = runWithReport(link);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(nlohmann::json::parse(run.out.substr(run.out.find("\n{") + 1))["outcome"], "completed");
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
