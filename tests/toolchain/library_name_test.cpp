#include <gtest/gtest.h>

#include <filesystem>

#include "support/tool_runner.h"
#include "toolchain_fixture.h"

namespace xkm {
namespace {

TEST(LibraryFileName, PrintsAndSealsTheNameALibraryMustCarry) {
  test::InstalledTool tool;
  const std::string name = std::filesystem::path(test::DemoLibrary()).filename().string();
  tool.folder().write("draft.xml", test::ReadFileBytes(test::DemoLibrary()));
  const test::ToolRun printed = tool.run({"--library-name", "draft.xml"});
  EXPECT_EQ(std::make_pair(printed.exitCode, printed.out), std::make_pair(0, name + "\n"));
  EXPECT_EQ(tool.run({"--seal-library", "draft.xml"}).exitCode, 0);
  EXPECT_TRUE(std::filesystem::exists(tool.folder().file(name)));
  EXPECT_FALSE(std::filesystem::exists(tool.folder().file("draft.xml")));
  const test::ToolRun missing = tool.run({"--library-name", "missing.xml"});
  EXPECT_EQ(std::make_pair(missing.exitCode, missing.err),
            std::make_pair(2, std::string("xkmtool: missing.xml: 53 File not found\n")));
}

}  // namespace
}  // namespace xkm
