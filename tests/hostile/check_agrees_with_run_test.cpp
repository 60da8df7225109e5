#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/installed_process.h"

namespace xkm::test {
namespace {

// The library check and a run of the demo order read one library the same
// way: a library the check finds free of errors never fails a run.
class CheckAgreesWithRun : public InstalledProcess {
 protected:
  CheckAgreesWithRun() { installInputs("input"); }

  std::string installedLibrary() const {
    for (const auto& entry : std::filesystem::directory_iterator(root()))
      if (entry.path().extension() == ".lbr") return entry.path().string();
    return {};
  }
};

struct Change {
  const char* name;
  // Each replaces its first occurrence: in the ST10 layout the order uses.
  std::vector<std::pair<std::string, std::string>> edits;
  bool checkFindsErrors;
  bool runFails;
};

TEST_F(CheckAgreesWithRun, OnEachChangedLibrary) {
  const std::string brakelText =
      "IMAGE=<$CONFIG.HEXFILE>\nNAME=<$CONFIG.HEXFILESHORT_WITHOUT_EXTENSION>\n";
  const Change changes[] = {
      {"as shipped", {}, false, false},
      {"BRAKEL text escaped instead of CDATA",
       {{"<DATA><![CDATA[; control file of the BCB converter\n" + brakelText,
         "<DATA>; control file of the BCB converter\nIMAGE=&lt;$CONFIG.HEXFILE&gt;\n"
         "NAME=&lt;$CONFIG.HEXFILESHORT_WITHOUT_EXTENSION&gt;\n<![CDATA["}},
       false,
       false},
      {"BRAKEL element escaped", {{"<BRAKEL>", "&lt;BRAKEL&gt;"}}, true, true},
      {"no blocks", {{"<DATABLOCK_COUNT>2<", "<DATABLOCK_COUNT>0<"}}, true, true},
      {"MIM conversion off", {{"<MIM_CONVERSION>1<", "<MIM_CONVERSION>0<"}}, false, false},
      {"unknown placeholder", {{"<$DATA.ECU>", "<$Data.X>"}}, true, true},
      {"QSR script outside the folder",
       {{"<NAME>CS_ST10.qsr<", "<NAME>../CS_ST10.qsr<"}},
       true,
       true},
      {"blank MCS name", {{"<NAME>MCS_ST10.txt<", "<NAME> <"}}, true, true},
      {"control file named as the QSR script",
       {{"<NAME>BRAKEL_ST10.ctl<", "<NAME>CS_ST10.qsr<"}},
       true,
       true},
      {"condition without a kind", {{"CONFIG.CPU_TYPE=", "CPU_TYPE="}}, true, true},
      {"condition of an unknown kind", {{"CONFIG.CPU_TYPE=", "KONFIG.CPU_TYPE="}}, true, true},
      {"order's ECU unknown", {{"ECU=\"EDC_DEMO_ST10\"", "ECU=\"EDC_OTHER\""}}, false, true},
      // A run reads the chosen layout back from the session trimmed, and looks
      // the BRAKEL template up under that name.
      {"layout named with blanks around it",
       {{"LAYOUT=\"AST_ST10_2BLOCK\"", "LAYOUT=\" AST_ST10_2BLOCK \""},
        {"VALUE=\"AST_ST10_2BLOCK\"", "VALUE=\" AST_ST10_2BLOCK \""}},
       true,
       true},
  };
  const std::string library = DemoLibrary();
  for (const Change& change : changes) {
    SCOPED_TRACE(change.name);
    std::string changed = library;
    for (const auto& [from, to] : change.edits) changed = Replaced(changed, from, to);
    replaceLibrary(changed);
    const ToolRun check = run({"--check-library", installedLibrary()});
    const ChildResult process = runDemo();
    EXPECT_EQ(check.exitCode == 1, change.checkFindsErrors) << check.out;
    EXPECT_EQ(process.exitCode != 0, change.runFails) << process.err;
  }
}

}  // namespace
}  // namespace xkm::test
