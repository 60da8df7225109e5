#include <QAccessible>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <memory>
#include <regex>

#include "core/platform/error.h"
#include "core/platform/os/path.h"
#include "core/toolchain/container_files.h"
#include "gui/elided_label.h"
#include "gui/frm_main.h"
#include "gui/frm_preview.h"
#include "gui/qt_text.h"
#include "gui/session_view.h"
#include "gui_fixture.h"

namespace xkm {
namespace {

const QColor kRest(255, 224, 192);
const QColor kGreen(0, 255, 0);
const QColor kFailed(255, 96, 96);

class MainWindowTest : public ::testing::Test {
 protected:
  // Opens the window on steps S1, S2, S3, shown as "Step 1" ... with help "Help 1" ...
  void start() {
    app = AppState{};
    folder.write("xkmtool.ini", "[System]\r\nToolConfig=tools.ini\r\n");
    folder.write("Userdata.ini", test::UserDataIni());
    std::string moduls;
    for (const char* i : {"1", "2", "3"})
      moduls += std::string("<MODUL><DISPLAY>Step ") + i + "</DISPLAY><NAME>S" + i +
                "</NAME><HELP>Help " + i + "</HELP></MODUL>";
    folder.write("LIB.xml", "<LIB><PROCESSES><PROCESS KEY=\"1\"><COMMENT>Line A</COMMENT><MODULS>" +
                                moduls + "</MODULS></PROCESS></PROCESSES></LIB>");
    app.ExecutableFolder = folder.path();
    app.ExecutableName = "xkmtool";
    window = std::make_unique<frmMain>(app, [this](Context& ctx, UpdateStateHandler report) {
      stepHost = &ctx.host;  // the host the tool chain reports to
      return std::make_unique<test::ScriptedSteps>(std::move(report), extras, called);
    });
    window->host().setPrompts(prompts.prompts());
    ASSERT_TRUE(window->StartUp(folder.write("in/a.xml", "<x/>") + "," +
                                folder.write("in/a.hex", "") + "," + folder.write("in/a.a2l", "")));
    window->show();
    QApplication::setActiveWindow(window.get());  // for the keys
    prompts.forms = 0;
  }

  QTableWidget& stateGrid() { return *test::Child<QTableWidget>(*window, "GridState"); }
  QAction& action(const char* key) { return *test::Child<QAction>(*window, key); }
  std::string statusText() { return test::Child<QLabel>(*window, "lastRun")->text().toStdString(); }
  QPlainTextEdit& help() { return *test::Child<QPlainTextEdit>(*window, "txthelp"); }
  // One letter per step column: G marked, - at rest; then which actions are enabled.
  std::string looks() {
    QTableWidget& grid = *test::Child<QTableWidget>(*window, "Grid");
    std::string text;
    for (int c = 0; c < grid.columnCount(); ++c) {
      const QColor colour = grid.item(0, c)->background().color();
      text += colour == kGreen ? 'G' : colour == kRest ? '-' : colour == kFailed ? 'F' : '?';
    }
    for (const char* key :
         {"Stop", "mnuStop", "Run", "Config", "mnuStart", "mnuConfig", "mnuNewOrder"})
      if (action(key).isEnabled()) text += std::string(" ") + key;
    return text + " " + help().toPlainText().toStdString();
  }
  std::string lastReport() { return test::CellText(stateGrid(), stateGrid().rowCount() - 1, 2); }

