#include "gui/frm_main.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QTime>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/shell/startup.h"
#include "core/toolchain/tool_chain.h"
#include "core/userdata/user_data.h"
#include "gui/elided_label.h"
#include "gui/frm_check_library.h"
#include "gui/frm_preview.h"
#include "gui/grid_look.h"
#include "gui/help_pane.h"
#include "gui/qt_text.h"
#include "gui/session_view.h"
#include "gui/tool_runs_view.h"

// Resources of a static library must be registered by name, outside any namespace.
static void InitIconResources() {
  Q_INIT_RESOURCE(icons);
}

namespace xkm {
namespace {

const QColor kRunningColour(0, 255, 0);
const QColor kFailedColour(255, 96, 96);
const QString kNoRunYet = "No run yet";  // the status label's name before a run of the order
const QString kContainerWritten = "Container written: ";
const QString kNoContainer = "No container written";
constexpr int kStepTickMs = 1000;
// What a narrow window leaves of a status text, in characters.
constexpr double kFewestCharacters = 12;
constexpr double kStatusCharacters = 48;

// The step grid has one row, the display names; the internal name rides on
// the cell, the help is its tooltip. Hidden rows would still be read out.
constexpr int kDisplayRow = 0;
// What a screen reader says of a step's cell beside its name.
const QString kRunningDescription = "running";
const QString kFailedDescription = "failed";

struct ToolbarButton {
  const char* key;
  const char* icon;
  const char* tooltip;
};

constexpr ToolbarButton kToolbarButtons[] = {
    {"Run", ":/icons/run.png", "Start process"},
    {"Stop", ":/icons/stop.png", "Stop process"},
    {"Config", ":/icons/config.png", "Show/Edit configuration"},
    {"Help", ":/icons/help.png", "Show or hide the help page (F1 shows it)"},
    {"Exit", ":/icons/exit.png", "Exit program"},
};

QString Quoted(const QString& text) {
  return QString::fromUtf8("\u201C") + text + QString::fromUtf8("\u201D");
}

// The status bar's account of a finished run. `cutShort`: a stop ended the
// step itself, not only the run after it.
QString OutcomeText(RunOutcome outcome, int messages, const QString& step, bool cutShort) {
  const QString time = QTime::currentTime().toString("HH:mm:ss");
  switch (outcome) {
    case RunOutcome::Completed:
      if (messages == 0) return QString("Run completed at %1").arg(time);
      return QString("Run completed with %1 %2 at %3")
          .arg(messages)
          .arg(messages == 1 ? "message" : "messages", time);
    case RunOutcome::Stopped:
      return QString("Run stopped %1 step %2 at %3")
          .arg(cutShort ? "during" : "after", Quoted(step), time);
    case RunOutcome::Failed:
      break;
  }
  return QString("Run failed at step %1 at %2").arg(Quoted(step), time);
}

}  // namespace

frmMain::frmMain(AppState& app, Runner::StepTargetFactory makeToolChain, QWidget* parent)
    : QMainWindow(parent),
      app_(app),
      host_(this, this),
      ctx_{app_, session_, host_},
      runner_(ctx_, makeToolChain ? std::move(makeToolChain) : MakeToolChain),
      openFolder_([](const QString& folder) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
      }) {
  InitIconResources();
  setObjectName("frmMain");
  setWindowTitle(ToQ(app_.WindowTitle));
  setWindowIcon(QIcon(":/icons/run.png"));
  resize(1100, 750);
  setCentralWidget(BuildCentralWidget());
  SetUpGrids();
  SetUpMenus();
  SetUpToolbar();
  statusBar()->setAccessibleName("Status");
  inputFiles_ = new ElidedLabel(Qt::ElideMiddle, kFewestCharacters);
  inputFiles_->setObjectName("inputFiles");
  inputFiles_->setAccessibleName("Input files");
  inputFiles_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  statusBar()->addWidget(inputFiles_, 1);
  // How the run went is the last text shortened.
  lastRun_ = new ElidedLabel(Qt::ElideRight, kStatusCharacters);
  lastRun_->setObjectName("lastRun");
  statusBar()->addPermanentWidget(lastRun_);
  showStatus({}, kNoRunYet);
  stepTicker_.setInterval(kStepTickMs);
  connect(&stepTicker_, &QTimer::timeout, this, &frmMain::showRunningStep);
  // A narrow window shortens the name in the middle; the tooltip has the path.
  container_ = new ElidedLabel(Qt::ElideMiddle, kFewestCharacters);
  container_->setObjectName("container");
  sayContainer();
  statusBar()->addPermanentWidget(container_);
  auto* openFolder = new QToolButton;
  openFolder->setObjectName("openFolder");
  openFolder->setDefaultAction(mnuOpenFolder);  // enabled with the menu item
  openFolder->setToolButtonStyle(Qt::ToolButtonIconOnly);
  statusBar()->addPermanentWidget(openFolder);
  Grid->installEventFilter(this);
  // Tab goes on to the next control; the arrows move between cells.
  for (QAbstractItemView* view : findChildren<QAbstractItemView*>())
    view->setTabKeyNavigation(false);
  SetUpTabKeys();
}

