#include "core/toolchain/working_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/platform/error.h"
#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace xkm {
namespace {

class DeleteWorkingFilesTest : public ::testing::Test {
 protected:
  DeleteWorkingFilesTest() {
    InitSessionTables(session);
    set("PFADZIELABLAGE", folder.path());
    set("HEXFILESHORT", "P1.hex");
    set("HEXFILESHORT_WITHOUT_EXTENSION", "P1");
    set("DATABLOCK_COUNT", "2");
    set("MIM_CONVERSION_YES_NO", "1");
    set("QSR_TEMPLATE", "p1.qsr");
    set("QSR_ADRESSINFO_TEMPLATE", "p1.hexinfo");
    set("BSL_TEMPLATE", "p1.bsl");
  }
  void set(const char* name, const std::string& value) {
    WriteValue(session.ConfigTable, name, value);
  }
  void touch(const std::string& name, const std::string& content = "x") {
    folder.write(name, content);
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(folder.file(name)); }

  test::ScratchFolder folder;
  Session session;
};

TEST_F(DeleteWorkingFilesTest, RemovesEveryWorkingFileAndKeepsTheQsrLog) {
  const std::vector<std::string> working = {
      "P1.hex_blk_1",     "P1.hex_blk_1_mim", "P1_1.bcb",     "P1_1_bcb.log",   "P1.hex_blk_2",
      "P1.hex_blk_2_mim", "P1_2.bcb",         "P1_2_bcb.log", "P1.hex_HEXINFO", "CS.LOG",
      "p1.qsr",           "p1.hexinfo",       "p1.bsl",       "P1.wbc"};
  for (const std::string& name : working) touch(name);
  touch("QSR.LOG", "the log");
  touch("P1_QSR.LOG", "an older log");
  touch("P1.hex");
  touch("AAA____________1.xkm");
  touch("P1_3.bcb");  // beyond the block count
  std::filesystem::permissions(folder.file("P1_1.bcb"), std::filesystem::perms::owner_read |
                                                            std::filesystem::perms::group_read |
                                                            std::filesystem::perms::others_read);

  DeleteWorkingFiles(session);

  for (const std::string& name : working) EXPECT_FALSE(exists(name)) << name;
  EXPECT_FALSE(exists("QSR.LOG"));
  EXPECT_EQ(test::ReadFileBytes(folder.file("P1_QSR.LOG")), "the log");
  EXPECT_TRUE(exists("P1.hex"));
  EXPECT_TRUE(exists("AAA____________1.xkm"));
  EXPECT_TRUE(exists("P1_3.bcb"));
}

TEST_F(DeleteWorkingFilesTest, MimFilesStayWithoutMimConversionAndBlankTemplatesAreSkipped) {
  set("MIM_CONVERSION_YES_NO", "0");
  set("BSL_TEMPLATE", "");
  set("QSR_TEMPLATE", " ");
  touch("P1.hex_blk_1_mim");
  EXPECT_NO_THROW(DeleteWorkingFiles(session));
  EXPECT_TRUE(exists("P1.hex_blk_1_mim"));
}

TEST_F(DeleteWorkingFilesTest, AnEmptyBlockCountFailsBeforeRemovingAnything) {
  set("DATABLOCK_COUNT", "");
  touch("CS.LOG");
  EXPECT_EQ(test::ErrorNumberOf([&] { DeleteWorkingFiles(session); }), 13);
  EXPECT_TRUE(exists("CS.LOG"));
}

}  // namespace
}  // namespace xkm