  test::StoreSandbox store;
  test::ScratchFolder folder;
  AppState app;
  test::PromptRecorder prompts;
  test::ScriptedSteps::Script extras;
  std::vector<std::string> called;
  Host* stepHost = nullptr;
  std::unique_ptr<frmMain> window;
};

TEST_F(MainWindowTest, TheGridTheActionsAndTheStatusBarTellHowEachRunWent) {
  folder.write("Help.htm", "<html><body><h1>Operator help</h1></body></html>");

  const std::string running = "Running: step “Step 2”";
  const std::string stopped = "Run stopped after step “Step 2” at ";
  const std::vector<std::string> twoSteps{"G-- Stop mnuStop Help 1", "-G- Stop mnuStop Help 2"};
  const std::vector<std::string> threeSteps{"G-- Stop mnuStop Help 1", "-G- Stop mnuStop Help 2",
                                            "--G Stop mnuStop Help 3"};
  const std::string atRest = "--- Run Config mnuStart mnuConfig mnuNewOrder ";
  const std::string failedAtStep2 = "-F- Run Config mnuStart mnuConfig mnuNewOrder ";
  const struct {
    const char* name;
    std::function<void()> inStep2;
    std::string duringStep2;
    std::string after;  // how the status bar begins
    std::vector<std::string> stepsSeen;
    std::string looksAfter;
    std::string lastRow;
    int formsAfter;  // Ctrl+, after the run: none once the window is closed
    size_t messages;
  } cases[] = {
      {"clean", [] {}, running, "Run completed at ", threeSteps, atRest, "S3 in S3", 1, 0},
      {"message", [this] { window->host().showMessage("60021 No EPK", "Error"); }, running,
       "Run completed with 1 message at ", threeSteps, atRest, "S3 in S3", 1, 1},
      {"failure", [] { throw Error(60000, "QSR not found - program stops!"); }, "",
       "Run failed at step “Step 2” at ", twoSteps, failedAtStep2,
       "S2 Error: 60000 QSR not found - program stops!", 1, 1},  // the box's row
      {"stop",  // twice: the second press only hurries a tool
       [this] { QTest::keySequence(window.get(), QKeySequence("Esc, Shift+F5")); },
       "Stopping – press Stop again to end the tool now", stopped, twoSteps, atRest,
       "S2 Canceled by user", 1, 0},
      {"a second Stop ends the tool",
       [this] {
         QTest::keySequence(window.get(), QKeySequence("Esc, Shift+F5"));
         window->session().endedByStop = true;  // as a tool ended on request leaves it
         throw Error(60000, "Tool : QSR was ended by the stop request");
       },
       "", "Run stopped during step “Step 2” at ", twoSteps, atRest, "S2 Canceled by user", 1, 0},
      {"close", [this] { action("Exit").trigger(); },
       "Stopping: the window closes after the current step", stopped, twoSteps, atRest,
       "S2 Canceled by user", 0, 0},
  };
  // Long reports must never scroll the reports sideways.
  const std::string report = "Converting /production/line 4/" + std::string(140, 'x') + "/ecu.hex";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    start();  // each case on a fresh window
    EXPECT_EQ(window->windowTitle(), "xkmtool Line A");
    test::Child<QAction>(*window, "mnuHelp")->trigger();
    QTextBrowser& browser = *test::Child<QTextBrowser>(*window, "wbHelp");
    EXPECT_TRUE(browser.isVisible() && browser.toPlainText().contains("Operator help"));
    stateGrid().insertRow(0);  // a row of an earlier run goes
    std::vector<std::string> seen;
    std::string inStep2;
    std::vector<int> offsets;
    prompts.messages.clear();
    extras["S1"] = extras["S3"] = [&](const UpdateStateHandler&) { seen.push_back(looks()); };
    extras["S2"] = [&](const UpdateStateHandler& updateState) {
      seen.push_back(looks());
      for (int i = 0; i < 25; ++i) {
        updateState(report);
        offsets.push_back(stateGrid().horizontalScrollBar()->value());
      }
      QTest::keySequence(window.get(), QKeySequence("Ctrl+,"));  // no form during a run
      c.inStep2();  // may throw, as a failing step does
      QApplication::processEvents();
      inStep2 = statusText() + (window->isVisible() ? "" : " (closed)");  // closing waits
    };
    app.StopRequested = false;  // a real run's library load clears it
    QTest::keySequence(window.get(), QKeySequence("F5"));
    EXPECT_EQ(offsets, std::vector<int>(25, 0));
    EXPECT_EQ(inStep2, c.duringStep2);
    EXPECT_EQ(statusText().rfind(c.after, 0), 0u) << statusText();
    EXPECT_EQ(seen, c.stepsSeen);
    EXPECT_EQ(looks(), c.looksAfter);
    EXPECT_FALSE(browser.isVisible());
    EXPECT_EQ(test::CellText(stateGrid(), 0, 2), "in S1");
    const int last = stateGrid().rowCount() - 1;
    EXPECT_EQ(test::CellText(stateGrid(), last, 0) + " " + lastReport(), c.lastRow);
    EXPECT_NE(test::CellText(stateGrid(), last - 1, 2), "Canceled by user");
    QTest::keySequence(window.get(), QKeySequence("Ctrl+,"));
    EXPECT_EQ(prompts.forms, c.formsAfter);
    EXPECT_EQ(prompts.messages.size(), c.messages);
  }
  EXPECT_FALSE(window->isVisible());
  QToolBar& bar = *test::Child<QToolBar>(*window, "TB");  // no action needs the mouse
  for (QAction* a : bar.actions())
    EXPECT_TRUE(a->isSeparator() || bar.widgetForAction(a)->focusPolicy() == Qt::TabFocus);
}

// A tool shows in Tools as it runs, its time counted on, and as it ends; a
// step failure it explains points there. The next run starts with nothing of
// it: no marked step, no tool rows.
TEST_F(MainWindowTest, ToolsShowAsTheyRunAndAFailureTheyExplainPointsThere) {
  start();
  const QTableWidget& tools = *test::Child<QTableWidget>(*window, "ToolRuns");
  const auto shown = [&tools] {
    const QTableWidgetItem* ms = tools.item(0, 3);
    if (!ms) return std::string("no row");
    const std::string tip = ms->toolTip().toStdString();
    return test::CellText(tools, 0, 2) +
           (ms->text() == ms->toolTip() ? "" : " (tooltip " + tip + ")");
  };
  std::vector<std::string> seen;
  extras["S2"] = [&](const UpdateStateHandler&) {
    // As the tool chain reports a tool: through the host the steps are given.
    stepHost->observer().toolRunsChanged({ToolRun{.step = "S2", .running = true}});
    seen.push_back(shown());
    const bool counted = QTest::qWaitFor([&] { return test::CellText(tools, 0, 3) != "0"; }, 10000);
    seen.push_back(counted ? shown() : "not counted");
    const ToolRun failed{.step = "S2", .started = true, .exitCode = 2, .durationMs = 1234};
    stepHost->observer().toolRunsChanged({failed});
    seen.push_back(shown() + " " + test::CellText(tools, 0, 3));
    window->session().toolRuns = {failed};
    throw Error(60000, "QSR failed");
  };
  action("Run").trigger();
  seen.push_back(shown());
  EXPECT_TRUE(statusText().ends_with(" - see Tools")) << statusText();
  extras.erase("S2");
  extras["S1"] = [&](const UpdateStateHandler&) { seen.push_back(looks()); };
  app.StopRequested = false;
  action("Run").trigger();
  EXPECT_EQ(seen, (std::vector<std::string>{"running", "running", "failed: exit 2 1234",
                                            "failed: exit 2", "G-- Stop mnuStop Help 1"}));
  EXPECT_EQ(tools.rowCount(), 0);
}

// A screen reader finds the steps as one row and hears which one runs or
// failed; the status label is read out as what it says, also during a step.
TEST_F(MainWindowTest, AScreenReaderHearsTheStepsAndTheStatusAsTheRunGoes) {
  // Heard in step 2 or after the run: the steps' row, each step's name and
  // description; the status (a pattern).
  const std::tuple<const char*, std::function<void()>, bool, std::string, std::string> rows[] = {
      {"running", [] {}, true, "1 row: Step 1, Step 2 (running), Step 3",
       "Running step “Step 2” – [0-9]+ s"},
      {"one Stop pressed", [this] { QTest::keySequence(window.get(), QKeySequence("Esc")); }, true,
       "1 row: Step 1, Step 2 (running), Step 3",
       "Stopping – press Stop again to end the tool now"},
      {"completed", [] {}, false, "1 row: Step 1, Step 2, Step 3", "Run completed at [0-9:]{8}"},
      {"failed", [] { throw Error(60000, "QSR failed"); }, false,
       "1 row: Step 1, Step 2 (failed), Step 3", "Run failed at step “Step 2” at [0-9:]{8}"},
  };
  for (const auto& [name, inStep2, duringStep2, stepsHeard, statusHeard] : rows) {
    SCOPED_TRACE(name);
    start();
    QAccessibleTableInterface* steps =
        QAccessible::queryAccessibleInterface(test::Child<QTableWidget>(*window, "Grid"))
            ->tableInterface();
    ASSERT_NE(steps, nullptr);
    QLabel& status = *test::Child<QLabel>(*window, "lastRun");
    std::string heardSteps, heardStatus;
    const auto listen = [&] {
      heardSteps = std::to_string(steps->rowCount()) + " row:";
      for (int column = 0; column < steps->columnCount(); ++column) {
        QAccessibleInterface* cell = steps->cellAt(0, column);
        const QString description = cell->text(QAccessible::Description);
        heardSteps += (column ? ", " : " ") + cell->text(QAccessible::Name).toStdString();
        if (!description.isEmpty()) heardSteps += " (" + description.toStdString() + ")";
      }
      heardStatus =
          QAccessible::queryAccessibleInterface(&status)->text(QAccessible::Name).toStdString();
    };
    extras["S2"] = [&](const UpdateStateHandler&) {
      inStep2();
      if (duringStep2) listen();
    };
    app.StopRequested = false;
    action("Run").trigger();
    if (!duringStep2) listen();
    EXPECT_EQ(heardSteps, stepsHeard);
    EXPECT_TRUE(std::regex_match(heardStatus, std::regex(statusHeard))) << heardStatus;
  }
}

// A container of an earlier run that the run set aside is named in Reports,
// so that the operator knows where it went.
TEST_F(MainWindowTest, AContainerSetAsideIsNamedInReports) {
  const std::string aside = "Set aside from an earlier run: W" + std::string(1, fs::kSeparator);
  // In the work folder before the run; the last two report rows.
  const std::tuple<const char*, std::vector<const char*>, std::string> rows[] = {
      {"nothing to set aside", {}, "in S2\nin S3"},
      {"an earlier container and its SGO file",
       {"K1.xkm", "K1.sgo"},
       aside + "K1.xkm.earlier-run\n" + aside + "K1.sgo.earlier-run"},
  };
  for (const auto& [name, lying, lastRows] : rows) {
    SCOPED_TRACE(name);
    start();
    const std::string subfolder = "work-" + std::to_string(lying.size());
    const std::string work = folder.file(subfolder);
    std::filesystem::create_directories(work);
    for (const char* file : lying) folder.write(subfolder + "/" + file, "x");
    extras["S3"] = [&](const UpdateStateHandler&) {
      SetAsideEarlierOutputs(DataContext{app, window->session()}, work, "K1");
    };
    action("Run").trigger();
    const int last = stateGrid().rowCount() - 1;
    const QString seen =
        QString::fromStdString(test::CellText(stateGrid(), last - 1, 2) + "\n" + lastReport());
    EXPECT_EQ(QString(seen).replace(QString::fromStdString(work), "W").toStdString(), lastRows);
  }
}

// Where no file manager starts, the window names the folder instead.
TEST_F(MainWindowTest, OpenWorkFolderNamesTheFolderWhenNoFileManagerStarts) {
  start();
  window->setFolderOpener([](const QString&) { return false; });
  action("Run").trigger();
  prompts.messages.clear();
  action("mnuOpenFolder").trigger();
  const std::string folderName =
      QDir::toNativeSeparators(QString::fromStdString(folder.file("in"))).toStdString();
  EXPECT_EQ(
      prompts.messages,
      (std::vector<test::RecordedMessage>{
          {"xkmtool", "No file manager could be started for the work folder:\r\n" + folderName}}));
}

// At 640 px the status bar's parts sit side by side within it, none under
// the next; the container's label shortens its text, whole in the tooltip.
TEST_F(MainWindowTest, TheStatusBarFitsANarrowWindow) {
  start();
  const std::string order = "in/order-4711-engine-control-unit-series-batch-0815-release.";
  prompts.input = {false, folder.write(order + "xml", "<x/>"), folder.write(order + "hex", ""),
                   folder.write(order + "a2l", "")};
  QTest::keySequence(window.get(), QKeySequence("Ctrl+N"));
  const std::string written =
      "/w/ECU_ST10_ENGINE_CONTROL_UNIT_SERIES_BATCH_0815_RELEASE_CANDIDATE_2.xkm";
  extras["S3"] = [&](const UpdateStateHandler&) {
    window->session().writtenContainer = written;
    throw Error(60000, "QSR failed");
  };
  action("Run").trigger();
  window->resize(640, 480);
  QApplication::processEvents();
  EXPECT_EQ(window->width(), 640);
  const QStatusBar& bar = *window->statusBar();
  QRect before;
  for (const char* name : {"inputFiles", "lastRun", "container", "openFolder"}) {
    SCOPED_TRACE(name);
    const QRect at = test::Child<QWidget>(bar, name)->geometry();
    EXPECT_TRUE(bar.rect().contains(at));
    EXPECT_FALSE(at.intersects(before));
    before = at;
  }
  const auto* container = qobject_cast<const ElidedLabel*>(test::Child<QLabel>(bar, "container"));
  ASSERT_NE(container, nullptr) << "the container's label does not shorten its text";
  EXPECT_EQ(container->toolTip().toStdString(), written);
#ifndef _WIN32  // Wine's stand-in fonts are wider than any: how much fits is not its to say
  const QString shown = container->shownText();
  EXPECT_TRUE(shown.startsWith("Container: ECU") && shown.contains(QChar(0x2026)) &&
              shown.endsWith("_2.xkm"))
      << shown.toStdString();
#endif
}

// The check is of the library a run would load, or says why a run finds none.
TEST_F(MainWindowTest, CheckLibraryChecksWhatARunWouldLoad) {
  start();
  // Each row: the libraries beside the program, and what is said instead of a check.
  const std::pair<std::vector<const char*>, std::string> rows[] = {
      {{}, "No library (*.lbr) in " + folder.path()},
      {{"a.lbr", "b.lbr"},
       "2 libraries (*.lbr) in " + folder.path() + ", where a run needs one:\r\na.lbr\r\nb.lbr"},
      {{"b.lbr"}, ""}};
  for (const auto& [libraries, said] : rows) {
    SCOPED_TRACE(said);
    std::filesystem::remove(folder.file("a.lbr"));
    for (const char* name : libraries) folder.write(name, "<XKMTOOL/>");
    prompts.messages.clear();
    action("mnuCheckLibrary").trigger();
    std::vector<test::RecordedMessage> expected;
    if (!said.empty())
      expected.push_back({"Check library", said + "\r\n\r\nA run stops at 60013."});
    EXPECT_EQ(prompts.messages, expected);
    EXPECT_EQ(window->findChild<QDialog*>("frmCheckLibrary") != nullptr, said.empty());
  }
}

// File > Preview goes through the process list as a run would, writing
// nothing: here its first step is no step of the tool chain.
TEST_F(MainWindowTest, PreviewShowsWhereARunWouldStop) {
  start();
  action("mnuPreview").trigger();
  const auto* form = window->findChild<frmPreview*>("frmPreview");
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(
      form->summary()->text().toStdString(),
      "A run would stop before its tools: 438 Object doesn't support this property or method");
  EXPECT_EQ(called, std::vector<std::string>());  // no step of the window's tool chain ran
}

// Each row: Ctrl+N, cancelled or not; a run writing the container, if any;
// then the status bar and a click on its button.
TEST_F(MainWindowTest, TheStatusBarNamesTheOrderAndTheContainerAndOpensTheWorkFolder) {
  start();
  QString opened;
  window->setFolderOpener([&opened](const QString& asked) {
    opened = QFileInfo(asked).fileName();
    return true;
  });
  const std::string before = "XML: a.xml    Hex/S19: a.hex    A2L: a.a2l";
  // Ctrl+N cancelled; the container the run writes (no run: null); what the
  // status bar's button opens; the input files, container and tooltip shown;
  // the last report.
  const std::tuple<const char*, bool, const char*, std::string, std::string, std::string,
                   std::string, std::string>
      rows[] = {
          {"cancelled, no run", true, nullptr, "", before, "", "", ""},
          {"cancelled, a run", true, "/w/K1.xkm", "in", before, "Container: K1.xkm", "/w/K1.xkm",
           "Container written: /w/K1.xkm"},
          {"a new order, a run that writes none", false, "", "o",
           "XML: b.xml    Hex/S19: b.hex    A2L: b.a2l", "", "", "in S3"},
      };
  for (const auto& [name, cancelled, written, folderOpened, inputFiles, container, tip, report] :
       rows) {
    SCOPED_TRACE(name);
    const std::string next = folder.path() + "/o/b.";
    prompts.input = {cancelled, " " + next + "xml", next + "hex", next + "a2l"};
    QTest::keySequence(window.get(), QKeySequence("Ctrl+N"));
    extras["S3"] = [&](const UpdateStateHandler&) { window->session().writtenContainer = written; };
    if (written) action("Run").trigger();
    opened.clear();
    QTest::mouseClick(test::Child<QToolButton>(*window, "openFolder"), Qt::LeftButton);
    const QLabel& shown = *test::Child<QLabel>(*window, "container");
    EXPECT_EQ(opened.toStdString(), folderOpened);
    EXPECT_EQ(test::Child<QLabel>(*window, "inputFiles")->text().toStdString(), inputFiles);
    EXPECT_EQ(shown.text().toStdString(), container);
    EXPECT_EQ(shown.toolTip().toStdString(), tip);
    // What a screen reader says of the label: its name, not its text.
    EXPECT_EQ(shown.accessibleName(),
              tip.empty() ? "No container written"
                          : "Container written: " + QDir::toNativeSeparators(ToQ(tip)));
    EXPECT_EQ(lastReport(), report);
  }
  // Ctrl+C copies the selected rows whole, tab-separated.
  stateGrid().setFocus();
  stateGrid().selectRow(1);
  QTest::keySequence(&stateGrid(), QKeySequence::Copy);
  EXPECT_EQ(QGuiApplication::clipboard()->text().section('\t', 2).toStdString(), "in S2\n");
}

// After File → New order nothing on screen may pass for a result of the new
// order: an earlier run failed at Step 3 with a tool, and wrote a container.
// The reports keep the earlier rows, under a row naming the new order.
TEST_F(MainWindowTest, ANewOrderForgetsWhatTheLastOneLeftOnScreen) {
  // The new order's subfolder, whether it exists, what the status bar's
  // button opens ("-": it is disabled).
  const std::tuple<const char*, std::string, bool, std::string> rows[] = {
      {"the new order's folder exists", "n", true, "n"},
      {"the new order's folder does not exist yet", "m", false, "-"},
  };
  for (const auto& [name, subfolder, folderExists, folderOpened] : rows) {
    SCOPED_TRACE(name);
    start();
    QString opened;
    window->setFolderOpener([&opened](const QString& asked) {
      opened = QFileInfo(asked).fileName();
      return true;
    });
    extras["S3"] = [this](const UpdateStateHandler&) {
      window->session().writtenContainer = "/w/K1.xkm";
      window->session().toolRuns = {ToolRun{.step = "S3", .started = true, .exitCode = 2}};
      throw Error(60000, "QSR failed");
    };
    action("Run").trigger();
    const std::string earlierReport = lastReport();
    const std::string next = folder.path() + "/" + subfolder + "/b.";
    if (folderExists) folder.write(subfolder + "/b.hex", "");
    prompts.input = {false, next + "xml", next + "hex", next + "a2l"};
    QTest::keySequence(window.get(), QKeySequence("Ctrl+N"));
    QToolButton& open = *test::Child<QToolButton>(*window, "openFolder");
    QTest::mouseClick(&open, Qt::LeftButton);
    const QLabel& container = *test::Child<QLabel>(*window, "container");
    EXPECT_EQ(statusText(), "");
    EXPECT_EQ(container.text().toStdString() + container.toolTip().toStdString(), "");
    EXPECT_EQ(container.accessibleName(), "No container written");
    EXPECT_EQ(test::Child<QLabel>(*window, "inputFiles")->accessibleName(),
              QDir::toNativeSeparators(
                  ToQ("Input files: " + next + "xml, " + next + "hex, " + next + "a2l")));
    EXPECT_EQ(looks().substr(0, 3), "---");
    EXPECT_EQ(test::Child<QTableWidget>(*window, "ToolRuns")->rowCount(), 0);
    EXPECT_EQ(open.isEnabled() ? opened.toStdString() : "-", folderOpened);
    EXPECT_EQ(test::CellText(stateGrid(), stateGrid().rowCount() - 2, 2), earlierReport);
    EXPECT_EQ(lastReport(), "New order: " + next + "xml, " + next + "hex, " + next + "a2l");
  }
}

// Tab and Shift+Tab go on from a table to the next control (the arrows move
// between cells); the tabs switch from anywhere; F1 shows the help page.
TEST_F(MainWindowTest, TheKeysLeaveTheTablesSwitchTheTabsAndOpenTheHelp) {
  folder.write("Help.htm", "<html><body><h1>Operator help</h1></body></html>");
  const auto named = [this](const char* name) {
    return [this, name] { return test::Child<QWidget>(*window, name); };
  };
  const auto runButton = [this] {
    return test::Child<QToolBar>(*window, "TB")->widgetForAction(&action("Run"));
  };
  // From which control in which tab, the key; then whether the focus left,
  // the tab shown and whether the help page shows.
  const std::tuple<const char*, std::function<QWidget*()>, int, Qt::Key, Qt::KeyboardModifiers,
                   std::string>
      rows[] = {
          {"Tab from Reports", named("GridState"), 0, Qt::Key_Tab, Qt::NoModifier, "left Reports"},
          {"Tab from Tools", named("ToolRuns"), 1, Qt::Key_Tab, Qt::NoModifier, "left Tools"},
          {"Ctrl+Tab", runButton, 0, Qt::Key_Tab, Qt::ControlModifier, "stayed Tools"},
          {"Ctrl+Tab from the last tab", runButton, 2, Qt::Key_Tab, Qt::ControlModifier,
           "stayed Reports"},
          {"Ctrl+Shift+Tab", runButton, 0, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier,
           "stayed Session"},
          {"F1", runButton, 0, Qt::Key_F1, Qt::NoModifier, "left Reports help page"},
      };
  start();
  action("Run").trigger();  // rows to move in, in each tab
  window->host().observer().toolRunsChanged({ToolRun{.step = "S1"}, ToolRun{.step = "S2"}});
  test::Child<SessionView>(*window, "SessionView")->selectTable("UserInfoTable");
  QTabWidget& tabs = *test::Child<QTabWidget>(*window, "StateTabs");
  for (const auto& [name, control, tab, key, modifiers, after] : rows) {
    SCOPED_TRACE(name);
    test::Child<QTextBrowser>(*window, "wbHelp")->hide();
    tabs.setCurrentIndex(tab);
    QWidget* from = control();
    from->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    std::string seen = QApplication::focusWidget() == from ? "stayed " : "left ";
    seen += tabs.tabText(tabs.currentIndex()).toStdString();
    if (test::Child<QTextBrowser>(*window, "wbHelp")->isVisible()) seen += " help page";
    EXPECT_EQ(seen, after);
  }
}

// Going round the window with Tab reaches each control, and each says what it is.
TEST_F(MainWindowTest, TabReachesEveryControlAndEachHasAName) {
  start();
  action("Run").trigger();  // "Open work folder" has a folder
  QToolBar& bar = *test::Child<QToolBar>(*window, "TB");
  QWidget* first = bar.widgetForAction(&action("Run"));
  first->setFocus(Qt::TabFocusReason);
  std::vector<QWidget*> reached{first};
  for (int i = 0; i < 40; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    if (QApplication::focusWidget() == first) break;
    reached.push_back(QApplication::focusWidget());
  }
  // Each says what it is: its name is what a screen reader reads.
  std::string unnamed;
  for (QWidget* widget : reached)
    if (QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).isEmpty())
      unnamed += widget->objectName().toStdString() + " ";
  EXPECT_EQ(unnamed, "");
  // Out of every table, to the status bar's last control.
  QWidget* openFolder = test::Child<QWidget>(*window, "openFolder");
  EXPECT_NE(std::find(reached.begin(), reached.end(), openFolder), reached.end());
}

