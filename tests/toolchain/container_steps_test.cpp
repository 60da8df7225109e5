#include <gtest/gtest.h>

#include <filesystem>

#include "core/toolchain/command_text.h"
#include "core/toolchain/tool_chain.h"
#include "toolchain_fixture.h"

namespace xkm {
namespace {

// The written container and its text are pinned by the whole-process runs.
struct BuildXKMContainerTest : ::testing::Test, test::ToolchainFixture {
  BuildXKMContainerTest() { reset(); }
  void reset() {
    InitSessionTables(session);
    WriteValue(session.ConfigTable, "PFADZIELABLAGE", folder.path());
    WriteValue(session.ConfigTable, "MCS_CONTENT",
               "<variable name=\"A\" value=\"<$DATA.SGIDB1>\">");
    WriteValue(session.ConfigTable, "RAW_CONTENT", "X=<?variable name=\"A\"?>;\r\n");
  }
  void build(const std::string& sgidb1, const std::string& sgidb3) {
    WriteValue(session.DataTable, "SGIDB1", sgidb1);
    WriteValue(session.DataTable, "SGIDB3", sgidb3);
    clsToolChain(ctx, [](const std::string&) {}).CallByName("buildxkmcontainer");
  }
};

TEST_F(BuildXKMContainerTest, NamesTheContainerPaddedToSixteenCharacters) {
  const std::tuple<const char*, const char*, std::string> rows[] = {
      {"ABC", "12", "ABC___________12"},
      {"ABCDEFGHIJ", "12345", "ABCDEFGHIJ_12345"},
      {"ABCDEFGHIJKL", "12345678", "ABCDEFGHIJKL_12345678"},
      {"", "", std::string(16, '_')}};
  for (const auto& [sgidb1, sgidb3, name] : rows) {
    build(sgidb1, sgidb3);
    EXPECT_EQ(config("CNT_FILENAME"), name);
    EXPECT_TRUE(std::filesystem::exists(folder.file(name + ".xkm"))) << name;
  }
  EXPECT_TRUE(host.messages.empty());
}

// Unknown names show a box, write nothing, and the step ends normally.
TEST_F(BuildXKMContainerTest, UnknownVariablesShowABoxAndWriteNothing) {
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"MCS_CONTENT", "<variable name=\"A\" value=\"<$Data.X>\">",
       "60020 unbekannte Variablen in MCS-File"},
      {"RAW_CONTENT", "<?variable name=\"NONE\"?>",
       "60030 unbekannte Variable in RAW-Template :NONE"}};
  for (const auto& [name, content, message] : rows) {
    reset();
    host.messages.clear();
    WriteValue(session.ConfigTable, name, content);
    build("ABC", "12");
    EXPECT_EQ(host.messages, std::vector<test::RecordedMessage>({{"xkmtool", message}}));
    EXPECT_FALSE(std::filesystem::exists(folder.file("ABC___________12.xkm")));
  }
}

// Names that leave the working folder: the rules are the path tests', the
// refusal's number and text are pinned by the hostile container-name runs.

TEST(QuoteArgument, SurvivesTheWindowsSplittingRules) {
  EXPECT_EQ(QuoteArgument("a b") + QuoteArgument("say \"hi\"") + QuoteArgument("end\\") +
                QuoteArgument("a\\b"),
            R"("a b""say \"hi\"""end\\""a\b")");
}

}  // namespace
}  // namespace xkm
