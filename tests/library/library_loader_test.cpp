#include "core/library/library_loader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/library/crc32.h"
#include "core/platform/error.h"
#include "library_fixture.h"
#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace xkm {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

const std::string kLibrary = "<XKMTOOL><ECU_CONFIGURATION/></XKMTOOL>\r\n";

struct LoaderTest : ::testing::Test, test::LibraryFixture {
  // Writes `content` under the name its CRC demands, with the given ending.
  std::string writeSealed(const std::string& content, const std::string& ending = ".lbr") {
    const std::string name = "LIB_XKM_" + CrcHexOfLibraryBytes(content) + ending;
    folder.write(name, content);
    return name;
  }
  bool loaded() const { return LibraryModel::Of(session).root().localName() == "XKMTOOL"; }
  // Loads and returns the failures as their boxes would show them.
  std::vector<std::string> load() {
    const LibraryLoad result = LoadLibraryFile(ctx);
    EXPECT_EQ(result.loaded, loaded());
    std::vector<std::string> texts;
    for (const Error& failure : result.failures) texts.push_back(failure.numberAndDescription());
    return texts;
  }
};

// A missing folder ends quietly.
TEST_F(LoaderTest, NoneOrSeveralLibrariesReport60013AndLeaveTheDocumentEmpty) {
  app.ExecutableFolder = folder.file("gone");  // a folder that cannot be listed says why
  EXPECT_THAT(load(), ElementsAre("60013 Kein oder mehr als ein Library-File gefunden\n"
                                  "File not found: " +
                                  folder.file("gone")));
  app.ExecutableFolder = folder.path();
  useLibrary("<XKMTOOL/>");
  EXPECT_THAT(load(), ElementsAre("60013 Kein oder mehr als ein Library-File gefunden"));
  EXPECT_FALSE(loaded());

  // Upper-case ".LBR" is not found by the case-sensitive search.
  const std::string upper = writeSealed(kLibrary, ".LBR");
  EXPECT_THAT(load(), ElementsAre(StartsWith("60013 ")));

  // Where names ignore case, the next write would only replace it.
  std::filesystem::remove(folder.file(upper));
  writeSealed(kLibrary);
  writeSealed("<XKMTOOL/>");
  EXPECT_THAT(load(), ElementsAre(StartsWith("60013 ")));
  EXPECT_FALSE(loaded());
}

// Listed in name order wherever they are shown, whatever order the folder keeps.
TEST_F(LoaderTest, LibrariesAreListedInNameOrder) {
  for (const char* name : {"e.lbr", "d.lbr", "notes.txt", "c.lbr", "b.lbr", "a.lbr"})
    folder.write(name, "");
  EXPECT_THAT(LibraryFilesIn(folder.path()),
              ElementsAre("a.lbr", "b.lbr", "c.lbr", "d.lbr", "e.lbr"));
}

// The one library replaces the document held before; other files are passed over.
TEST_F(LoaderTest, NameCheckIgnoresCaseButReportsAChangedFileAndLoadsItAnyway) {
  useLibrary("<OLD/>");
  const std::string name = writeSealed(kLibrary);
  std::string lower = name;
  for (size_t i = 8; i < lower.size(); ++i) lower[i] = static_cast<char>(std::tolower(lower[i]));
  std::filesystem::rename(folder.file(name), folder.file(lower));
  folder.write("notes.txt", "not a library");
  EXPECT_THAT(load(), IsEmpty());
  EXPECT_TRUE(loaded());
  EXPECT_EQ(session.LibraryFilePath, folder.file(lower));

  // One byte more: the name no longer matches the content.
  folder.write(lower, kLibrary + " ");
  EXPECT_THAT(load(), ElementsAre("60014 Library-File ist korrupt oder wurde geändert"));
  EXPECT_TRUE(loaded());
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
  EXPECT_THAT(test::ErrorOf([&] { SealLibraryFile(twin); }).numberAndDescription(),
              MatchesRegex("58 .*LIB_XKM_76EBB3\\.lbr.*"));
  EXPECT_EQ(test::ReadFileBytes(folder.file("LIB_XKM_76EBB3.lbr")), "another file");
  EXPECT_TRUE(std::filesystem::exists(twin));

  EXPECT_THROW(LibraryFileName(folder.file("missing")), Error);
}

TEST(Crc32, CalculateFileAppendsTheSaltAsWindows1252) {
  test::ScratchFolder folder;
  const std::string digits = folder.write("digits", "123456789");
  clsCRC32 crc;
  crc.AddBytes("something before");  // a file's CRC starts afresh
  EXPECT_EQ(static_cast<uint32_t>(crc.CalculateFile(digits)), 0xCBF43926u);
  EXPECT_EQ(static_cast<uint32_t>(crc.CalculateFile(digits, "   ")), 0xCBF43926u);
  // "§" goes in as the single byte 0xA7: 41 bytes in all.
  EXPECT_EQ(static_cast<uint32_t>(crc.CalculateFile(digits, kLibrarySalt)), 0xF0FD4628u);
  EXPECT_EQ(FileCrcHex(digits), "F0FD4628");

  EXPECT_EQ(crc.CalculateFile(folder.file("missing"), kLibrarySalt), 0);
  EXPECT_EQ(crc.CalculateFile(folder.write("empty", ""), kLibrarySalt), 0);
  EXPECT_EQ(crc.CalculateFile(digits, "\xE2\x82\xAC\xE2\x9C\x93"), 0);  // "✓" has no byte
  EXPECT_EQ(test::ErrorNumberOf([&] { FileCrcHex(folder.file("missing")); }), 53);
}

}  // namespace
}  // namespace xkm
