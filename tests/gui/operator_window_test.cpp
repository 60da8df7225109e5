// The main window as an operator meets it: long paths, damaged stores, runs
// that go wrong, and the forms and dialogs it opens.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <filesystem>
#include <memory>

#include "core/platform/error.h"
#include "core/platform/user_store.h"
#include "core/userdata/registry.h"
#include "core/userdata/user_data.h"
#include "gui/frm_init.h"
#include "gui/frm_main.h"
#include "gui/help_pane.h"
#include "gui/qt_text.h"
#include "gui_fixture.h"
#include "support/scratch_folder.h"
#include "support/store_sandbox.h"

namespace xkm {
namespace {

constexpr int kValue = 3;
constexpr const char* kDataPath = "Software\\T\\UserData";

// Steps that do what the test's script says for their name.
class ScriptedToolChain : public StepTarget {
 public:
  using Script = std::map<std::string, std::function<void(const UpdateStateHandler&)>>;
  ScriptedToolChain(UpdateStateHandler report, Script& script)
      : report_(std::move(report)), script_(script) {}
  void CallByName(const std::string& name) override {
    if (auto it = script_.find(name); it != script_.end()) it->second(report_);
  }

 private:
  UpdateStateHandler report_;
  Script& script_;
};

class OperatorWindowTest : public ::testing::Test {
 protected:
  OperatorWindowTest() {
    app.ExecutableFolder = folder.path();
    app.ExecutableName = "xkmtool";
    folder.write("xkmtool.ini", "[System]\r\nToolConfig=tools.ini\r\n");
    useUserData("1=USERNAME;Name;Name;1;1\r\n");
    commandLine = folder.write("in/a.xml", "<x/>") + "," + folder.write("in/a.hex", "") + "," +
                  folder.write("in/a.a2l", "");
  }

  void useUserData(const std::string& data) {
    folder.write("Userdata.ini",
                 "[System]\r\nRegKey=-2147483647\r\nLanguagePath=Software\\T\r\n"
                 "LanguageKey=Language\r\nDataPath=Software\\T\\UserData\r\n[Data]\r\n" +
                     data);
  }

  // Opens a fresh window (a program start) with one step per display text,
  // named S1, S2, ...
  bool start(const std::vector<std::string>& displays, Prompts prompts) {
    std::string moduls;
    for (size_t i = 0; i < displays.size(); ++i)
      moduls += "<MODUL><DISPLAY>" + displays[i] + "</DISPLAY><NAME>S" + std::to_string(i + 1) +
                "</NAME><HELP>h</HELP></MODUL>";
    folder.write("LIB.xml", "<LIB><PROCESSES><PROCESS KEY=\"1\"><MODULS>" + moduls +
                                "</MODULS></PROCESS></PROCESSES></LIB>");
    app = AppState{};
    app.ExecutableFolder = folder.path();
    app.ExecutableName = "xkmtool";
    window = std::make_unique<frmMain>(app, [this](Context&, UpdateStateHandler report) {
      return std::make_unique<ScriptedToolChain>(std::move(report), script);
    });
    window->host().setPrompts(std::move(prompts));
    const bool ok = window->StartUp(commandLine);
    window->show();
    QApplication::processEvents();
    return ok;
  }
  bool start(const std::vector<std::string>& displays) {
    return start(displays, recorder.prompts());
  }

  QTableWidget& grid() { return *test::Child<QTableWidget>(*window, "Grid"); }
  QTableWidget& stateGrid() { return *test::Child<QTableWidget>(*window, "GridState"); }
  QAction& action(const char* key) { return *test::Child<QAction>(*window, key); }
  std::string statusText() { return test::Child<QLabel>(*window, "lastRun")->text().toStdString(); }