// The state tabs switch from wherever the focus is, as in a browser.
void frmMain::SetUpTabKeys() {
  const auto addTabKeys = [this](const char* name, int step, const QList<QKeySequence>& keys) {
    auto* switchTab = new QAction(this);
    switchTab->setObjectName(name);
    switchTab->setShortcuts(keys);
    connect(switchTab, &QAction::triggered, this, [this, step] {
      const int count = stateTabs_->count();
      stateTabs_->setCurrentIndex((stateTabs_->currentIndex() + step + count) % count);
    });
    addAction(switchTab);
  };
  addTabKeys("nextTab", 1,
             {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)});
  // Shift+Tab arrives as Backtab, with or without the Shift.
  addTabKeys(
      "previousTab", -1,
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
       QKeySequence(Qt::CTRL | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
       QKeySequence(Qt::CTRL | Qt::Key_PageUp)});
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Grid && event->type() == QEvent::Resize) FitProcessGridHeight();
  return QMainWindow::eventFilter(watched, event);
}

// One visible row, and room for the scroll bar only when the steps do not fit.
void frmMain::FitProcessGridHeight() {
  const int frame = 2 * Grid->frameWidth();
  const bool scrolls = Grid->horizontalHeader()->length() > Grid->width() - frame;
  const int bar = scrolls ? Grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
  // Widened again, the row shows from its first step rather than staying scrolled.
  if (!scrolls) Grid->horizontalScrollBar()->setValue(0);
  Grid->setFixedHeight(kProcessRowHeight + frame + bar);
}

frmMain::~frmMain() = default;

QWidget* frmMain::BuildCentralWidget() {
  Grid = new QTableWidget;
  Grid->setObjectName("Grid");
  Grid->setAccessibleName("Process steps");
  auto* processes = new QGroupBox("Processes");
  processes->setObjectName("FrameProcesses");
  (new QVBoxLayout(processes))->addWidget(Grid);
  FrameStatus = new QFrame;
  FrameStatus->setObjectName("FrameStatus");
  // The process row keeps its height; the room below it is for the state
  // frame or, expanded, the help pane.
  FrameStatus->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  auto* statusLayout = new QVBoxLayout(FrameStatus);
  statusLayout->setContentsMargins(0, 0, 0, 0);
  statusLayout->addWidget(processes);

  GridState = new ReportGrid;
  connect(&GridState->saveAction(), &QAction::triggered, this, &frmMain::saveReport);
  sessionView_ = new SessionView;
  stateTabs_ = new QTabWidget;
  stateTabs_->setObjectName("StateTabs");
  stateTabs_->setAccessibleName("State");
  stateTabs_->addTab(GridState, "Reports");
  stateTabs_->addTab(sessionView_, "Session");
  toolRunsView_ = new ToolRunsView;
  stateTabs_->insertTab(1, toolRunsView_, "Tools");  // beside Reports
  FrameState = new QGroupBox("State");
  FrameState->setObjectName("FrameState");
  (new QVBoxLayout(FrameState))->addWidget(stateTabs_);

  FrameBott = new HelpPane;
  FrameBott->setFixedHeight(FrameBott->collapsedHeight());
  connect(FrameBott, &HelpPane::toggleRequested, this, &frmMain::pbSizeHelp_Click);

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->addWidget(FrameStatus);
  layout->addWidget(FrameState, 1);
  layout->addWidget(FrameBott);
  return central;
}

