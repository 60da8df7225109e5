#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/platform/text/text_pieces.h"
#include "support/installed_process.h"

namespace xkm::test {
namespace {

namespace stdfs = std::filesystem;

const std::string kInputs = "input/flowdata_4711.xml,input/ecu_st10.hex,input/ecu_st10.a2l";
const std::string kPreviewContainer = "4711-0815_SW0102.xkm.preview";

// The installed program with the demo configuration, previewing the demo
// order in input/ into pv/.
class Preview : public InstalledProcess {
 protected:
  Preview() { installInputs("input"); }

  ChildResult preview(std::vector<std::string> options = {}) {
    options.insert(options.begin(), {"--preview", file("pv")});
    options.push_back(kInputs);
    ChildCommand command = this->command(options);
    command.workingFolder = root();
    return RunChild(command);
  }
  // Every file of `folder` with its bytes.
  std::map<std::string, std::string> contents(const std::string& folder) const {
    std::map<std::string, std::string> files;
    for (const auto& entry : stdfs::directory_iterator(file(folder)))
      files[entry.path().filename().string()] = ReadFileBytes(entry.path().string());
    return files;
  }

 public:
  // A copy of the demo library with one change, apart from the program's.
  std::string changedLibrary(const std::string& from, const std::string& to) {
    return write("candidates/candidate.lbr", Replaced(DemoLibrary(), from, to));
  }
};

// A run without the clean-up leaves the files it handed the tools, so that
// they can be laid beside the preview's.
TEST_F(Preview, HandsTheToolsWhatARealRunHandsThem) {
  write("LIB.xml", Replaced(ReadFileBytes(file("LIB.xml")), "<NAME>CLEANUPSESSION</NAME>",
                            "<NAME>READ_LOGISTIC_DATA</NAME>"));
  const auto inputs = contents("input");
  const ChildResult previewed = preview();
  ASSERT_EQ(previewed.exitCode, 0) << previewed.err;
  EXPECT_EQ(argvLog(), "");  // no tool started
  EXPECT_EQ(contents("input"), inputs);

  ASSERT_EQ(runBatch(kInputs, "input").exitCode, 0);
  for (const char* handed : {"CS_ST10.qsr", "BRAKEL_ST10.ctl"})
    EXPECT_EQ(ReadFileBytes(file(std::string("pv/") + handed)), ReadFileBytes(work(handed)))
        << handed;
  // The container is the preview with each marker replaced by what the tool made.
  const nlohmann::json runReport = report();
  std::string container = ReadFileBytes(file("pv/" + kPreviewContainer));
  for (const auto& row : runReport["session"]["DataTable"])
    if (row[0].get<std::string>().starts_with("CS_"))
      container =
          ReplaceAll(container, "\xAB" + row[0].get<std::string>() + " from the checksum tool\xBB",
                     row[1].get<std::string>());
  for (const char* block : {"ecu_st10.hex_blk_1_mim", "ecu_st10.hex_blk_2_mim"})
    container = ReplaceAll(container, std::string("\xAB") + block + " from the packer\xBB",
                           ReadFileBytes(work(block)));
  EXPECT_EQ(container, ReadFileBytes(work(kContainer)));

  const nlohmann::json previewReport =
      nlohmann::json::parse(ReadFileBytes(file("pv/preview.json")));
  std::vector<std::string> started;
  for (const auto& tool : runReport["tools"]) started.push_back(tool["commandLine"]);
  EXPECT_EQ(previewReport["commandLines"].get<std::vector<std::string>>(), started);
  EXPECT_EQ(previewReport["layout"], "AST_ST10_2BLOCK");
}

// What a preview says, and what it leaves in its folder.
TEST_F(Preview, ExitCodesAndFiles) {
  struct Row {
    const char* name;
    std::function<std::vector<std::string>(Preview&)> prepare;  // the extra options
    int exitCode;
    std::string inErr;
    std::vector<std::string> files;  // in pv/ afterwards
  };
  const std::vector<std::string> demoFiles = {kPreviewContainer, "BRAKEL_ST10.ctl", "CS_ST10.qsr",
                                              "preview.json"};
  const Row rows[] = {
      {"the demo order", [](Preview&) { return std::vector<std::string>{}; }, 0, "", demoFiles},
      {"a candidate library, not yet sealed",
       [](Preview& p) {
         return std::vector<std::string>{
             "--library", p.changedLibrary("CHECKSUM=CS_TOTAL", "; tried\nCHECKSUM=CS_TOTAL")};
       },
       0, "warning: ", demoFiles},
      {"no layout for the ECU",
       [](Preview& p) {
         return std::vector<std::string>{"--library",
                                         p.changedLibrary("ADRESSLABEL.CODE_FLASH.4=\"80000\"",
                                                          "ADRESSLABEL.CODE_FLASH.4=\"90000\"")};
       },
       1,
       "No session was prepared",
       {"preview.json"}},
      {"a library whose name does not carry its checksum",
       [](Preview& p) {
         stdfs::rename(p.file("LIB_XKM_B3FCD394.lbr"), p.file("LIB_XKM_00000000.lbr"));
         return std::vector<std::string>{};
       },
       3, "Error: 60014", demoFiles},
      {"a folder that is not empty",
       [](Preview& p) {
         p.write("pv/mine.txt", "not the preview's");
         return std::vector<std::string>{};
       },
       2,
       "the folder is not empty",
       {"mine.txt"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    stdfs::remove_all(file("pv"));
    const ChildResult result = preview(row.prepare(*this));
    EXPECT_EQ(result.exitCode, row.exitCode) << result.err;
    EXPECT_NE(result.err.find(row.inErr), std::string::npos) << result.err;
    std::vector<std::string> left;
    for (const auto& [name, bytes] : contents("pv")) left.push_back(name);
    EXPECT_EQ(left, row.files);
  }
  EXPECT_NE(ReadFileBytes(file("pv/mine.txt")).find("not the preview's"), std::string::npos);
}

// The failure a preview names is the one a run with that library shows.
TEST_F(Preview, FailsWithTheRunsMessage) {
  const std::string library =
      changedLibrary("ADRESSLABEL.CODE_FLASH.4=\"80000\"", "ADRESSLABEL.CODE_FLASH.4=\"90000\"");
  EXPECT_EQ(preview({"--library", library}).exitCode, 1);
  replaceLibrary(ReadFileBytes(library));
  ASSERT_EQ(runBatch(kInputs, "input").exitCode, 1);
  EXPECT_EQ(nlohmann::json::parse(ReadFileBytes(file("pv/preview.json")))["messages"],
            report()["messages"]);
}

TEST_F(Preview, UsesTheGivenLibrary) {
  const std::string library = changedLibrary("CHECKSUM=CS_TOTAL", "; tried\nCHECKSUM=CS_TOTAL");
  ASSERT_EQ(preview({"--library", library}).exitCode, 0);
  EXPECT_NE(ReadFileBytes(file("pv/CS_ST10.qsr")).find("; tried"), std::string::npos);
  // The library tried is an input: a report named like it is refused.
  const std::string bytes = ReadFileBytes(library);
  stdfs::remove_all(file("pv"));
  EXPECT_EQ(preview({"--library", library, "--report", library}).exitCode, 2);
  EXPECT_EQ(ReadFileBytes(library), bytes);
}

// Which orders of a trace a library change would turn out different.
TEST_F(Preview, ComparesLibrariesOnTheOrdersOfATrace) {
  write("xkmtool.ini", "[System]\nToolConfig=tools.ini\nTraceLog=input/runs.log\n");
  ASSERT_EQ(runBatch(kInputs, "input").exitCode, 0);
  struct Row {
    const char* name;
    std::string from, to;  // the library change; none when empty
    bool changeImage;      // the image changes after its run
    int exitCode;
    std::string inOut;
  };
  const Row rows[] = {
      {"an identical library", "", "", false, 0, "same       "},
      {"one changed template line", "CHECKSUM=CS_TOTAL;CRC32;0x80000",
       "CHECKSUM=CS_TOTAL;CRC32;0x8", false, 3,
       R"(CS_ST10.qsr line 4: "CHECKSUM=CS_TOTAL;CRC32;0x80000;0xA00FF" → "CHECKSUM=CS_TOTAL;CRC32;0x8;0xA00FF")"},
      {"a changed condition", "LAYOUT=\"AST_ST10_2BLOCK\"", "LAYOUT=\"AST_TC_2BLOCK\"", false, 3,
       "layout AST_ST10_2BLOCK → AST_TC_2BLOCK"},
      {"no layout with the new library", "CODE_FLASH.4=\"80000\"", "CODE_FLASH.4=\"90000\"", false,
       1, "fails with the new library: 60000 No session was prepared"},
      {"an image changed since its run", "", "", true, 0, "ecu_st10.hex changed since the run"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string library = row.from.empty() ? changedLibrary("<XKMTOOL>", "<XKMTOOL>")
                                                 : changedLibrary(row.from, row.to);
    if (row.changeImage) write("input/ecu_st10.hex", DemoInput("ecu_st10.hex") + "\n");
    const ChildResult result =
        RunChild(command({"--compare-library", library, "--orders", work("runs.log")}));
    EXPECT_EQ(result.exitCode, row.exitCode) << result.err;
    EXPECT_NE(result.out.find(row.inOut), std::string::npos) << result.out;
  }
}

}  // namespace
}  // namespace xkm::test
