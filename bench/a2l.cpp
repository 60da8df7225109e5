// Speed and memory of the A2L extraction on large generated files laid out
// the way the extraction's patterns expect (CR LF lines, one-line memory
// segments, the module parameter section near the start), beside `cat` of
// the same file (and `rg` for one name, when installed) measured in the same
// run: on a shared machine the ratio is what counts.
//
//   bench_a2l [--benchmark_filter=...]
//
// Targets:
// - BM_ReadA2LData/256: at most 1.5 x cat.
// - BM_BatchInit/256 (xkmtool --batch with a process of the one step Init on
//   the demo configuration): at most 2 x cat.
// - BM_BatchInit/16, /256, /2048: peak resident memory at most 64 MB; the
//   2 GB file also completes under a 1 GB address-space limit.
// - BM_SectionBlanks: a memory segment line with 1 MB of blanks in the module
//   parameter section read in at most 50 ms.
// Run one size per process (scripts/bench does); the files go to the
// temporary folder and are removed when the program ends.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/a2l/a2l_reader.h"
#include "core/platform/os/file_system.h"
#include "core/session/context.h"
#include "core/session/keeping_host.h"

namespace {

namespace stdfs = std::filesystem;

const stdfs::path kDemo = stdfs::path(XKM_SOURCE_DIR) / "examples" / "demo";
constexpr size_t kExtraConstants = 400;

std::string Characteristic(const std::string& name, unsigned address) {
  char text[512];
  std::snprintf(text, sizeof text,
                "/begin CHARACTERISTIC\r\n"
                "  /* calibration value */\r\n"
                "  %s\r\n"
                "  \"%s long identifier\"\r\n"
                "  VALUE\r\n"
                "  0x%08X\r\n"
                "  RL_UWORD\r\n"
                "  0\r\n"
                "  CM_IDENT\r\n"
                "  0\r\n"
                "  65535\r\n"
                "/end CHARACTERISTIC\r\n",
                name.c_str(), name.c_str(), address);
  return text;
}

// The demo A2L file's head up to its module parameter section's end, with
// more system constants: the ECU and facts the demo configuration expects.
std::string DemoHead() {
  const std::string demo = xkm::fs::ReadAllBytes((kDemo / "input" / "ecu_st10.a2l").string());
  const size_t end = demo.find("    /end MOD_PAR");
  std::string head = demo.substr(0, end);
  for (size_t i = 0; i < kExtraConstants; ++i)
    head += "      SYSTEM_CONSTANT \"SY_CONST_" + std::to_string(i) + "\" \"" +
            std::to_string(i * 1000) + "\"\r\n";
  return head + "    /end MOD_PAR\r\n";
}

// Writes a generated A2L file of about `bytes` bytes in pieces, so that
// generating it costs no memory: the demo's head, then characteristics, one
// SGIDB1 a third into the file and SGIDB3 at its end.
void GenerateA2l(const std::string& path, size_t bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const std::string head = DemoHead();
  out << head;
  size_t written = head.size();
  std::string chunk;
  unsigned n = 0;
  bool sgidb1 = false;
  while (written < bytes) {
    chunk.clear();
    while (chunk.size() < (1u << 20)) {
      std::string name = "KL_VALUE_" + std::to_string(n);
      if (!sgidb1 && written + chunk.size() >= bytes / 3) {
        name = "SGIDB1";
        sgidb1 = true;
      }
      chunk += Characteristic(name, 0xA0000 + n * 2);
      ++n;
    }
    out << chunk;
    written += chunk.size();
  }
  out << Characteristic("SGIDB3", 0x80180) << "  /end MODULE\r\n/end PROJECT\r\n";
}

std::string TemporaryPath(const std::string& name) {
  return (stdfs::temp_directory_path() / ("xkm-bench-" + std::to_string(::getpid()) + "-" + name))
      .string();
}

// One generated file per size, removed when the program ends.
struct Files {
  std::map<size_t, std::string> paths;
  ~Files() {
    for (auto& [size, path] : paths) std::remove(path.c_str());
  }
  const std::string& get(size_t megabytes) {
    auto it = paths.find(megabytes);
    if (it != paths.end()) return it->second;
    const std::string path = TemporaryPath(std::to_string(megabytes) + ".a2l");
    GenerateA2l(path, megabytes << 20);
    return paths[megabytes] = path;
  }
} gFiles;

// The built xkmtool with the demo configuration and a process of the one
// step Init, in a folder of its own, removed when the program ends.
struct Installation {
  std::string folder;
  ~Installation() {
    std::error_code ec;
    if (!folder.empty()) stdfs::remove_all(folder, ec);
  }
  const std::string& get() {
    if (!folder.empty()) return folder;
    folder = TemporaryPath("install");
    stdfs::create_directories(stdfs::path(folder) / "input");
    stdfs::copy_file(XKM_CLI_EXE, stdfs::path(folder) / "xkmtool");
    for (const auto& entry : stdfs::directory_iterator(kDemo / "config"))
      stdfs::copy_file(entry.path(), stdfs::path(folder) / entry.path().filename());
    for (const char* input : {"flowdata_4711.xml", "ecu_st10.hex"})
      stdfs::copy_file(kDemo / "input" / input, stdfs::path(folder) / "input" / input);
    std::ofstream(stdfs::path(folder) / "LIB.xml", std::ios::trunc)
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<LIB><PROCESSES><PROCESS KEY=\"1\">"
           "<COMMENT>Init alone</COMMENT><MODULS><MODUL><DISPLAY>Start</DISPLAY><NAME>Init</NAME>"
           "<HELP>Session preparation</HELP></MODUL></MODULS></PROCESS></PROCESSES></LIB>\n";
    // The operator's data of the run stay in the folder as well.
    ::setenv("XDG_CONFIG_HOME", (folder + "/.config").c_str(), 1);
    return folder;
  }
} gInstallation;

struct ChildRun {
  bool completed = false;  // exited with code 0
  double milliseconds = 0;
  double peakMegabytes = 0;
};

// Runs a program in `folder` with its output discarded and, when given, an
// address-space limit; its wall time and its own peak resident memory.
ChildRun RunChild(const std::vector<std::string>& argv, const std::string& folder = ".",
                  rlim_t addressSpace = RLIM_INFINITY) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    const rlimit limit{addressSpace, addressSpace};
    if (::chdir(folder.c_str()) != 0 || ::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(126);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  ChildRun run;
  if (pid < 0) return run;
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  run.milliseconds =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  run.completed = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  run.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
  return run;
}

// The best of three wall times of a program run on the file, in ms; 0 when
// the program cannot be run.
double ReferenceMilliseconds(const std::vector<std::string>& argv) {
  double best = 0;
  for (int i = 0; i < 3; ++i) {
    const ChildRun run = RunChild(argv);
    // rg exits with 1 when it finds nothing; 127 means it is not there.
    if (!run.completed) return 0;
    best = i == 0 ? run.milliseconds : std::min(best, run.milliseconds);
  }
  return best;
}

// cat of the file and, when installed, rg counting one name in it: the time
// it takes to read the file, measured in the same run.
void References(benchmark::State& state, const std::string& path, double milliseconds) {
  const double cat = ReferenceMilliseconds({"cat", path});
  if (cat > 0) {
    state.counters["cat_ms"] = cat;
    state.counters["x_cat"] = milliseconds / cat;
  }
  const double rg = ReferenceMilliseconds({"rg", "-c", "SGIDB1", path});
  if (rg > 0) state.counters["rg_ms"] = rg;
}

void BM_ReadA2LData(benchmark::State& state) {
  const std::string& path = gFiles.get(static_cast<size_t>(state.range(0)));
  const double fileMegabytes = static_cast<double>(stdfs::file_size(path)) / (1 << 20);
  xkm::AppState app;
  xkm::Session session;
  xkm::KeepingHost host;
  xkm::Context ctx{app, session, host};
  double total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    xkm::InitSessionTables(session);
    xkm::WriteValue(session.ConfigTable, "A2LFILE", path);
    xkm::ReadA2LData(ctx);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    total += seconds * 1000;
  }
  if (xkm::ReadValue(session.DataTable, "ADRESSSGIDB1", 1).empty() ||
      xkm::ReadValue(session.DataTable, "ADRESSSGIDB3", 1).empty() ||
      session.SysConstTable.rowCount() != kExtraConstants + 4 ||
      session.MemorySegmentTable.rowCount() != 3) {
    state.SkipWithError("the generated file did not give the expected facts");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(stdfs::file_size(path)));
  state.counters["file_MB"] = fileMegabytes;
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  References(state, path, total / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_ReadA2LData)
    ->Arg(16)
    ->Arg(256)
    ->Arg(2048)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseManualTime();

// The whole batch program with the one step Init: start-up, library check
// and load, the A2L file, the choice of configuration and layout.
void BM_BatchInit(benchmark::State& state) {
  const std::string& path = gFiles.get(static_cast<size_t>(state.range(0)));
  const std::string& folder = gInstallation.get();
  const std::vector<std::string> argv = {"./xkmtool", "--batch",
                                         "input/flowdata_4711.xml,input/ecu_st10.hex," + path};
  double total = 0, peak = 0;
  bool completed = true;
  for (auto _ : state) {
    const ChildRun run = RunChild(argv, folder);
    state.SetIterationTime(run.milliseconds / 1000);
    total += run.milliseconds;
    peak = std::max(peak, run.peakMegabytes);
    completed = completed && run.completed;
  }
  if (!completed) state.SkipWithError("the batch run did not complete");
  state.counters["peak_rss_MB"] = peak;
  state.counters["rss_target_MB"] = 64;
  if (state.range(0) >= 2048) {
    const ChildRun limited = RunChild(argv, folder, rlim_t{1} << 30);
    state.counters["as_1GB_completes"] = limited.completed ? 1 : 0;
    state.counters["as_1GB_ms"] = limited.milliseconds;
  }
  References(state, path, total / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_BatchInit)
    ->Arg(16)
    ->Arg(256)
    ->Arg(2048)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseManualTime();

// A module parameter section whose memory segment line holds 1 MB of blanks:
// before a trailing comment (0), or spread over the gaps between its fields,
// columns lined up (1).
void BM_SectionBlanks(benchmark::State& state) {
  const size_t megabyte = size_t{1} << 20;
  std::string segment = "      /begin MEMORY_SEGMENT CODE1 \"\" CODE FLASH INTERN 0x8 0x10";
  if (state.range(0) == 1) {
    const std::string gap(megabyte / 8, ' ');
    segment = "      /begin MEMORY_SEGMENT" + gap + "CODE1" + gap + "\"\"" + gap + "CODE" + gap +
              "FLASH" + gap + "INTERN" + gap + "0x8" + gap + "0x10";
  }
  segment += " -1 -1 -1 -1 -1";
  if (state.range(0) == 0) segment += std::string(megabyte, ' ') + "/* comment */";
  const std::string path = TemporaryPath("blanks.a2l");
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      << "/begin MOD_PAR \"\"\r\n      ECU \"BLANKS\"\r\n"
      << segment << "\r\n      /end MEMORY_SEGMENT\r\n/end MOD_PAR\r\n";
  xkm::AppState app;
  xkm::Session session;
  xkm::KeepingHost host;
  xkm::Context ctx{app, session, host};
  for (auto _ : state) {
    xkm::InitSessionTables(session);
    xkm::WriteValue(session.ConfigTable, "A2LFILE", path);
    xkm::ReadA2LData(ctx);
  }
  std::remove(path.c_str());
  if (session.MemorySegmentTable.rowCount() != 1) state.SkipWithError("the segment was not read");
  state.counters["target_ms"] = 50;
}
BENCHMARK(BM_SectionBlanks)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