void frmMain::SetUpToolbar() {
  TB = addToolBar("Toolbar");
  TB->setObjectName("TB");
  TB->setMovable(false);
  TB->setIconSize(QSize(16, 16));
  TB->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  for (const ToolbarButton& button : kToolbarButtons) {
    QAction* action = TB->addAction(QIcon(button.icon), button.key);
    action->setObjectName(button.key);
    action->setToolTip(button.tooltip);
    action->setData(QString(button.key));
    if (QString(button.key) == "Exit" || QString(button.key) == "Config")
      TB->insertSeparator(action);
  }
  TB->findChild<QAction*>("Stop")->setEnabled(false);
  // The overflow button of a narrow window is otherwise a nameless check box.
  if (auto* more = TB->findChild<QToolButton*>("qt_toolbar_ext_button"))
    more->setAccessibleName("More toolbar buttons");
  // The buttons join the Tab order, so that the window works without a mouse;
  // the separators stay out of it.
  for (QAction* action : TB->actions()) {
    QWidget* button = TB->widgetForAction(action);
    if (!button || action->isSeparator()) continue;
    button->setFocusPolicy(Qt::TabFocus);
    button->setAccessibleName(action->text());
  }
  connect(TB, &QToolBar::actionTriggered, this,
          [this](QAction* action) { TB_ButtonClick(action->data().toString()); });
}

void frmMain::SetUpMenus() {
  QMenu* mnuFile = menuBar()->addMenu("&File");
  mnuFile->setObjectName("mnuFile");
  mnuNewOrder = mnuFile->addAction("&New order…", this, &frmMain::NewOrder_Click);
  mnuNewOrder->setObjectName("mnuNewOrder");
  mnuNewOrder->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  mnuStart = mnuFile->addAction("&Start", this, &frmMain::RunProcess);
  mnuStart->setObjectName("mnuStart");
  mnuStart->setShortcut(QKeySequence(Qt::Key_F5));
  mnuStop = mnuFile->addAction("S&top", this, &frmMain::Stop_Click);
  mnuStop->setObjectName("mnuStop");
  mnuStop->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::SHIFT | Qt::Key_F5)});
  mnuStop->setEnabled(false);
  mnuConfig = mnuFile->addAction("&Config…", this, &frmMain::Config_Click);
  mnuConfig->setObjectName("mnuConfig");
  mnuConfig->setShortcut(QKeySequence("Ctrl+,"));
  QAction* mnuCheckLibrary =
      mnuFile->addAction("Check &library…", this, [this] { ShowLibraryCheck(this, app_, host_); });
  mnuCheckLibrary->setObjectName("mnuCheckLibrary");
  mnuPreview = mnuFile->addAction("&Preview…", this, &frmMain::Preview_Click);
  mnuPreview->setObjectName("mnuPreview");
  mnuOpenFolder = mnuFile->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon),
                                     "Open &work folder", this, [this] { OpenWorkFolder_Click(); });
  mnuOpenFolder->setObjectName("mnuOpenFolder");
  mnuOpenFolder->setEnabled(false);  // until a run has used a folder
  // Also here, so that the keyboard reaches it from any tab.
  GridState->saveAction().setShortcut(QKeySequence::Save);
  mnuFile->addAction(&GridState->saveAction());
  mnuFile->addSeparator();
  QAction* mnuExit = mnuFile->addAction("&Exit", this, &frmMain::close);
  mnuExit->setObjectName("mnuExit");
  QAction* mnuHelp = menuBar()->addAction("&?", this, &frmMain::ShowHelpPage);
  mnuHelp->setObjectName("mnuHelp");
  mnuHelp->setShortcut(QKeySequence(Qt::Key_F1));
}

