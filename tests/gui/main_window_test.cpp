#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>

#include "core/platform/error.h"
#include "core/session/session.h"
#include "core/session/utilities.h"
#include "gui/frm_main.h"
#include "gui/help_pane.h"
#include "gui/qt_text.h"
#include "gui/session_view.h"
#include "gui/tool_runs_view.h"
#include "gui_fixture.h"
#include "support/scratch_folder.h"
#include "support/store_sandbox.h"

namespace xkm {
namespace {

const QColor kRest(255, 224, 192);
const QColor kGreen(0, 255, 0);

std::string ProcessList(int steps) {
  std::string moduls;
  for (int i = 1; i <= steps; ++i) {
    const std::string n = std::to_string(i);
    moduls += "<MODUL><DISPLAY>Step number " + n + "</DISPLAY><NAME>S" + n + "</NAME><HELP>Help " +
              n + "</HELP></MODUL>";
  }
  return "<?xml version=\"1.0\"?><LIB><PROCESSES><PROCESS KEY=\"1\"><COMMENT>Line A</COMMENT>"
         "<MODULS>" +
         moduls + "</MODULS></PROCESS></PROCESSES></LIB>";
}

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    app.ExecutableFolder = folder.path();
    app.ExecutableName = "xkmtool";
    folder.write("xkmtool.ini", "[System]\r\nToolConfig=tools.ini\r\n");
    folder.write("Userdata.ini",
                 "[System]\r\nRegKey=-2147483647\r\nLanguagePath=Software\\T\r\n"
                 "LanguageKey=Language\r\nDataPath=Software\\T\\UserData\r\n"
                 "[Data]\r\n1=USERNAME;Name;Name;1;1\r\n");
    commandLine = folder.write("in/a.xml", "<x/>") + "," + folder.write("in/a.hex", "") + "," +
                  folder.write("in/a.a2l", "");
    window.host().setPrompts(prompts.prompts());
  }

  bool start(int steps) {
    folder.write("LIB.xml", ProcessList(steps));
    bool ok = window.StartUp(commandLine);
    window.show();
    QApplication::processEvents();
    return ok;
  }

  QTableWidget& grid() { return *test::Child<QTableWidget>(window, "Grid"); }
  QTableWidget& stateGrid() { return *test::Child<QTableWidget>(window, "GridState"); }
  QAction& action(const char* key) { return *test::Child<QAction>(window, key); }
  std::string helpText() {
    return test::Child<QPlainTextEdit>(window, "txthelp")->toPlainText().toStdString();
  }
  QColor cellColour(int column) { return grid().item(0, column)->background().color(); }
  std::vector<std::string> stateColumn(int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < stateGrid().rowCount(); ++row)
      texts.push_back(test::CellText(stateGrid(), row, column));
    return texts;
  }

  test::StoreSandbox store;
  test::ScratchFolder folder;
  AppState app;
  test::PromptRecorder prompts;
  std::string commandLine;
  test::FakeToolChain::Extras extras;
  std::vector<std::string> called;
  frmMain window{app, [this](Context&, UpdateStateHandler report) {
                   return std::make_unique<test::FakeToolChain>(std::move(report), extras, called);
                 }};
};