  test::StoreSandbox store;
  test::ScratchFolder folder;
  AppState app;
  test::PromptRecorder recorder;
  std::string commandLine;
  ScriptedToolChain::Script script;
  std::unique_ptr<frmMain> window;
};

std::vector<int> ColumnWidths(const QTableWidget& grid) {
  std::vector<int> widths;
  for (int c = 0; c < grid.columnCount(); ++c) widths.push_back(grid.columnWidth(c));
  return widths;
}

TEST_F(OperatorWindowTest, ReportsKeepTheirColumnsAndNeverSlideSideways) {
  ASSERT_TRUE(start({"Init", "Convert"}));
  window->resize(700, 600);
  QApplication::processEvents();
  QTableWidget& g = stateGrid();
  const std::vector<int> widths = ColumnWidths(g);
  EXPECT_EQ(widths, (std::vector<int>{CharactersWide(g, 20), CharactersWide(g, 15),
                                      CharactersWide(g, 85)}));
  const std::string report = "Converting /production/line 4/" + std::string(140, 'x') + "/ecu.hex";
  std::vector<std::vector<int>> seenWidths;
  std::vector<int> seenOffsets;
  script["S2"] = [&](const UpdateStateHandler& updateState) {
    for (int i = 0; i < 25; ++i) {
      updateState(report);
      seenWidths.push_back(ColumnWidths(g));
      seenOffsets.push_back(g.horizontalScrollBar()->value());
    }
  };
  action("Run").trigger();
  QApplication::processEvents();

  for (size_t i = 0; i < seenWidths.size(); ++i) {
    EXPECT_EQ(seenWidths[i], widths) << "report " << i;
    EXPECT_EQ(seenOffsets[i], 0) << "report " << i;
  }
  const int last = g.rowCount() - 1;
  ASSERT_EQ(last, 24);
  EXPECT_EQ(g.item(last, 2)->toolTip().toStdString(), report);
  EXPECT_EQ(test::CellText(g, last, 2), report);
  EXPECT_EQ(g.textElideMode(), Qt::ElideRight);
  EXPECT_FALSE(g.wordWrap());
  // The newest row is in view, from its Modul cell on; its time fits its column.
  const QRect modul = g.visualItemRect(g.item(last, 0));
  EXPECT_GE(modul.left(), 0);
  EXPECT_LE(modul.bottom(), g.viewport()->height());
  EXPECT_LE(CellWidthNeeded(g, g.model()->index(last, 1)) + 1, widths[1])
      << test::CellText(g, last, 1);
}

TEST_F(OperatorWindowTest, TheExpandedHelpPaneTakesTheRoomBelowTheProcesses) {
  ASSERT_TRUE(start({"Init"}));
  const QWidget& processes = *test::Child<QGroupBox>(*window, "FrameProcesses");
  const QWidget& status = *test::Child<QWidget>(*window, "FrameStatus");
  const int processesHeight = processes.height();
  const HelpPane& pane = *test::Child<HelpPane>(*window, "FrameBott");
  test::Child<QPushButton>(*window, "pbSizeHelp")->click();
  QApplication::processEvents();
  EXPECT_EQ(processes.height(), processesHeight);
  EXPECT_LT(pane.geometry().top() - status.geometry().bottom(), 20);
  EXPECT_GT(pane.height(), window->centralWidget()->height() - processesHeight - 60);
}

TEST_F(OperatorWindowTest, TheStatusBarTellsHowEachRunWent) {
  ASSERT_TRUE(start({"Step 1", "Step 2", "Step 3"}));
  const struct {
    const char* name;
    std::function<void()> inStep2;
    std::string duringStep2;
    std::string after;
  } cases[] = {
      {"clean", [] {}, "Running: step “Step 2”", "Run completed at "},
      {"message", [this] { window->host().showMessage("60021 No EPK", "Error"); },
       "Running: step “Step 2”", "Run completed with 1 message at "},
      {"failure", [] { throw Error(60000, "QSR not found - program stops!"); },
       "Running: step “Step 2”", "Run failed at step “Step 2” at "},
      {"stop", [this] { action("Stop").trigger(); }, "Stopping after the current step",
       "Run stopped after step “Step 2” at "},
      {"close", [this] { action("Exit").trigger(); },
       "Stopping: the window closes after the current step", "Run stopped after step “Step 2” at "},
  };
  for (const auto& c : cases) {
    std::string inStep1;
    std::string inStep2;
    script["S1"] = [&](const UpdateStateHandler&) { inStep1 = statusText(); };
    script["S2"] = [&](const UpdateStateHandler&) {
      inStep2 = statusText();
      c.inStep2();  // may throw, as a failing step does
      inStep2 = statusText();
    };
    app.StopRequested = false;  // a real run's library load clears it
    action("Run").trigger();
    EXPECT_EQ(inStep1, "Running: step “Step 1”") << c.name;
    EXPECT_EQ(inStep2, c.duringStep2) << c.name;
    EXPECT_EQ(statusText().rfind(c.after, 0), 0u) << c.name << ": " << statusText();
  }
  EXPECT_FALSE(window->isVisible());
}

TEST_F(OperatorWindowTest, ProcessCellsAreAtLeastAsWideAsTheirText) {
  const std::vector<std::string> displays = {"WWWWWW", "Unknown", "MMM", "i"};
  ASSERT_TRUE(start(displays));
  QTableWidget& g = grid();
  for (int c = 0; c < g.columnCount(); ++c) {
    EXPECT_GE(g.columnWidth(c), CellWidthNeeded(g, g.model()->index(0, c)) + 1) << displays[c];
    EXPECT_GE(g.columnWidth(c), CharactersWide(g, 1.3 * static_cast<double>(displays[c].size())))
        << displays[c];
  }
}

TEST_F(OperatorWindowTest, ADamagedStoreIsMovedAsideAndStartUpGoesOn) {
  const std::string damaged =
      "REGEDIT4\n\n[Software\\T\\UserData]\n\"USERNAME\"=\"Erika\"\nthis line is damaged\n"
      "\"Flag\"=\"1\"\n";
  store.folder().write("xkmtool/HKEY_CURRENT_USER.reg", damaged);
  ASSERT_TRUE(start({"Init"}));
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].title, "User data");
  const std::string& text = recorder.messages[0].text;
  EXPECT_NE(text.find("line 5"), std::string::npos) << text;