void frmMain::SetUpGrids() {
  Grid->setColumnCount(0);
  Grid->setRowCount(1);
  Grid->setRowHeight(kDisplayRow, kProcessRowHeight);
  Grid->horizontalHeader()->hide();
  Grid->verticalHeader()->hide();
  Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Grid->setSelectionMode(QAbstractItemView::NoSelection);
  Grid->setFocusPolicy(Qt::NoFocus);
  Grid->setShowGrid(true);
  Grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FitProcessGridHeight();
  PaintBackground(*Grid, kRestColour);
}

// <order>-<date>.txt: the order is the container's name where a run wrote one,
// else the image's, so that a shift's reports sort by order and day.
QString frmMain::reportFileName() const {
  QString order = QFileInfo(writtenContainer_).completeBaseName();
  if (order.isEmpty()) order = QFileInfo(ToQ(app_.InputHexPath)).completeBaseName();
  if (order.isEmpty()) order = "report";
  return order + "-" + QDate::currentDate().toString("yyyy-MM-dd") + ".txt";
}

void frmMain::saveReport() {
  QFileDialog chooser(this, "Save report", QString(), "Text files (*.txt)");
  chooser.setObjectName("reportChooser");
  chooser.setAcceptMode(QFileDialog::AcceptSave);
  chooser.setDefaultSuffix("txt");
  chooser.selectFile(workFolder_.isEmpty() ? reportFileName()
                                           : QDir(workFolder_).filePath(reportFileName()));
  if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
  QString path = chooser.selectedFiles().first();
  // A file without an extension would not open as text with a double click.
  if (QFileInfo(path).suffix().isEmpty()) path += ".txt";
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly)) {
    // The outcome first: rows alone do not say whether the run completed.
    const QString outcome = lastRun_->text().isEmpty() ? kNoRunYet : lastRun_->text();
    file.write(outcome.toUtf8() + "\n" + GridState->text(WhichRows::All).toUtf8());
    if (file.commit()) return;
  }
  host_.showMessage(
      "The report could not be saved: " + FromQ(path) + ": " + FromQ(file.errorString()),
      kApplicationTitle);
}

bool frmMain::StartUp(const std::string& commandLine) {
  StartupResult result = RunStartup(app_, host_, commandLine);
  if (!result.ok) return false;
  setWindowTitle(ToQ(app_.WindowTitle));
  for (const ProcessStep& step : result.steps) AddStep(step);
  GridState->fitStepNames(result.steps);
  runner_.setSteps(std::move(result.steps));
  showInputFiles();
  forgetLastRun();
  return true;
}

// The Modul column shows the longest step name uncut.
void frmMain::AddStep(const ProcessStep& step) {
  const int column = Grid->columnCount();
  Grid->insertColumn(column);
  const QString display = ToQ(step.display);
  QTableWidgetItem* cell = ReadOnlyItem(display);
  cell->setBackground(kRestColour);
  cell->setTextAlignment(Qt::AlignCenter);
  cell->setToolTip(ToQ(step.help));
  Grid->setItem(kDisplayRow, column, cell);
  // 1.3 characters per character, but never narrower than the text: wide
  // letters would otherwise be cut.
  Grid->setColumnWidth(column,
                       std::max(CharactersWide(*Grid, 1.3 * static_cast<double>(display.size())),
                                CellWidthNeeded(*Grid, Grid->model()->index(kDisplayRow, column)) +
                                    (Grid->showGrid() ? 1 : 0)));
  FitProcessGridHeight();
}