TEST_F(MainWindowTest, StartUpFillsTheProcessGridFromTheProcessList) {
  ASSERT_TRUE(start(3));
  EXPECT_EQ(window.windowTitle(), "xkmtool Line A");
  QTableWidget& g = grid();
  ASSERT_EQ(g.columnCount(), 3);
  EXPECT_EQ(test::CellText(g, 0, 1), "Step number 2");
  EXPECT_EQ(test::CellText(g, 1, 1), "S2");
  EXPECT_EQ(test::CellText(g, 2, 1), "Help 2");
  EXPECT_EQ(g.rowHeight(0), 20);
  EXPECT_FALSE(g.isRowHidden(0));
  EXPECT_TRUE(g.isRowHidden(1));
  EXPECT_TRUE(g.isRowHidden(2));
  EXPECT_EQ(g.columnWidth(0), CharactersWide(g, 1.3 * 13));
  EXPECT_EQ(cellColour(0), kRest);

  EXPECT_EQ(stateGrid().rowCount(), 0);
  EXPECT_EQ(stateGrid().horizontalHeaderItem(2)->text(), "Action");
  EXPECT_EQ(stateGrid().columnWidth(2), CharactersWide(stateGrid(), 85));

  const std::vector<std::pair<const char*, const char*>> tooltips = {
      {"Run", "Start process"},
      {"Stop", "Stop process"},
      {"Config", "Show/Edit configuration"},
      {"Help", "Show help"},
      {"Exit", "Exit program"}};
  for (const auto& [key, tooltip] : tooltips) {
    EXPECT_EQ(action(key).toolTip(), tooltip);
    EXPECT_FALSE(action(key).icon().isNull()) << key;
    EXPECT_EQ(action(key).isEnabled(), std::string(key) != "Stop") << key;
  }
  // The operator's data were never entered: the question came, answered No.
  ASSERT_EQ(prompts.questions.size(), 1u);
  EXPECT_EQ(prompts.questions[0].title, "User-Information");
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(MainWindowTest, ARunTurnsEachCellGreenInTurnAndKeepsTheReportsInOrder) {
  ASSERT_TRUE(start(3));
  stateGrid().insertRow(0);  // a row of an earlier run goes
  std::vector<std::string> seen;
  for (int step = 0; step < 3; ++step) {
    extras["S" + std::to_string(step + 1)] = [this, &seen, step] {
      std::string colours;
      for (int c = 0; c < 3; ++c)
        colours += cellColour(c) == kGreen ? 'G' : cellColour(c) == kRest ? '-' : '?';
      seen.push_back(colours + " " + helpText());
      EXPECT_TRUE(action("Stop").isEnabled());
      EXPECT_FALSE(action("Run").isEnabled());
      EXPECT_FALSE(action("Config").isEnabled());
      EXPECT_FALSE(test::Child<QAction>(window, "mnuStart")->isEnabled());
    };
  }
  action("Run").trigger();

  EXPECT_EQ(seen, (std::vector<std::string>{"G-- Help 1", "-G- Help 2", "--G Help 3"}));
  EXPECT_EQ(called, (std::vector<std::string>{"S1", "S2", "S3"}));
  EXPECT_EQ(stateColumn(0), (std::vector<std::string>{"S1", "S2", "S3"}));
  EXPECT_EQ(stateColumn(2), (std::vector<std::string>{"in S1", "in S2", "in S3"}));
  EXPECT_EQ(stateGrid().currentRow(), 2);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(cellColour(c), kRest);
  EXPECT_EQ(helpText(), "");
  EXPECT_FALSE(action("Stop").isEnabled());
  EXPECT_TRUE(action("Run").isEnabled());
  EXPECT_TRUE(action("Config").isEnabled());
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(MainWindowTest, StopDuringStepTwoOfFiveLetsItEndAndStartsNoFurtherStep) {
  ASSERT_TRUE(start(5));
  extras["S2"] = [this] { action("Stop").trigger(); };
  test::Child<QAction>(window, "mnuStart")->trigger();
  EXPECT_EQ(called, (std::vector<std::string>{"S1", "S2"}));
  EXPECT_EQ(stateColumn(2), (std::vector<std::string>{"in S1", "in S2", "Canceled by user"}));
  EXPECT_EQ(stateColumn(0).back(), "S2");
  EXPECT_FALSE(action("Stop").isEnabled());
  EXPECT_EQ(cellColour(1), kRest);
}

TEST_F(MainWindowTest, AStepErrorShowsOneErrorBoxAndEndsTheRun) {
  ASSERT_TRUE(start(3));
  extras["S2"] = [] { throw Error(60000, "Tool : QSR not found - program stops!"); };
  action("Run").trigger();
  EXPECT_EQ(called, (std::vector<std::string>{"S1", "S2"}));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0],
            (test::RecordedMessage{"Error", "60000 Tool : QSR not found - program stops!"}));
  EXPECT_FALSE(action("Stop").isEnabled());
  EXPECT_TRUE(action("Run").isEnabled());
  EXPECT_EQ(cellColour(1), kGreen);  // the failing step stays marked
  EXPECT_EQ(helpText(), "");
}

