// The main window as an operator meets it: the process grid, runs that go
// well or wrong, long reports, the help pane and the tool-run view.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <memory>

#include "core/platform/error.h"
#include "core/session/utilities.h"
#include "gui/frm_check_library.h"
#include "gui/frm_main.h"
#include "gui/tool_runs_view.h"
#include "gui_fixture.h"
#include "support/scratch_folder.h"
#include "support/store_sandbox.h"

namespace xkm {
namespace {

const QColor kRest(255, 224, 192);
const QColor kGreen(0, 255, 0);

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    folder.write("xkmtool.ini", "[System]\r\nToolConfig=tools.ini\r\n");
    folder.write("Userdata.ini",
                 "[System]\r\nRegKey=-2147483647\r\nLanguagePath=Software\\T\r\n"
                 "LanguageKey=Language\r\nDataPath=Software\\T\\UserData\r\n[Data]\r\n"
                 "1=USERNAME;Name;Name;1;1\r\n");
    commandLine = folder.write("in/a.xml", "<x/>") + "," + folder.write("in/a.hex", "") + "," +
                  folder.write("in/a.a2l", "");
  }

  // Opens the window with one step per display text, named S1, S2, ... with help "Help 1", ...
  bool start(const std::vector<std::string>& displays) {
    std::string moduls;
    for (size_t i = 1; i <= displays.size(); ++i)
      moduls += "<MODUL><DISPLAY>" + displays[i - 1] + "</DISPLAY><NAME>S" + std::to_string(i) +
                "</NAME><HELP>Help " + std::to_string(i) + "</HELP></MODUL>";
    folder.write("LIB.xml", "<LIB><PROCESSES><PROCESS KEY=\"1\"><COMMENT>Line A</COMMENT><MODULS>" +
                                moduls + "</MODULS></PROCESS></PROCESSES></LIB>");
    app.ExecutableFolder = folder.path();
    app.ExecutableName = "xkmtool";
    window = std::make_unique<frmMain>(app, [this](Context&, UpdateStateHandler report) {
      return std::make_unique<test::ScriptedSteps>(std::move(report), extras, called);
    });
    window->host().setPrompts(prompts.prompts());
    const bool ok = window->StartUp(commandLine);
    window->show();
    QApplication::processEvents();
    return ok;
  }