void frmMain::showInputFiles() {
  const auto name = [](const std::string& path) { return QFileInfo(ToQ(path)).fileName(); };
  inputFiles_->setText(
      QString("XML: %1    Hex/S19: %2    A2L: %3")
          .arg(name(app_.InputXmlPath), name(app_.InputHexPath), name(app_.InputA2lPath)));
  inputFiles_->setToolTip(
      ToQ(app_.InputXmlPath + "\n" + app_.InputHexPath + "\n" + app_.InputA2lPath));
  // What a screen reader says of the label: the order's whole paths.
  inputFiles_->setAccessibleName(QDir::toNativeSeparators(ToQ(
      "Input files: " + app_.InputXmlPath + ", " + app_.InputHexPath + ", " + app_.InputA2lPath)));
}

// The run worked in its image's folder; the container it wrote is named.
void frmMain::showWrittenContainer() {
  workFolder_ = QFileInfo(ToQ(app_.InputHexPath)).absolutePath();
  mnuOpenFolder->setEnabled(true);
  writtenContainer_ = ToQ(session_.writtenContainer);
  container_->setText(writtenContainer_.isEmpty()
                          ? QString()
                          : "Container: " + QFileInfo(writtenContainer_).fileName());
  container_->setToolTip(writtenContainer_);
  sayContainer();
}

// A screen reader hears the label's name, not its text: the name holds the path.
void frmMain::sayContainer() {
  container_->setAccessibleName(writtenContainer_.isEmpty()
                                    ? kNoContainer
                                    : kContainerWritten +
                                          QDir::toNativeSeparators(writtenContainer_));
}

// Nothing of a result shown may pass for one of the next run or order.
void frmMain::forgetLastRun() {
  for (int column = 0; column < Grid->columnCount(); ++column) {
    Grid->item(kDisplayRow, column)->setBackground(kRestColour);
    Grid->item(kDisplayRow, column)->setData(Qt::AccessibleDescriptionRole, QString());
  }
  showStatus({}, kNoRunYet);
  writtenContainer_.clear();
  container_->clear();
  container_->setToolTip({});
  sayContainer();
  toolRunsView_->showRuns({});
  sessionView_->showTables(Session{}, app_.UserInfoTable ? *app_.UserInfoTable : SessionTable());
}

// The label's text is terse for the eye; its accessible name is what a screen
// reader says, and changing it tells the reader that the state changed.
void frmMain::showStatus(const QString& text, const QString& spoken) {
  lastRun_->setText(text);
  lastRun_->setToolTip(text);  // whole where a narrow window shortens it
  lastRun_->setAccessibleName(spoken.isEmpty() ? text : spoken);
}

void frmMain::TB_ButtonClick(const QString& key) {
  if (key == "Run")
    RunProcess();
  else if (key == "Stop")
    Stop_Click();
  else if (key == "Config")
    Config_Click();
  else if (key == "Help")
    ToggleHelpPage();
  else if (key == "Exit")
    close();
}

void frmMain::RunProcess() {
  if (runner_.running()) return;
  const int messagesBefore = host_.messageCount();
  const RunOutcome outcome = runner_.RunProcess();
  // The box of a failing step is the failure itself, not one more message.
  const int messages = host_.messageCount() - messagesBefore;
  showOutcome(outcome, messages);
  // Where an earlier run's container went, since it no longer has its name.
  for (const std::string& file : session_.setAside)
    appendStateRow({currentStepName(), LocalTimestamp(), "Set aside from an earlier run: " + file});
  if (outcome == RunOutcome::Completed && !session_.writtenContainer.empty())
    appendStateRow({currentStepName(), LocalTimestamp(),
                    FromQ(kContainerWritten) + session_.writtenContainer});
  sessionView_->showTables(session_, app_.UserInfoTable ? *app_.UserInfoTable : SessionTable());
  toolRunsView_->showRuns(session_.toolRuns);
  showWrittenContainer();
  if (closeWanted_) close();
}

