#include "core/shell/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <new>
#include <stdexcept>

#include "core/platform/error.h"
#include "core/platform/file_system.h"
#include "core/platform/user_store.h"
#include "core/resources/string_table.h"
#include "core/userdata/user_data.h"
#include "support/recording_host.h"
#include "support/scratch_folder.h"
#include "support/store_sandbox.h"

namespace xkm {
namespace {

const char* kProcessList = R"(<?xml version="1.0"?>
<LIB><PROCESSES>
  <PROCESS KEY="2"><MODULS><MODUL><DISPLAY>Other</DISPLAY><NAME>X</NAME><HELP>h</HELP></MODUL></MODULS></PROCESS>
  <PROCESS KEY="1"><COMMENT>Line A</COMMENT><MODULS>
    <MODUL><DISPLAY>Start</DISPLAY><NAME>Init</NAME><HELP>Prepares</HELP><COMMUNICATION/></MODUL>
    <MODUL><DISPLAY>Logistic data</DISPLAY><NAME>READ_LOGISTIC_DATA</NAME><HELP>Reads</HELP></MODUL>
  </MODULS></PROCESS>
</PROCESSES></LIB>)";

const char* kUserDataIni =
    "[System]\r\nRegKey=-2147483647\r\nLanguagePath=Software\\Site\r\nLanguageKey=Language\r\n"
    "DataPath=Software\\Site\\UserData\r\n[Data]\r\n1=USERNAME;Name;Name;1;1\r\n";

class StartupTest : public ::testing::Test {
 protected:
  StartupTest() {
    app.ExecutableFolder = folder.path();
    app.ExecutableName = "xkmtool";
    folder.write("xkmtool.ini", "[System]\r\nToolConfig=tools.ini\r\n");
    folder.write("LIB.xml", kProcessList);
    folder.write("Userdata.ini", kUserDataIni);
    xml = folder.write("in/a.xml", "<x/>");
    hex = folder.write("in/a.hex", ":00000001FF\r\n");
    a2l = folder.write("in/a.a2l", "");
  }

  StartupResult start(const std::string& commandLine) { return RunStartup(app, host, commandLine); }

  std::string onlyMessage() const {
    EXPECT_EQ(host.messages.size(), 1u);
    if (host.messages.empty()) return {};
    EXPECT_EQ(host.messages[0].title, kStartupErrorTitle);
    return host.messages[0].text;
  }

  test::StoreSandbox store;  // the operator's store stays in a scratch folder
  test::ScratchFolder folder;
  AppState app;
  test::RecordingHost host;
  std::string xml, hex, a2l;
};

TEST_F(StartupTest, ReadsConfigurationPathsAndTheProcessList) {
  StartupResult result = start(" " + xml + " , " + hex + "," + a2l + "  ");
  ASSERT_TRUE(result.ok) << result.failureMessage;
  EXPECT_EQ(app.ToolConfigPath, folder.file("tools.ini"));  // taken beside the executable
  EXPECT_EQ(app.InputXmlPath, xml);
  EXPECT_EQ(app.InputHexPath, hex);
  EXPECT_EQ(app.InputA2lPath, a2l);
  ASSERT_EQ(result.steps.size(), 2u);
  EXPECT_EQ(result.steps[0].display, "Start");
  EXPECT_EQ(result.steps[1].name, "READ_LOGISTIC_DATA");
  EXPECT_EQ(result.steps[1].help, "Reads");
  EXPECT_EQ(app.WindowTitle, "xkmtool Line A");
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.inputDialogCount, 0);
}

TEST_F(StartupTest, MissingOrBlankToolConfigFails) {
  for (const char* ini : {"[System]\r\nToolConfig=\r\n", "[System]\r\nToolConfig=   \r\n", ""}) {
    folder.write("xkmtool.ini", ini);
    host.messages.clear();
    EXPECT_FALSE(start(xml + "," + hex + "," + a2l).ok);
    EXPECT_EQ(onlyMessage(), "No Config-File: xkmtool.ini found");
  }
}

TEST_F(StartupTest, TheFirstMissingFileIsNamedTrimmed) {
  EXPECT_FALSE(start(xml + ", /nowhere/b.hex , /nowhere/c.a2l").ok);
  EXPECT_EQ(onlyMessage(), "60000 File not found : /nowhere/b.hex");
}

