#include "cli/library_check_mode.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "support/scratch_folder.h"

namespace xkm {
namespace {

TEST(RunLibraryCheck, PrintsFindingsWritesTheReportAndExitsByTheWorstFinding) {
  test::ScratchFolder folder;
  const std::string library = folder.write(
      "LIB_XKM_0.lbr", "<XKMTOOL>\n<ECU_CONFIGURATION><ENTRY ECU=\"E\"/></ECU_CONFIGURATION>\n");
  const std::string report = folder.file("report.json");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(RunLibraryCheck(library, report, out, err), 1);
  EXPECT_EQ(out.str().rfind(library + ":1:1: error: the file name does not match", 0), 0u)
      << out.str();
  EXPECT_NE(out.str().find(library + ":3:1: error: the XML does not parse"), std::string::npos)
      << out.str();
  EXPECT_NE(err.str().find("2 errors, 0 warnings"), std::string::npos) << err.str();

  const nlohmann::json json = nlohmann::json::parse(test::ReadFileBytes(report));
  EXPECT_EQ(json["library"], library);
  EXPECT_EQ(json["errors"].dump() + json["warnings"].dump() + json["exitCode"].dump(), "201");
  ASSERT_EQ(json["findings"].size(), 2u);
  EXPECT_EQ(json["findings"][1]["line"].dump() + json["findings"][1]["severity"].dump(),
            "3\"error\"");

  std::ostringstream none;
  EXPECT_EQ(RunLibraryCheck(folder.file("missing.lbr"), "", none, err), 2);
  EXPECT_EQ(none.str(), "");
}

}  // namespace
}  // namespace xkm