// The Help button shows the help page and, pressed again, the step's help.
TEST_F(MainWindowTest, TheHelpButtonTogglesTheHelpPage) {
  start();
  std::string shown;
  for (int press = 0; press < 3; ++press) {
    action("Help").trigger();
    shown += test::Child<QTextBrowser>(*window, "wbHelp")->isVisible() ? "page " : "step ";
  }
  EXPECT_EQ(shown, "page step page ");
}

// Save report: the container's or the order's name and the date as the
// suggested name, and the outcome on the first line.
TEST_F(MainWindowTest, SaveReportNamesTheOrderAndTheDayAndStartsWithTheOutcome) {
  // The run's container (null: the run fails); suggested name -> saved name:
  // first line, dates and times masked.
  const std::tuple<const char*, const char*, std::string> rows[] = {
      {"a container written", "/w/K1.xkm", "K1-DATE.txt -> K1-DATE.txt: Run completed at TIME"},
      {"no container", nullptr, "a-DATE.txt -> a-DATE.txt: Run failed at step “Step 3” at TIME"},
  };
  for (const auto& [row, written, expected] : rows) {
    SCOPED_TRACE(row);
    start();
    extras["S3"] = [&](const UpdateStateHandler&) {
      if (!written) throw Error(60000, "QSR failed");
      window->session().writtenContainer = written;
    };
    action("Run").trigger();
    std::string suggested;
    QDir where;
    test::WhenModalOpens([&](QWidget& modal) {
      auto* chooser = qobject_cast<QFileDialog*>(&modal);
      ASSERT_NE(chooser, nullptr);
      QLineEdit& name = *test::Child<QLineEdit>(*chooser, "fileNameEdit");
      suggested = name.text().toStdString();
      where = chooser->directory();
      static_cast<QDialog*>(chooser)->accept();
    });
    const QStringList before = QDir(QString::fromStdString(folder.path() + "/in")).entryList();
    action("saveReport").trigger();
    QString savedPath;
    for (const QString& entry : where.entryList(QDir::Files))
      if (!before.contains(entry)) savedPath = where.filePath(entry);
    QFile saved(savedPath);
    std::string firstLine = "not saved";
    if (saved.open(QIODevice::ReadOnly)) firstLine = saved.readLine().trimmed().toStdString();
    std::string seen =
        suggested + " -> " + QFileInfo(savedPath).fileName().toStdString() + ": " + firstLine;
    seen = std::regex_replace(seen, std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2}"), "DATE");
    seen = std::regex_replace(seen, std::regex("[0-9]{2}:[0-9]{2}:[0-9]{2}"), "TIME");
    EXPECT_EQ(seen, expected);
    // Every row, whichever the grid last selected, under the outcome and the header.
    EXPECT_EQ(QString(saved.readAll()).count('\n') + 1, stateGrid().rowCount() + 2);
  }
}

// While a tool runs the window waits in its own event loop: what comes
// during the wait (a click on Stop, a screen reader's question) runs then,
// not after it.
TEST(QtHostWait, RunsWhatComesWhileItWaits) {
  QtHost host;
  bool ran = false;
  QTimer::singleShot(1, [&ran] { ran = true; });
  host.waitForEvents(std::chrono::milliseconds(100));
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace xkm