// The status bar's account, and the failed step marked until the next run.
void frmMain::showOutcome(RunOutcome outcome, int messages) {
  stepTicker_.stop();
  QTableWidgetItem* step = currentStep_ >= 0 ? Grid->item(kDisplayRow, currentStep_) : nullptr;
  const std::vector<StepRecord>& steps = runner_.lastRun().steps;
  const bool cutShort = outcome == RunOutcome::Stopped && !steps.empty() &&
                        steps.back().outcome == StepOutcome::Failed;
  QString text = OutcomeText(outcome, messages, step ? step->text() : QString(), cutShort);
  if (outcome == RunOutcome::Failed && aToolExplainsTheFailure()) text += " - see Tools";
  showStatus(text);
  if (!step) return;
  const bool failed = outcome == RunOutcome::Failed;
  step->setBackground(failed ? kFailedColour : kRestColour);
  step->setData(Qt::AccessibleDescriptionRole, failed ? kFailedDescription : QString());
}

// Without a file manager the folder is named where it can be copied from.
void frmMain::OpenWorkFolder_Click() {
  if (openFolder_(workFolder_)) return;
  host_.showMessage("No file manager could be started for the work folder:\r\n" +
                        FromQ(QDir::toNativeSeparators(workFolder_)),
                    kApplicationTitle);
}

// Whether the failed step ran a tool that failed: its entry tells why.
bool frmMain::aToolExplainsTheFailure() const {
  if (currentStep_ < 0 || session_.toolRuns.empty()) return false;
  const ToolRun& last = session_.toolRuns.back();
  return last.step == currentStepName() && ToolRunsView::Failed(last);
}

void frmMain::Stop_Click() {
  runner_.Stop();
  if (!runner_.running() || closeWanted_) return;
  stopWanted_ = true;
  // Said the same to the eye and the ear: a second Stop is the way out of a slow tool.
  showStatus(QString::fromUtf8("Stopping \u2013 press Stop again to end the tool now"));
}

// The next order's inputs without a restart; Cancel keeps the current ones.
void frmMain::NewOrder_Click() {
  if (runner_.running()) return;
  try {
    if (!TakeInputsFromDialog(app_, host_)) return;
    showInputFiles();
    forgetLastRun();
    // The earlier order's reports stay as history, under a row naming the new one.
    if (GridState->rowCount() > 0)
      appendStateRow({"", LocalTimestamp(),
                      "New order: " + app_.InputXmlPath + ", " + app_.InputHexPath + ", " +
                          app_.InputA2lPath});
    // Its folder is where its container will go; until it exists there is nothing to open.
    const QFileInfo image(ToQ(app_.InputHexPath));
    workFolder_ = image.absoluteDir().exists() ? image.absolutePath() : QString();
    mnuOpenFolder->setEnabled(!workFolder_.isEmpty());
  } catch (const Error& e) {
    // A path the system cannot place: the current order stays.
    host_.showMessage(e.numberAndDescription(), kApplicationTitle);
  }
}

void frmMain::Preview_Click() {
  if (runner_.running()) return;
  if (app_.InputHexPath.empty()) NewOrder_Click();
  if (app_.InputHexPath.empty()) return;
  ShowPreview(this, app_, runner_.steps());
}

void frmMain::Config_Click() {
  if (runner_.running() || !app_.UserDataObject) return;
  app_.UserDataObject->InputUserData(host_);
  app_.UserInfoTable = app_.UserDataObject->GetUserData();
  sessionView_->showTables(session_, *app_.UserInfoTable);
}

void frmMain::ShowHelpPage() {
  FrameBott->showHelpPage(app_.ExecutableFolder + fs::kSeparator + "Help.htm");
  // The page scrolls with the keys once it has the focus.
  FrameBott->focusHelpPage();
}

void frmMain::ToggleHelpPage() {
  if (FrameBott->showsHelpPage())
    FrameBott->showHelpText();
  else
    ShowHelpPage();
}