  std::vector<std::string> aside;
  for (const auto& entry : std::filesystem::directory_iterator(store.folder().file("xkmtool")))
    if (entry.path().filename().string().starts_with("HKEY_CURRENT_USER.damaged-"))
      aside.push_back(entry.path().string());
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_NE(text.find(aside[0]), std::string::npos) << text;
  EXPECT_EQ(test::ReadFileBytes(aside[0]), damaged);  // kept as it was
  // Start-up went on with what could be read.
  EXPECT_EQ(app.UserInfoTable->text(0, kUserDataValue), "Erika");
  EXPECT_TRUE(app.UserDataObject->CheckUserData());
  EXPECT_TRUE(recorder.questions.empty());
}

// The operator opens Config, clicks the first value, types and presses OK.
void EnterUserName(frmMain& window, const QString& name) {
  test::WhenModalOpens([name](QWidget& form) {
    QTableWidget& g = *test::Child<QTableWidget>(form, "Grid");
    test::ClickAndType(g, 0, kValue, "");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), name);
    test::Child<QPushButton>(form, "pbOK")->click();
  });
  test::Child<QAction>(window, "Config")->trigger();
}

TEST_F(OperatorWindowTest, TheValueLastSavedIsTheOneReadAfterARestart) {
  // Quoted, or the INI reader would take the blanks off the whole line.
  useUserData("1=\"  USERNAME;Name;Name;1;1\"\r\n");
  RegWriteString(user_store::kCurrentUserRoot, kDataPath, "  USERNAME", "Old");
  Prompts realForms = recorder.prompts();
  realForms.userDataForm = nullptr;
  ASSERT_TRUE(start({"Init"}, realForms));
  EXPECT_EQ(app.UserInfoTable->text(0, kUserDataValue), "Old");

  EnterUserName(*window, "New");
  EXPECT_EQ(app.UserInfoTable->text(0, kUserDataValue), "New");
  ASSERT_TRUE(start({"Init"}, realForms));  // the next program start
  EXPECT_EQ(app.UserInfoTable->text(0, kUserDataValue), "New");
  EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(OperatorWindowTest, BlanksAroundTypedPathsAreNotPartOfThem) {
  const std::string xml = folder.write("job/flow.xml", "<x/>");
  const std::string hex = folder.write("job/ecu.hex", "");
  const std::string a2l = folder.write("job/ecu.a2l", "");
  commandLine.clear();
  Prompts prompts = recorder.prompts();
  prompts.inputDialog = [&] {
    QtHost host;
    frmInit dialog(host);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    for (const auto& [field, path] :
         {std::pair{"txtXMLFile", xml}, {"txtHexfile", hex}, {"txtA2LFile", a2l}}) {
      QLineEdit& edit = *test::Child<QLineEdit>(dialog, field);
      QTest::mouseClick(&edit, Qt::LeftButton);
      QTest::keyClicks(&edit, QString::fromStdString("  " + path + " "));
    }
    test::Child<QPushButton>(dialog, "pbOK")->click();
    return dialog.inputs();
  };
  ASSERT_TRUE(start({"Init"}, prompts));
  EXPECT_EQ(app.InputXmlPath, xml);
  EXPECT_EQ(app.InputHexPath, hex);
  EXPECT_EQ(app.InputA2lPath, a2l);
  EXPECT_EQ(test::Child<QLabel>(*window, "inputFiles")->text().toStdString(),
            "XML: flow.xml    Hex/S19: ecu.hex    A2L: ecu.a2l");
}

}  // namespace
}  // namespace xkm
