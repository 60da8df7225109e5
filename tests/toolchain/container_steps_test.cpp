#include <gtest/gtest.h>

#include <filesystem>

#include "core/platform/error.h"
#include "core/resources/message_ids.h"
#include "core/toolchain/command_text.h"
#include "core/toolchain/file_names.h"
#include "core/toolchain/tool_chain.h"
#include "toolchain_fixture.h"

namespace xkm {
namespace {

class BuildXKMContainerTest : public ::testing::Test, protected test::ToolchainFixture {
 protected:
  BuildXKMContainerTest() {
    InitSessionTables(session);
    WriteValue(session.ConfigTable, "PFADZIELABLAGE", folder.path());
    WriteValue(session.ConfigTable, "MCS_CONTENT",
               "<variable name=\"A\" value=\"<$DATA.SGIDB1>\">\r\n");
    WriteValue(session.ConfigTable, "RAW_CONTENT", "X=<?variable name=\"A\"?>;\r\n\xC3\xA4\r\n");
  }
  void build(const std::string& sgidb1, const std::string& sgidb3) {
    WriteValue(session.DataTable, "SGIDB1", sgidb1);
    WriteValue(session.DataTable, "SGIDB3", sgidb3);
    clsToolChain chain(ctx, [this](const std::string& text) { reports.push_back(text); });
    chain.CallByName("buildxkmcontainer");
  }
  std::vector<std::string> reports;
};

TEST_F(BuildXKMContainerTest, NamesTheContainerPaddedToSixteenCharacters) {
  build("ABC", "12");
  EXPECT_EQ(config("CNT_FILENAME"), "ABC___________12");
  EXPECT_EQ(test::ReadFileBytes(folder.file("ABC___________12.xkm")), "X=ABC;\r\n\xE4\r\n");
  EXPECT_EQ(reports, (std::vector<std::string>{"Erstelle XKM-Container ..."}));

  build("ABCDEFGHIJ", "12345");
  EXPECT_EQ(config("CNT_FILENAME"), "ABCDEFGHIJ_12345");
  build("ABCDEFGHIJKL", "12345678");
  EXPECT_EQ(config("CNT_FILENAME"), "ABCDEFGHIJKL_12345678");
  build("", "");
  EXPECT_EQ(config("CNT_FILENAME"), std::string(16, '_'));
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(BuildXKMContainerTest, LeftoverPlaceholdersShowABoxAndWriteNothing) {
  WriteValue(session.ConfigTable, "MCS_CONTENT", "<variable name=\"A\" value=\"<$Data.X>\">");
  build("ABC", "12");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0],
            (test::RecordedMessage{"xkmtool", "60020 unbekannte Variablen in MCS-File"}));
  EXPECT_FALSE(std::filesystem::exists(folder.file("ABC___________12.xkm")));
}

TEST_F(BuildXKMContainerTest, ErrorsAreShownAndTheStepEndsNormally) {
  WriteValue(session.ConfigTable, "RAW_CONTENT", "<?variable name=\"NONE\"?>");
  build("ABC", "12");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "60030 unbekannte Variable in RAW-Template :NONE");
  EXPECT_FALSE(std::filesystem::exists(folder.file("ABC___________12.xkm")));
}

TEST_F(BuildXKMContainerTest, ANameFromTheLogisticDataCannotLeaveTheWorkingFolder) {
  build("../../x", "y");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].title, "xkmtool");
  EXPECT_FALSE(std::filesystem::exists(folder.file("../x_____________y.xkm")));
}

TEST(CheckNameInWorkingFolder, RefusesNamesThatLeaveTheFolder) {
  EXPECT_NO_THROW(CheckNameInWorkingFolder("CS_ST10.qsr", msg::kTemplateFileNameError, "QSR"));
  for (const char* name : {"../x.qsr", "/tmp/x.qsr", "sub/x", "..", "."}) {
    try {
      CheckNameInWorkingFolder(name, msg::kTemplateFileNameError, "QSR template name");
      ADD_FAILURE() << name;
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), msg::kTemplateFileNameError);
    }
  }
}

TEST(QuoteArgument, SurvivesTheWindowsSplittingRules) {
  EXPECT_EQ(QuoteArgument("a b"), "\"a b\"");
  EXPECT_EQ(QuoteArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
  EXPECT_EQ(QuoteArgument("end\\"), "\"end\\\\\"");
  EXPECT_EQ(QuoteArgument("a\\b"), "\"a\\b\"");
}

}  // namespace
}  // namespace xkm
