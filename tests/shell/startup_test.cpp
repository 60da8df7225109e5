#include "core/shell/startup.h"

#include <gtest/gtest.h>

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

class StartupTest : public ::testing::Test {
 protected:
  StartupTest() {
    app.ExecutableFolder = folder.path();
    app.ExecutableName = "xkmtool";
    folder.write("xkmtool.ini", "[System]\r\nToolConfig=tools.ini\r\n");
    folder.write("LIB.xml", kProcessList);
    folder.write("Userdata.ini", test::UserDataIni());
    xml = folder.write("in/a.xml", "<x/>");
    hex = folder.write("in/a.hex", ":00000001FF\r\n");
    a2l = folder.write("in/a.a2l", "");
  }

  StartupResult start(const std::string& commandLine) { return RunStartup(app, host, commandLine); }

  test::StoreSandbox store;  // the operator's store stays in a scratch folder
  test::ScratchFolder folder;
  AppState app;
  test::RecordingHost host;
  std::string xml, hex, a2l;
};

TEST_F(StartupTest, EachFailureEndsStartUpWithItsOneBox) {
  const std::string inputs = xml + "," + hex + "," + a2l;
  const char* const noConfig = "No Config-File: xkmtool.ini found";
  // xkmtool.ini (null: the sound one), LIB.xml, the command line, the box,
  // Userdata.ini.
  const std::tuple<const char*, const char*, std::string, std::string, std::string> cases[] = {
      // No command line: the input dialog asks, and its Cancel ends start-up.
      {nullptr, kProcessList, "  ",
       "Information about XML-File, Hex/S19-File and A2L-File required!", test::UserDataIni()},
      {"[System]\r\nToolConfig=   \r\n", kProcessList, inputs, noConfig, test::UserDataIni()},
      {nullptr, kProcessList, xml + ", /nowhere/b.hex , /nowhere/c.a2l",
       "60000 File not found : /nowhere/b.hex",
       test::UserDataIni()},  // the first missing file, trimmed
      {nullptr, "<LIB><PROCESSES>", inputs,
       "Premature end of data in tag PROCESSES line 1 (line 1, column 17)", test::UserDataIni()},
      {nullptr,
       "<LIB><PROCESSES><PROCESS KEY='1'><MODULS><MODUL><DISPLAY>d</DISPLAY>"
       "<HELP>h</HELP></MODUL></MODULS></PROCESS></PROCESSES></LIB>",
       inputs, "91 Object variable or With block variable not set", test::UserDataIni()},
      // The operator's data fail after the process list was read: no step is kept.
      {nullptr,
       "<LIB><PROCESSES><PROCESS KEY='1'><MODULS><MODUL><DISPLAY>d</DISPLAY><NAME>Init</NAME>"
       "<HELP>h</HELP></MODUL></MODULS></PROCESS></PROCESSES></LIB>",
       inputs,
       "9 Subscript out of range (" + folder.file("Userdata.ini") +
           ": [Data] 1=USERNAME;Name;Name;1)",
       test::UserDataIni("1=USERNAME;Name;Name;1\r\n")},
  };
  for (const auto& [ini, processList, commandLine, message, userData] : cases) {
    SCOPED_TRACE(message);
    folder.write("xkmtool.ini", ini ? ini : "[System]\r\nToolConfig=tools.ini\r\n");
    folder.write("LIB.xml", processList);
    folder.write("Userdata.ini", userData);
    host.messages.clear();
    const StartupResult result = start(commandLine);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.steps.empty());
    EXPECT_EQ(host.messages, (std::vector<test::RecordedMessage>{{kStartupErrorTitle, message}}));
  }
  EXPECT_EQ(host.inputDialogCount, 1);

  folder.write("Userdata.ini", test::UserDataIni());
  host.messages.clear();
  host.inputDialogResult = {false, xml, hex, a2l};
  folder.write("LIB.xml", "<LIB><PROCESSES><PROCESS KEY='1'/></PROCESSES></LIB>");
  StartupResult result = start("");
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(app.InputA2lPath, a2l);
  EXPECT_TRUE(result.steps.empty());
  EXPECT_EQ(app.WindowTitle, "xkmtool");  // no COMMENT, title unchanged
}

TEST_F(StartupTest, ReadsTheConfigurationAndOffersTheUserDataFormUntilTheDataAreEntered) {
  StartupResult result = start(" " + xml + " , " + hex + "," + a2l + "  ");
  ASSERT_TRUE(result.ok) << result.failureMessage;
  EXPECT_EQ(app.ToolConfigPath, folder.file("tools.ini"));  // taken beside the executable
  EXPECT_EQ(app.InputXmlPath + "|" + app.InputHexPath + "|" + app.InputA2lPath,
            xml + "|" + hex + "|" + a2l);
  std::string steps;
  for (const ProcessStep& step : result.steps)
    steps += step.display + "," + step.name + "," + step.help + "|";
  EXPECT_EQ(steps, "Start,Init,Prepares|Logistic data,READ_LOGISTIC_DATA,Reads|");
  EXPECT_EQ(app.WindowTitle, "xkmtool Line A");
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.inputDialogCount, 0);
  const std::string inputs = xml + "," + hex + "," + a2l;
  const test::RecordedMessage question{"User-Information", Message(0, 60312)};
  // The question was answered No: no form.
  EXPECT_EQ(host.userDataFormCount, 0);
  EXPECT_FALSE(app.UserDataObject->CheckUserData());
  host.questions.clear();
  host.answerYes = true;
  host.onUserDataForm = [](SessionTable& table, int) {
    table.setField(0, kUserDataValue, "Erika");
    return false;  // OK
  };
  for (int run = 0; run < 2; ++run) {  // entered once: the next start asks nothing
    ASSERT_TRUE(start(inputs).ok);
    EXPECT_EQ(host.questions, std::vector<test::RecordedMessage>(run ? 0 : 1, question));
    host.questions.clear();
    EXPECT_EQ(host.userDataFormCount, 1);
    EXPECT_EQ(app.UserInfoTable, app.UserDataObject->GetUserData());
    EXPECT_EQ(app.UserInfoTable->text(0, kUserDataValue), "Erika");
  }
}

TEST(ProgramNameOf, DropsTheExtensionOnly) {
  const std::pair<const char*, const char*> rows[] = {{"xkmtool.exe", "xkmtool"},
                                                      {"xkmtool", "xkmtool"},
                                                      {"xkm.tool.exe", "xkm.tool"},
                                                      {".xkmtool", ".xkmtool"}};
  for (const auto& [fileName, name] : rows) EXPECT_EQ(ProgramNameOf(fileName), name) << fileName;
}

}  // namespace
}  // namespace xkm