  QTableWidget& grid() { return *test::Child<QTableWidget>(*window, "Grid"); }
  QTableWidget& stateGrid() { return *test::Child<QTableWidget>(*window, "GridState"); }
  QAction& action(const char* key) { return *test::Child<QAction>(*window, key); }
  std::string statusText() { return test::Child<QLabel>(*window, "lastRun")->text().toStdString(); }
  std::string helpText() {
    return test::Child<QPlainTextEdit>(*window, "txthelp")->toPlainText().toStdString();
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
  test::ScriptedSteps::Script extras;
  std::vector<std::string> called;
  std::unique_ptr<frmMain> window;
};

TEST_F(MainWindowTest, TheGridShowsTheProcessAndARunMarksEachStepInTurn) {
  ASSERT_TRUE(start({"Step number 1", "Step number 2", "Step number 3"}));
  EXPECT_EQ(window->windowTitle(), "xkmtool Line A");
  ASSERT_EQ(grid().columnCount(), 3);
  EXPECT_EQ(test::CellText(grid(), 0, 1), "Step number 2");
  EXPECT_FALSE(action("Stop").isEnabled());
  // The operator's data were never entered: the question came, answered No.
  ASSERT_EQ(prompts.questions.size(), 1u);
  EXPECT_EQ(prompts.questions[0].title, "User-Information");

  stateGrid().insertRow(0);  // a row of an earlier run goes
  std::vector<std::string> seen;
  for (int step = 0; step < 3; ++step) {
    extras["S" + std::to_string(step + 1)] = [this, &seen](const UpdateStateHandler&) {
      std::string colours;
      for (int c = 0; c < 3; ++c)
        colours += cellColour(c) == kGreen ? 'G' : cellColour(c) == kRest ? '-' : '?';
      seen.push_back(colours + " " + helpText());
      EXPECT_TRUE(action("Stop").isEnabled());
      EXPECT_FALSE(action("Run").isEnabled());
      EXPECT_FALSE(action("Config").isEnabled());
      EXPECT_FALSE(test::Child<QAction>(*window, "mnuStart")->isEnabled());
    };
  }
  action("Run").trigger();
  EXPECT_EQ(seen, (std::vector<std::string>{"G-- Help 1", "-G- Help 2", "--G Help 3"}));
  EXPECT_EQ(stateColumn(0), (std::vector<std::string>{"S1", "S2", "S3"}));
  EXPECT_EQ(stateColumn(2), (std::vector<std::string>{"in S1", "in S2", "in S3"}));
  for (int c = 0; c < 3; ++c) EXPECT_EQ(cellColour(c), kRest);
  EXPECT_EQ(helpText(), "");
  EXPECT_FALSE(action("Stop").isEnabled());
  EXPECT_TRUE(action("Run").isEnabled());
  EXPECT_TRUE(action("Config").isEnabled());
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(MainWindowTest, TheStatusBarAndTheGridTellHowEachRunWent) {
  ASSERT_TRUE(start({"Step 1", "Step 2", "Step 3"}));
  const std::string running = "Running: step “Step 2”";
  const struct {
    const char* name;
    std::function<void()> inStep2;
    std::string duringStep2;
    std::string after;
  } cases[] = {
      {"clean", [] {}, running, "Run completed at "},
      {"message", [this] { window->host().showMessage("60021 No EPK", "Error"); }, running,
       "Run completed with 1 message at "},
      {"failure", [] { throw Error(60000, "QSR not found - program stops!"); }, running,
       "Run failed at step “Step 2” at "},
      {"stop", [this] { action("Stop").trigger(); }, "Stopping after the current step",
       "Run stopped after step “Step 2” at "},
      {"close", [this] { action("Exit").trigger(); },
       "Stopping: the window closes after the current step", "Run stopped after step “Step 2” at "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string inStep1;
    std::string inStep2;
    bool visibleInStep2 = false;
    called.clear();
    prompts.messages.clear();
    extras["S1"] = [&](const UpdateStateHandler&) { inStep1 = statusText(); };
    extras["S2"] = [&](const UpdateStateHandler&) {
      inStep2 = statusText();
      c.inStep2();  // may throw, as a failing step does
      QApplication::processEvents();
      visibleInStep2 = window->isVisible();
      inStep2 = statusText();
    };
    app.StopRequested = false;  // a real run's library load clears it
    action("Run").trigger();
    EXPECT_EQ(inStep1, "Running: step “Step 1”");
    EXPECT_EQ(inStep2, c.duringStep2);
    EXPECT_EQ(statusText().rfind(c.after, 0), 0u) << statusText();
    const bool completed = c.after.starts_with("Run completed");
    const bool failed = c.after.starts_with("Run failed");
    EXPECT_EQ(called.size(), completed ? 3u : 2u);
    EXPECT_EQ(cellColour(1), failed ? kGreen : kRest);  // the failing step stays marked
    EXPECT_FALSE(action("Stop").isEnabled());
    if (!completed && !failed) {
      EXPECT_TRUE(visibleInStep2);  // closing waits for the step
      EXPECT_EQ(stateColumn(2).back(), "Canceled by user");
    }
    if (failed) {
      EXPECT_EQ(
          prompts.messages,
          (std::vector<test::RecordedMessage>{{"Error", "60000 QSR not found - program stops!"}}));
    }
  }
  EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, LongReportsNeverScrollTheReportsSideways) {
  ASSERT_TRUE(start({"Init", "Convert"}));
  QTableWidget& g = stateGrid();
  const std::string report = "Converting /production/line 4/" + std::string(140, 'x') + "/ecu.hex";
  std::vector<int> offsets;
  extras["S2"] = [&](const UpdateStateHandler& updateState) {
    for (int i = 0; i < 25; ++i) {
      updateState(report);
      offsets.push_back(g.horizontalScrollBar()->value());
    }
  };
  action("Run").trigger();
  EXPECT_EQ(offsets, std::vector<int>(25, 0));
  EXPECT_EQ(g.item(g.rowCount() - 1, 2)->toolTip().toStdString(), report);
}

TEST_F(MainWindowTest, TheHelpMenuShowsTheHelpPageUntilTheNextRun) {
  folder.write("Help.htm", "<html><body><h1>Operator help</h1></body></html>");
  ASSERT_TRUE(start({"Init"}));
  test::Child<QAction>(*window, "mnuHelp")->trigger();
  QTextBrowser& browser = *test::Child<QTextBrowser>(*window, "wbHelp");
  EXPECT_TRUE(browser.isVisible());
  EXPECT_TRUE(browser.toPlainText().contains("Operator help"));
  action("Run").trigger();
  EXPECT_FALSE(browser.isVisible());
  EXPECT_TRUE(test::Child<QPlainTextEdit>(*window, "txthelp")->isVisible());
}

// Beside Reports: each tool run of the last run, and what it wrote.
TEST_F(MainWindowTest, TheToolsTabShowsEachToolRunAndItsOutput) {
  ASSERT_TRUE(start({"Convert"}));
  extras["S1"] = [this](const UpdateStateHandler&) {
    ToolRun run = RunAndCapture(window->host(),
                                "\"" XKM_STAND_IN_EXE "\" out=converted\\n err=warn\\n exit=2");
    run.step = "RUN_BCB_CONVERSION";
    run.tool = "Brakel";
    window->session().toolRuns.push_back(run);
    window->session().toolRuns.push_back(RunAndCapture(window->host(), "/no/such/tool"));
  };
  action("Run").trigger();
  EXPECT_EQ(test::Child<QTabWidget>(*window, "StateTabs")->tabText(1), "Tools");
  ToolRunsView& view = *test::Child<ToolRunsView>(*window, "ToolRunsView");
  ASSERT_EQ(view.runsView().rowCount(), 2);
  EXPECT_EQ(test::CellText(view.runsView(), 0, 0), "RUN_BCB_CONVERSION");
  EXPECT_EQ(test::CellText(view.runsView(), 0, 1), "Brakel");
  EXPECT_EQ(test::CellText(view.runsView(), 0, 2), "exit 2");
  EXPECT_EQ(test::CellText(view.runsView(), 1, 2), "not started");
  view.selectRun(0);
  EXPECT_TRUE(view.outputText().contains("converted\n"));
  EXPECT_TRUE(view.outputText().contains("warn\n"));
}

// A library whose only fault is a second entry for one ECU.
const char* const kShadowedEcu =
    "<XKMTOOL>\n<ECU_CONFIGURATION>\n<ENTRY ECU=\"E\" NUM=\"2\"/>\n<ENTRY ECU=\"E\" NUM=\"2\"/>\n"
    "</ECU_CONFIGURATION>\n</XKMTOOL>\n";

TEST_F(MainWindowTest, TheFileMenuListsTheFindingsOfTheLibraryBesideTheExecutable) {
  folder.write("LIB_XKM_0.lbr", kShadowedEcu);
  ASSERT_TRUE(start({"Init"}));
  action("mnuCheckLibrary").trigger();
  QApplication::processEvents();
  auto* form = test::Child<frmCheckLibrary>(*window, "frmCheckLibrary");
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(form->isVisible());
  const QTableWidget& list = *form->findingList();
  std::vector<std::string> rows;
  for (int row = 0; row < list.rowCount(); ++row)
    rows.push_back(test::CellText(list, row, frmCheckLibrary::kSeverityColumn) + " " +
                   test::CellText(list, row, frmCheckLibrary::kLineColumn) + ":" +
                   test::CellText(list, row, frmCheckLibrary::kColumnColumn));
  EXPECT_EQ(rows,
            (std::vector<std::string>{"error 1:1", "error 1:1", "error 3:16", "warning 4:1"}));
  EXPECT_EQ(test::CellText(list, 3, frmCheckLibrary::kTextColumn),
            "ECU \"E\" is listed again: the entry on line 3 wins and this one is shadowed");
  EXPECT_TRUE(form->summary()->text().endsWith("LIB_XKM_0.lbr: 3 errors, 1 warning"))
      << form->summary()->text().toStdString();
  form->close();
}

}  // namespace
}  // namespace xkm
