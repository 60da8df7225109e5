#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "support/tool_runner.h"
#include "toolchain_fixture.h"

namespace xkm {
namespace {

TEST(LibraryFileName, PrintsAndSealsTheNameALibraryMustCarry) {
  test::InstalledTool tool;
  const std::string library = test::DemoLibrary();
  const std::string name = std::filesystem::path(library).filename().string();
  test::ToolRun run = tool.run({"--library-name", library});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, name + "\n");

  tool.folder().write("draft.xml", test::ReadFileBytes(library));
  run = tool.run({"--seal-library", "draft.xml"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(tool.folder().file(name)));
  EXPECT_FALSE(std::filesystem::exists(tool.folder().file("draft.xml")));

  run = tool.run({"--library-name", "missing.xml"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "xkmtool: missing.xml: 53 File not found\n");
}

}  // namespace
}  // namespace xkm
