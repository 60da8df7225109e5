#include "core/library/library_loader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <new>

#include "core/library/crc32.h"
#include "core/platform/error.h"
#include "library_fixture.h"

namespace xkm {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::string kLibrary = "<XKMTOOL><ECU_CONFIGURATION/></XKMTOOL>\r\n";

struct LoaderTest : ::testing::Test, test::LibraryFixture {
  // Writes `content` under the name its CRC demands, with the given ending.
  std::string writeSealed(const std::string& content, const std::string& ending = ".lbr") {
    const std::string probe = folder.write("probe.tmp", content);
    std::string name = "LIB_XKM_" + FileCrcHex(probe) + ending;
    std::filesystem::remove(probe);
    folder.write(name, content);
    return name;
  }
  bool loaded() const {
    return static_cast<bool>(session.LibraryDocument.selectSingleNode("/XKMTOOL"));
  }
};

TEST_F(LoaderTest, LoadsTheOneSealedLibraryAndClearsStop) {
  app.StopRequested = true;
  session.LibraryDocument.loadFromMemory("<OLD/>");
  const std::string name = writeSealed(kLibrary);
  folder.write("notes.txt", "not a library");
  LoadLibraryFile(ctx);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(loaded());
  EXPECT_EQ(session.LibraryFilePath, folder.file(name));
  EXPECT_FALSE(app.StopRequested);
}

TEST_F(LoaderTest, NoneOrSeveralLibrariesReport60013AndLeaveTheDocumentEmpty) {
  session.LibraryDocument.loadFromMemory("<XKMTOOL/>");
  app.StopRequested = true;
  LoadLibraryFile(ctx);
  ASSERT_THAT(host.messages, ElementsAre(test::RecordedMessage{
                                 "Error", "60013 Kein oder mehr als ein Library-File gefunden"}));
  EXPECT_FALSE(loaded());
  EXPECT_TRUE(app.StopRequested);

  // Upper-case ".LBR" is not found by the case-sensitive search.
  host.messages.clear();
  writeSealed(kLibrary, ".LBR");
  LoadLibraryFile(ctx);
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_THAT(host.messages[0].text, StartsWith("60013 "));

  host.messages.clear();
  writeSealed(kLibrary);
  writeSealed("<XKMTOOL/>");
  LoadLibraryFile(ctx);
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_THAT(host.messages[0].text, StartsWith("60013 "));
  EXPECT_FALSE(loaded());
}

TEST_F(LoaderTest, NameCheckIgnoresCaseButReportsAChangedFileAndLoadsItAnyway) {
  const std::string name = writeSealed(kLibrary);
  std::string lower = name;
  for (size_t i = 8; i < lower.size(); ++i) lower[i] = static_cast<char>(std::tolower(lower[i]));
  std::filesystem::rename(folder.file(name), folder.file(lower));
  LoadLibraryFile(ctx);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(loaded());

  // One byte more: the name no longer matches the content.
  folder.write(lower, kLibrary + " ");
  app.StopRequested = true;
  LoadLibraryFile(ctx);
  ASSERT_THAT(host.messages, ElementsAre(test::RecordedMessage{
                                 "Error", "60014 Library-File ist korrupt oder wurde geändert"}));
  EXPECT_TRUE(loaded());
  EXPECT_FALSE(app.StopRequested);
}

TEST_F(LoaderTest, UnparsableLibraryReports60015WithTheReason) {
  app.LanguageOffset = 1000;
  app.StopRequested = true;
  writeSealed("<XKMTOOL><ECU_CONFIGURATION></XKMTOOL>");
  LoadLibraryFile(ctx);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].title, "Error");
  EXPECT_THAT(host.messages[0].text, StartsWith("60015 Library-file is corrupt\r\n"));
  EXPECT_GT(host.messages[0].text.size(), std::string("60015 Library-file is corrupt\r\n").size());
  EXPECT_FALSE(loaded());
  EXPECT_TRUE(app.StopRequested);

  // An empty file is named LIB_XKM_0.lbr and does not parse.
  std::filesystem::remove_all(folder.path());
  std::filesystem::create_directories(folder.path());
  host.messages.clear();
  folder.write("LIB_XKM_0.lbr", "");
  LoadLibraryFile(ctx);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_THAT(host.messages[0].text, StartsWith("60015 "));
}

TEST_F(LoaderTest, MissingFolderEndsQuietly) {
  app.ExecutableFolder = folder.file("gone");
  app.StopRequested = true;
  LoadLibraryFile(ctx);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(loaded());
  EXPECT_TRUE(app.StopRequested);
}

TEST_F(LoaderTest, SealingNamesTheFileByItsCrcAndNeverOverwrites) {
  const std::string draft = folder.write("draft.xml", "lib7");
  EXPECT_EQ(LibraryFileName(draft), "LIB_XKM_76EBB3.lbr");
  EXPECT_EQ(SealLibraryFile(draft), folder.file("LIB_XKM_76EBB3.lbr"));
  EXPECT_FALSE(std::filesystem::exists(draft));
  // Sealing a sealed file changes nothing.
  EXPECT_EQ(SealLibraryFile(folder.file("LIB_XKM_76EBB3.lbr")), folder.file("LIB_XKM_76EBB3.lbr"));

  const std::string twin = folder.write("twin.xml", "lib7");
  folder.write("LIB_XKM_76EBB3.lbr", "another file");
  try {
    SealLibraryFile(twin);
    FAIL() << "overwrote an existing file";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 58);
    EXPECT_THAT(e.description(), HasSubstr("LIB_XKM_76EBB3.lbr"));
  }
  EXPECT_EQ(test::ReadFileBytes(folder.file("LIB_XKM_76EBB3.lbr")), "another file");
  EXPECT_TRUE(std::filesystem::exists(twin));

  EXPECT_THROW(LibraryFileName(folder.file("missing")), Error);
}

// The load ends quietly only on its own failures; memory running out (here
// while its message is shown) is passed on to be named as such.
TEST_F(LoaderTest, MemoryRunningOutIsPassedOn) {
  struct ExhaustedHost : test::RecordingHost {
    void showMessage(const std::string&, const std::string&) override { throw std::bad_alloc(); }
  } exhausted;
  Context exhaustedContext{app, session, exhausted};
  EXPECT_THROW(LoadLibraryFile(exhaustedContext), std::bad_alloc);  // 60013 cannot be shown
  EXPECT_NO_THROW(LoadLibraryFile(ctx));
}

}  // namespace
}  // namespace xkm
