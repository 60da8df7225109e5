#include "core/toolchain/working_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/session/config_names.h"
#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace xkm {
namespace {

struct DeleteWorkingFilesTest : ::testing::Test {
  DeleteWorkingFilesTest() {
    InitSessionTables(session);
    set(config::kWorkingFolder, folder.path());
    set(config::kHexFileShort, "P1.hex");
    set(config::kHexFileShortWithoutExtension, "P1");
    set(config::kDatablockCount, "2");
    set(config::kMimConversion, "1");
    set(config::kQsrTemplate, "p1.qsr");
    set(config::kQsrAddressInfoTemplate, "p1.hexinfo");
    set(config::kBslTemplate, "p1.bsl");
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
  const std::vector<std::string> working = {
      "P1.hex_blk_1",     "P1.hex_blk_1_mim", "P1_1.bcb",     "P1_1_bcb.log",   "P1.hex_blk_2",
      "P1.hex_blk_2_mim", "P1_2.bcb",         "P1_2_bcb.log", "P1.hex_HEXINFO", "CS.LOG",
      "p1.qsr",           "p1.hexinfo",       "p1.bsl",       "P1.wbc",         "QSR.LOG"};
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

TEST_F(DeleteWorkingFilesTest, MimFilesStayWithoutMimConversion) {
  set(config::kMimConversion, "0");
  folder.write("P1.hex_blk_1_mim", "x");
  DeleteWorkingFiles(ctx);
  EXPECT_TRUE(exists("P1.hex_blk_1_mim"));
}

TEST_F(DeleteWorkingFilesTest, AnEmptyBlockCountFailsBeforeRemovingAnything) {
  set(config::kDatablockCount, "");
  folder.write("CS.LOG", "x");
  EXPECT_EQ(test::ErrorNumberOf([&] { DeleteWorkingFiles(ctx); }), 13);
  EXPECT_TRUE(exists("CS.LOG"));
}

}  // namespace
}  // namespace xkm
