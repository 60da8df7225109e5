#include "cli/library_check_mode.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "cli/command_options.h"
#include "support/scratch_folder.h"

namespace xkm {
namespace {

TEST(CheckLibraryOption, TakesAFileAndAReportInEitherOrder) {
  for (const auto& arguments :
       std::vector<std::vector<std::string>>{{"--check-library", "a.lbr", "--report", "r.json"},
                                             {"--report=r.json", "--check-library", "a.lbr"}}) {
    const CommandOptions options = ParseCommandOptions(arguments);
    EXPECT_EQ(options.action, CommandAction::CheckLibrary);
    EXPECT_EQ(options.libraryPath, "a.lbr");
    EXPECT_EQ(options.reportPath, "r.json");
  }
  EXPECT_EQ(ParseCommandOptions({"--check-library"}).action, CommandAction::Invalid);
  EXPECT_EQ(ParseCommandOptions({"--check-library", "a.lbr", "x,y,z"}).action,
            CommandAction::Invalid);
  EXPECT_NE(std::string(kUsageText).find("--check-library FILE [--report FILE]"),
            std::string::npos);
}

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
  EXPECT_EQ(json["errors"], 2);
  EXPECT_EQ(json["warnings"], 0);
  EXPECT_EQ(json["exitCode"], 1);
  ASSERT_EQ(json["findings"].size(), 2u);
  EXPECT_EQ(json["findings"][1]["line"], 3);
  EXPECT_EQ(json["findings"][1]["severity"], "error");

  std::ostringstream none;
  EXPECT_EQ(RunLibraryCheck(folder.file("missing.lbr"), "", none, err), 2);
  EXPECT_EQ(none.str(), "");
}

}  // namespace
}  // namespace xkm
