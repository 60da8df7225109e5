// Library load at production size: a 20 MB library (many ENTRY rules in front
// of the ones that match, and many large layouts) checked against its name's
// CRC, parsed, and asked every lookup a session preparation makes.
//
//   bench_library
//
// Target: at most 150 ms per preparation.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/library/crc32.h"
#include "core/library/library_loader.h"
#include "core/platform/os/file_system.h"
#include "core/platform/xml/xml.h"
#include "core/session/context.h"
#include "core/session/keeping_host.h"
#include "core/session/session.h"
#include "core/toolchain/prepare_session.h"

#ifndef XKM_SOURCE_DIR
#error "XKM_SOURCE_DIR must name the source folder"
#endif

namespace {

using namespace xkm;

std::string Demo(const std::string& relative) {
  return fs::ReadAllBytes(std::string(XKM_SOURCE_DIR) + "/examples/demo/" + relative);
}

void InsertAfter(std::string& text, const std::string& marker, const std::string& insert) {
  const size_t at = text.find(marker);
  if (at == std::string::npos) throw std::runtime_error("no " + marker + " in the demo library");
  text.insert(at + marker.size(), insert);
}

// The demo library with rules that never match in front of the real ones, and
// layouts with large templates, to about `bytes`.
std::string MakeLibrary(size_t bytes) {
  std::string library = Demo("config/LIB_XKM_B3FCD394.lbr");
  std::string ecus;
  std::string rules;
  for (int i = 0; i < 20000; ++i) {
    ecus += "\n    <ENTRY ECU=\"EDC_FILLER_" + std::to_string(i) + "\" CONFIG_NUM=\"2\"/>";
    rules += "\n    <ENTRY CONFIG.CPU_TYPE=\"9\" ADRESSLABEL.CODE_FLASH.4=\"" + std::to_string(i) +
             "\" LAYOUT=\"AST_FILLER_" + std::to_string(i) + "\"/>";
  }
  InsertAfter(library, "<ECU_CONFIGURATION>", ecus);
  InsertAfter(library, "<ADRESSLAYOUT_CONFIGURATION>", rules);

  std::string body;
  for (int line = 0; body.size() < 90000; ++line)
    body += "Line" + std::to_string(line) + "=<?variable name=\"V" + std::to_string(line % 50) +
            "\"?> 0123456789ABCDEF0123456789ABCDEF\n";
  std::string layouts;
  for (int i = 0; library.size() + layouts.size() < bytes; ++i) {
    layouts += "\n  <ADRESSLAYOUT VALUE=\"AST_FILLER_" + std::to_string(i) +
               "\">\n    <DATABLOCK_COUNT>1</DATABLOCK_COUNT>\n    <MIM_CONVERSION>0"
               "</MIM_CONVERSION>\n    <TEMPLATES>\n";
    for (const char* kind : {"RAW", "MCS", "QSR", "QSR_HEXINFO", "BRAKEL"}) {
      layouts += std::string("      <") + kind + "><NAME>" + kind + std::to_string(i) +
                 ".txt</NAME><DATA><![CDATA[" + (std::string(kind) == "RAW" ? body : "x") +
                 "]]></DATA></" + kind + ">\n";
    }
    layouts += "    </TEMPLATES>\n  </ADRESSLAYOUT>";
  }
  InsertAfter(library, "</ADRESSLAYOUT_CONFIGURATION>", layouts);
  return library;
}

class Installation {
 public:
  Installation() {
    std::string pattern = (std::filesystem::temp_directory_path() / "xkm-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    const std::string draft = folder_ + "/library.draft";
    fs::WriteFileAtomic(draft, MakeLibrary(size_t(20) << 20));
    library_ = folder_ + "/" + LibraryFileName(draft);
    std::filesystem::rename(draft, library_);
    std::filesystem::create_directories(folder_ + "/work");
    fs::WriteFileAtomic(hex(), Demo("input/ecu_st10.hex"));
    fs::WriteFileAtomic(a2l(), Demo("input/ecu_st10.a2l"));
  }
  ~Installation() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  const std::string& folder() const { return folder_; }
  const std::string& library() const { return library_; }
  std::string hex() const { return folder_ + "/work/ecu_st10.hex"; }
  std::string a2l() const { return folder_ + "/work/ecu_st10.a2l"; }

 private:
  std::string folder_;
  std::string library_;
};

void BM_PrepareSessionWithLargeLibrary(benchmark::State& state) {
  Installation installation;
  AppState app;
  app.ExecutableFolder = installation.folder();
  Session session;
  KeepingHost host;
  Context ctx{app, session, host};
  for (auto _ : state) PrepareSession(ctx, installation.hex(), installation.a2l());
  if (!host.messages.empty() || ReadValue(session.ConfigTable, "AST", 1) != "AST_ST10_2BLOCK")
    state.SkipWithError(("the preparation did not choose the layout: " +
                         (host.messages.empty() ? std::string() : host.messages.back()))
                            .c_str());
  const double megabytes =
      static_cast<double>(std::filesystem::file_size(installation.library())) / (1 << 20);
  state.counters["library_MB"] = megabytes;
  state.counters["target_ms"] = 150;
}
BENCHMARK(BM_PrepareSessionWithLargeLibrary)->Unit(benchmark::kMillisecond)->UseRealTime();

// The share of the above that is the load alone (CRC and parse).
void BM_LoadLargeLibrary(benchmark::State& state) {
  Installation installation;
  AppState app;
  app.ExecutableFolder = installation.folder();
  Session session;
  DataContext ctx{app, session};
  LibraryLoad load;
  for (auto _ : state) load = LoadLibraryFile(ctx);
  if (!load.failures.empty()) state.SkipWithError(load.failures.front().description().c_str());
}
BENCHMARK(BM_LoadLargeLibrary)->Unit(benchmark::kMillisecond)->UseRealTime();

// Parts of the load: the CRC of the file with the salt, and the parse.
void BM_LargeLibraryCrc(benchmark::State& state) {
  Installation installation;
  for (auto _ : state) benchmark::DoNotOptimize(FileCrcHex(installation.library()));
}
BENCHMARK(BM_LargeLibraryCrc)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ParseLargeLibrary(benchmark::State& state) {
  Installation installation;
  for (auto _ : state) {
    XmlDocument document;
    if (!document.load(installation.library())) state.SkipWithError("parse failed");
  }
}
BENCHMARK(BM_ParseLargeLibrary)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