TEST_F(StartupTest, NoCommandLineAsksAndACancelEndsStartUp) {
  EXPECT_FALSE(start("  ").ok);
  EXPECT_EQ(host.inputDialogCount, 1);
  EXPECT_EQ(onlyMessage(), "Information about XML-File, Hex/S19-File and A2L-File required!");

  host.messages.clear();
  host.inputDialogResult = {false, xml, hex, a2l};
  EXPECT_TRUE(start("").ok);
  EXPECT_EQ(app.InputA2lPath, a2l);
}

TEST_F(StartupTest, MemoryRunningOutIsNamedAsSuch) {
  struct ExhaustedHost : test::RecordingHost {
    InputDialogResult showInputDialog() override {
      failure();
      return {};
    }
    std::function<void()> failure;
  };
  const std::pair<std::function<void()>, const char*> rows[] = {
      {[] { throw std::bad_alloc(); }, "7 Out of memory"},
      {[] { throw std::length_error("basic_string::_M_create"); }, "7 Out of memory"},
      {[] { throw std::runtime_error("odd"); }, "51 Internal error: odd"},
  };
  for (const auto& [failure, text] : rows) {
    ExhaustedHost exhausted;
    exhausted.failure = failure;
    EXPECT_FALSE(RunStartup(app, exhausted, "").ok);
    ASSERT_EQ(exhausted.messages.size(), 1u);
    EXPECT_EQ(exhausted.messages[0], (test::RecordedMessage{kStartupErrorTitle, text}));
  }
}

TEST_F(StartupTest, ProcessListFailures) {
  folder.write("LIB.xml", "<LIB><PROCESSES>");
  EXPECT_FALSE(start(xml + "," + hex + "," + a2l).ok);
  EXPECT_EQ(onlyMessage(), "Premature end of data in tag PROCESSES line 1 (line 1, column 17)");

  host.messages.clear();
  folder.write("LIB.xml",
               "<LIB><PROCESSES><PROCESS KEY='1'><MODULS><MODUL><DISPLAY>d</DISPLAY>"
               "<HELP>h</HELP></MODUL></MODULS></PROCESS></PROCESSES></LIB>");
  EXPECT_FALSE(start(xml + "," + hex + "," + a2l).ok);
  EXPECT_EQ(onlyMessage(), "91 Object variable or With block variable not set");

  host.messages.clear();
  folder.write("LIB.xml", "<LIB><PROCESSES><PROCESS KEY='1'/></PROCESSES></LIB>");
  StartupResult result = start(xml + "," + hex + "," + a2l);
  EXPECT_TRUE(result.ok);
  EXPECT_TRUE(result.steps.empty());
  EXPECT_EQ(app.WindowTitle, "xkmtool");  // no COMMENT, title unchanged
}

TEST_F(StartupTest, AFirstRunOffersTheUserDataForm) {
  const test::RecordedMessage question{"User-Information", Message(0, 60312)};
  ASSERT_TRUE(start(xml + "," + hex + "," + a2l).ok);  // No: no form
  EXPECT_EQ(host.userDataFormCount, 0);
  EXPECT_FALSE(app.UserDataObject->CheckUserData());
  host.questions.clear();
  host.answerYes = true;
  host.onUserDataForm = [](SessionTable& table, int) {
    table.setField(0, kUserDataValue, "Erika");
    return false;  // OK
  };
  ASSERT_TRUE(start(xml + "," + hex + "," + a2l).ok) << onlyMessage();
  EXPECT_EQ(host.questions, std::vector<test::RecordedMessage>{question});
  EXPECT_EQ(host.userDataFormCount, 1);
  ASSERT_TRUE(app.UserDataObject);
  EXPECT_EQ(app.UserInfoTable, app.UserDataObject->GetUserData());
  EXPECT_EQ(app.UserInfoTable->text(0, kUserDataValue), "Erika");

  // Entered once: the next start asks nothing.
  host.questions.clear();
  ASSERT_TRUE(start(xml + "," + hex + "," + a2l).ok);
  EXPECT_TRUE(host.questions.empty());
  EXPECT_EQ(host.userDataFormCount, 1);
  EXPECT_EQ(app.UserInfoTable->text(0, kUserDataValue), "Erika");
}

}  // namespace
}  // namespace xkm