// Expanded, the help pane reaches up to the process frame and covers the
// state frame; collapsed, it is a strip of fixed height.
void frmMain::pbSizeHelp_Click() {
  const bool expand = !FrameBott->expanded();
  FrameState->setVisible(!expand);
  if (expand) {
    FrameBott->setMinimumHeight(0);
    FrameBott->setMaximumHeight(QWIDGETSIZE_MAX);
  } else {
    FrameBott->setFixedHeight(FrameBott->collapsedHeight());
  }
  FrameBott->setExpanded(expand);
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (runner_.running()) {
    if (!closeWanted_) {
      closeWanted_ = true;
      runner_.Stop();
      showStatus("Stopping: the window closes after the current step");
    }
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

void frmMain::setIdleActionsEnabled(bool enabled) {
  TB->findChild<QAction*>("Run")->setEnabled(enabled);
  TB->findChild<QAction*>("Config")->setEnabled(enabled);
  mnuStart->setEnabled(enabled);
  mnuConfig->setEnabled(enabled);
  mnuNewOrder->setEnabled(enabled);
  mnuPreview->setEnabled(enabled);
  // A second Stop stays possible: it hurries a running tool.
  TB->findChild<QAction*>("Stop")->setEnabled(!enabled);
  mnuStop->setEnabled(!enabled);
}

void frmMain::appendStateRow(const StateRow& row) {
  GridState->appendRow(row);
}

// A box of a run is also a report of its step, so that its reason stays
// readable after the box has closed. Boxes outside a run need no row.
void frmMain::messageShown(const std::string& text, const std::string& title) {
  if (!runner_.running()) return;
  const QString line = ToQ(title + ": " + text).replace(QRegularExpression("\\r?\\n"), " ");
  appendStateRow({currentStepName(), LocalTimestamp(), FromQ(line)});
}

// The step's name as the process list gives it, not as a cell shows it.
std::string frmMain::currentStepName() const {
  const std::vector<ProcessStep>& steps = runner_.steps();
  return currentStep_ >= 0 && static_cast<size_t>(currentStep_) < steps.size()
             ? steps[static_cast<size_t>(currentStep_)].name
             : std::string();
}

void frmMain::clearStateRows() {
  GridState->setRowCount(0);
}

void frmMain::runStarted() {
  setIdleActionsEnabled(false);
  currentStep_ = -1;
  stopWanted_ = false;
  // A failed run leaves its step marked; the new run starts from all at rest.
  forgetLastRun();
  showStatus("Running");
  FrameBott->showHelpText();
  stateTabs_->setCurrentWidget(GridState);
}

void frmMain::stepStarted(int column) {
  QTableWidgetItem* cell = Grid->item(kDisplayRow, column);
  cell->setBackground(kRunningColour);
  cell->setData(Qt::AccessibleDescriptionRole, kRunningDescription);
  currentStep_ = column;
  stepClock_.start();
  stepTicker_.start();
  showRunningStep();
  Grid->scrollToItem(cell);
}

void frmMain::showRunningStep() {
  QTableWidgetItem* cell = currentStep_ >= 0 ? Grid->item(kDisplayRow, currentStep_) : nullptr;
  if (!cell || closeWanted_ || stopWanted_) return;
  const qint64 seconds = stepClock_.elapsed() / 1000;
  QString text = QString("Running: step %1").arg(Quoted(cell->text()));
  if (seconds > 0) text += QString(" - %1 s").arg(seconds);
  showStatus(
      text,
      QString::fromUtf8("Running step %1 \u2013 %2 s").arg(Quoted(cell->text())).arg(seconds));
}

void frmMain::stepFinished(int column) {
  stepTicker_.stop();
  Grid->item(kDisplayRow, column)->setBackground(kRestColour);
  Grid->item(kDisplayRow, column)->setData(Qt::AccessibleDescriptionRole, QString());
}

void frmMain::setHelpText(const std::string& text) {
  FrameBott->setHelpText(text);
}

void frmMain::runFinished() {
  setIdleActionsEnabled(true);
}

void frmMain::toolRunsChanged(const std::vector<ToolRun>& runs) {
  toolRunsView_->showRuns(runs);
}

}  // namespace xkm
