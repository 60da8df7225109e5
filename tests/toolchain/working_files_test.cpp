#include "core/toolchain/working_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace xkm {
namespace {

struct DeleteWorkingFilesTest : ::testing::Test {
  DeleteWorkingFilesTest() {
    InitSessionTables(session);
    // clang-format off
    for (const auto& [name, value] : std::initializer_list<std::pair<const char*, std::string>>{
             {"PFADZIELABLAGE", folder.path()}, {"HEXFILESHORT", "P1.hex"},
             {"HEXFILESHORT_WITHOUT_EXTENSION", "P1"}, {"DATABLOCK_COUNT", "2"},
             {"MIM_CONVERSION_YES_NO", "1"}, {"QSR_TEMPLATE", "p1.qsr"},
             {"QSR_ADRESSINFO_TEMPLATE", "p1.hexinfo"}, {"BSL_TEMPLATE", "p1.bsl"}})
      set(name, value);
    // clang-format on
  }
  void set(const char* name, const std::string& value) {
    WriteValue(session.ConfigTable, name, value);
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(folder.file(name)); }

  test::ScratchFolder folder;
  AppState app;
  Session session;
  DataContext ctx{app, session};
};

TEST_F(DeleteWorkingFilesTest, RemovesEveryWorkingFileAndKeepsTheQsrLog) {
  // clang-format off
  const std::vector<std::string> working = {
      "P1.hex_blk_1", "P1.hex_blk_1_mim", "P1_1.bcb", "P1_1_bcb.log", "P1.hex_blk_2",
      "P1.hex_blk_2_mim", "P1_2.bcb", "P1_2_bcb.log", "P1.hex_HEXINFO", "CS.LOG", "p1.qsr",
      "p1.hexinfo", "p1.bsl", "P1.wbc", "QSR.LOG"};
  // clang-format on
  for (const std::string& name : working) folder.write(name, "x");
  folder.write("QSR.LOG", "the log");
  folder.write("P1_QSR.LOG", "an older log");
  for (const char* kept : {"P1.hex", "AAA____________1.xkm", "P1_3.bcb"})  // P1_3: beyond the count
    folder.write(kept, "x");
  std::filesystem::permissions(folder.file("P1_1.bcb"), std::filesystem::perms::owner_read);

  DeleteWorkingFiles(ctx);

  for (const std::string& name : working) EXPECT_FALSE(exists(name)) << name;
  EXPECT_EQ(test::ReadFileBytes(folder.file("P1_QSR.LOG")), "the log");
  EXPECT_TRUE(exists("P1.hex") && exists("AAA____________1.xkm") && exists("P1_3.bcb"));
}

TEST_F(DeleteWorkingFilesTest, MimFilesStayWithoutMimConversionAndBlankTemplatesAreSkipped) {
  set("MIM_CONVERSION_YES_NO", "0");
  set("BSL_TEMPLATE", "");
  set("QSR_TEMPLATE", " ");
  folder.write("P1.hex_blk_1_mim", "x");
  EXPECT_NO_THROW(DeleteWorkingFiles(ctx));
  EXPECT_TRUE(exists("P1.hex_blk_1_mim"));
}

TEST_F(DeleteWorkingFilesTest, AnEmptyBlockCountFailsBeforeRemovingAnything) {
  set("DATABLOCK_COUNT", "");
  folder.write("CS.LOG", "x");
  EXPECT_EQ(test::ErrorNumberOf([&] { DeleteWorkingFiles(ctx); }), 13);
  EXPECT_TRUE(exists("CS.LOG"));
}

}  // namespace
}  // namespace xkm