TEST_F(MainWindowTest, ClosingDuringARunStopsAfterTheCurrentStepThenCloses) {
  ASSERT_TRUE(start(3));
  bool visibleAfterClose = false;
  extras["S2"] = [this, &visibleAfterClose] {
    action("Exit").trigger();
    QApplication::processEvents();
    visibleAfterClose = window.isVisible();
  };
  action("Run").trigger();
  EXPECT_TRUE(visibleAfterClose);
  EXPECT_EQ(called, (std::vector<std::string>{"S1", "S2"}));
  EXPECT_EQ(stateColumn(2).back(), "Canceled by user");
  EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, TheSessionViewShowsTheTablesARunLeft) {
  ASSERT_TRUE(start(1));
  extras["S1"] = [this] {
    Session& session = window.session();
    InitSessionTables(session);
    WriteValue(session.ConfigTable, "HEXFILE", "/in/a.hex");
    WriteValue(session.DataTable, "EPK", "EPK 1.0");
  };
  action("Run").trigger();
  SessionView& view = *test::Child<SessionView>(window, "SessionView");
  EXPECT_EQ(view.tableNames(),
            (QStringList{"ConfigTable", "SysConstTable", "DataTable", "MemorySegmentTable",
                         "UserDataTable", "UserInfoTable"}));
  ASSERT_TRUE(view.selectTable("DataTable"));
  ASSERT_EQ(view.rowsView().rowCount(), 1);
  EXPECT_EQ(test::CellText(view.rowsView(), 0, 0), "EPK");
  EXPECT_EQ(test::CellText(view.rowsView(), 0, 1), "EPK 1.0");
  ASSERT_TRUE(view.selectTable("UserInfoTable"));
  EXPECT_EQ(test::CellText(view.rowsView(), 0, 0), "USERNAME");
}

// Beside Reports: each tool run of the last run, and what it wrote.
TEST_F(MainWindowTest, TheToolsTabShowsEachToolRunAndItsOutput) {
  ASSERT_TRUE(start(1));
  extras["S1"] = [this] {
    ToolRun run = RunAndCapture(window.host(),
                                "\"" XKM_STAND_IN_EXE "\" out=converted\\n err=warn\\n exit=2");
    run.step = "RUN_BCB_CONVERSION";
    run.tool = "Brakel";
    window.session().toolRuns.push_back(run);
    window.session().toolRuns.push_back(RunAndCapture(window.host(), "/no/such/tool"));
  };
  action("Run").trigger();
  QTabWidget& tabs = *test::Child<QTabWidget>(window, "StateTabs");
  EXPECT_EQ(tabs.tabText(1), "Tools");
  ToolRunsView& view = *test::Child<ToolRunsView>(window, "ToolRunsView");
  ASSERT_EQ(view.runsView().rowCount(), 2);
  EXPECT_EQ(test::CellText(view.runsView(), 0, 0), "RUN_BCB_CONVERSION");
  EXPECT_EQ(test::CellText(view.runsView(), 0, 1), "Brakel");
  EXPECT_EQ(test::CellText(view.runsView(), 0, 2), "exit 2");
  EXPECT_EQ(test::CellText(view.runsView(), 1, 2), "not started");
  view.selectRun(0);
  EXPECT_TRUE(view.outputText().contains("converted\n"));
  EXPECT_TRUE(view.outputText().contains("warn\n"));
}

TEST_F(MainWindowTest, TheHelpPaneTogglesAndShowsTheHelpPage) {
  folder.write("Help.htm", "<html><body><h1>Operator help</h1></body></html>");
  ASSERT_TRUE(start(1));
  HelpPane& pane = *test::Child<HelpPane>(window, "FrameBott");
  QPushButton& toggle = *test::Child<QPushButton>(window, "pbSizeHelp");
  QGroupBox& stateFrame = *test::Child<QGroupBox>(window, "FrameState");
  EXPECT_EQ(toggle.text(), "^^^^^^^^");
  EXPECT_EQ(pane.height(), pane.collapsedHeight());

  toggle.click();
  QApplication::processEvents();
  EXPECT_EQ(toggle.text(), "---------");
  EXPECT_FALSE(stateFrame.isVisible());
  EXPECT_GT(pane.height(), 2 * pane.collapsedHeight()) << window.height();
  const QWidget& status = *test::Child<QWidget>(window, "FrameStatus");
  EXPECT_LT(pane.geometry().top() - status.geometry().bottom(), 20);

  toggle.click();
  QApplication::processEvents();
  EXPECT_EQ(toggle.text(), "^^^^^^^^");
  EXPECT_TRUE(stateFrame.isVisible());
  EXPECT_EQ(pane.height(), pane.collapsedHeight());

  test::Child<QAction>(window, "mnuHelp")->trigger();
  QTextBrowser& browser = *test::Child<QTextBrowser>(window, "wbHelp");
  EXPECT_TRUE(browser.isVisible());
  EXPECT_FALSE(test::Child<QPlainTextEdit>(window, "txthelp")->isVisible());
  EXPECT_TRUE(browser.toPlainText().contains("Operator help"));

  action("Run").trigger();  // a run brings the step help back
  EXPECT_FALSE(browser.isVisible());
  EXPECT_TRUE(test::Child<QPlainTextEdit>(window, "txthelp")->isVisible());
}

}  // namespace
}  // namespace xkm
