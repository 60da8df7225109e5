// Template engine throughput: expansion of large RAW templates and
// placeholder substitution over many names.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/platform/text/text_pieces.h"
#include "core/session/context.h"
#include "core/session/keeping_host.h"
#include "core/session/session.h"
#include "core/templates/replace_data.h"
#include "core/templates/template_expansion.h"

namespace {

using namespace xkm;

// A temporary folder with the files the file inserts name.
class InsertFiles {
 public:
  static constexpr int kCount = 10;
  InsertFiles() {
    std::string pattern = (std::filesystem::temp_directory_path() / "xkmbench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    for (int i = 0; i < kCount; ++i) {
      std::ofstream out(file(i), std::ios::binary);
      for (int line = 0; line < 16; ++line)
        out << "file " << i << " line " << line << " \xE4\xF6\xFC\r\n";
    }
  }
  ~InsertFiles() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  std::string file(int i) const { return folder_ + "/insert" + std::to_string(i) + ".txt"; }

 private:
  std::string folder_;
};

struct Fixture {
  AppState app;
  Session session;
  KeepingHost host;
  Context ctx{app, session, host};
  Fixture() { InitSessionTables(session); }
};

// A RAW template of about `bytes` with one directive per KB: nine in ten
// variables (some with a cut), one in ten a file insert.
std::string MakeTemplate(size_t bytes, size_t& directives) {
  const std::string filler =
      "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF\r\n";
  std::string text;
  text.reserve(bytes + 1024);
  directives = 0;
  while (text.size() < bytes) {
    for (int i = 0; i < 12; ++i) text += filler;
    size_t n = directives++;
    if (n % 10 == 9) {
      text += "<?fileinsert name=\"F" + std::to_string(n % InsertFiles::kCount) + "\"?>\r\n";
    } else {
      text += "KEY" + std::to_string(n) + "=<?variable name=\"V" + std::to_string(n % 100) + "\"" +
              (n % 3 == 0 ? " CS_Len=2" : "") + "?>;\r\n";
    }
  }
  return text;
}

void BM_ExpandTemplate(benchmark::State& state) {
  Fixture f;
  InsertFiles files;
  std::string definitions;
  for (int i = 0; i < 100; ++i)
    definitions += "<variable name=\"V" + std::to_string(i) + "\" value=\" 0x" +
                   std::to_string(100000 + i) + "ABCD \">\r\n";
  for (int i = 0; i < InsertFiles::kCount; ++i)
    definitions +=
        "<fileinsert name=\"F" + std::to_string(i) + "\" value=\"" + files.file(i) + "\">\r\n";
  SessionTable variables = ParseVariableDefinitions(f.ctx, definitions);
  size_t directives = 0;
  std::string templateText =
      MakeTemplate(static_cast<size_t>(state.range(0)) * 1024 * 1024 / 4, directives);
  std::string output;
  for (auto _ : state) {
    ExpandTemplate(f.ctx, variables, templateText, output);
    benchmark::DoNotOptimize(output.data());
  }
  state.counters["directives"] = static_cast<double>(directives);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * templateText.size()));
}
// Sizes in quarter megabytes: 2.5, 5 and 10 MB.
BENCHMARK(BM_ExpandTemplate)->Arg(10)->Arg(20)->Arg(40)->Unit(benchmark::kMillisecond);

// About 1 MB with 10,000 placeholders over 1,000 DATA names.
std::string MakePlaceholderText(Fixture& f) {
  for (int i = 0; i < 1000; ++i)
    WriteValue(f.session.DataTable, "NAME" + std::to_string(i), " value" + std::to_string(i) + " ");
  const std::string filler(88, 'x');
  std::string text;
  for (int n = 0; n < 10000; ++n)
    text += filler + "<$DATA.NAME" + std::to_string((n * 7) % 1000) + ">\n";
  return text;
}

void BM_ReplaceData(benchmark::State& state) {
  Fixture f;
  const std::string text = MakePlaceholderText(f);
  for (auto _ : state) {
    std::string work = text;
    ReplaceData(f.ctx, work);
    benchmark::DoNotOptimize(work.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReplaceData)->Unit(benchmark::kMillisecond);

// Values holding "<", "$" or ">" could form placeholders anew, so such texts
// are replaced row by row.
void BM_ReplaceDataRowByRow(benchmark::State& state) {
  Fixture f;
  const std::string text = MakePlaceholderText(f);
  WriteValue(f.session.DataTable, "NAME0", "a>b");
  for (auto _ : state) {
    std::string work = text;
    ReplaceData(f.ctx, work);
    benchmark::DoNotOptimize(work.data());
  }
}
BENCHMARK(BM_ReplaceDataRowByRow)->Unit(benchmark::kMillisecond);

// For comparison: one whole-text ReplaceAll per placeholder row, the plain loop.
void BM_ReplaceAllPerRow(benchmark::State& state) {
  Fixture f;
  const std::string text = MakePlaceholderText(f);
  for (auto _ : state) {
    std::string work = text;
    for (int n = 0; n < 10000; ++n) {
      std::string name = "NAME" + std::to_string((n * 7) % 1000);
      work = ReplaceAll(work, "<$DATA." + name + ">", ReadValue(f.session.DataTable, name, 1));
    }
    benchmark::DoNotOptimize(work.data());
  }
}
BENCHMARK(BM_ReplaceAllPerRow)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
