#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <string>

#include "core/session/app_state.h"
#include "core/session/context.h"
#include "core/session/session.h"
#include "core/shell/runner.h"
#include "gui/qt_host.h"
#include "gui/report_grid.h"

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QTableWidget;
class QTabWidget;
class QToolBar;

namespace xkm {

class ElidedLabel;
class HelpPane;
class SessionView;
class ToolRunsView;

// The main window: toolbar, process grid, state grid with the session view,
// and the help pane. Start-up and the runner are the core's; the window shows
// what they do.
class frmMain : public QMainWindow, private RunDisplay {
  Q_OBJECT

 public:
  static constexpr int kProcessRowHeight = 20;

  // `makeToolChain` makes the object the steps run on; a real tool chain by default.
  explicit frmMain(AppState& app, Runner::StepTargetFactory makeToolChain = {},
                   QWidget* parent = nullptr);
  ~frmMain() override;

  // Set the prompts before StartUp when nothing may wait for a click.
  QtHost& host() { return host_; }
  Session& session() { return session_; }
  const Runner& runner() const { return runner_; }

  // Start-up: configuration, input paths, process list and user data; then
  // the process grid and the window title. False after a failure, whose box
  // has been shown.
  bool StartUp(const std::string& commandLine);

  // Runs the process (Run button, menu Start); ignored while a run goes on.
  void RunProcess();
  // What "Open work folder" does with the folder, false when it could not;
  // the file manager by default.
  void setFolderOpener(std::function<bool(const QString&)> open) { openFolder_ = std::move(open); }
  void ShowHelpPage();
  // The Help button: the help page, or back to the running step's help.
  void ToggleHelpPage();

 protected:
  // Closing during a run asks for a stop; the window closes once the current
  // step has ended.
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetUpToolbar();
  void SetUpMenus();
  void SetUpGrids();
  void SetUpTabKeys();
  QWidget* BuildCentralWidget();
  void AddStep(const ProcessStep& step);
  void FitProcessGridHeight();
  void TB_ButtonClick(const QString& key);
  void Stop_Click();
  void NewOrder_Click();
  // What a run of the current order would write (an order is asked for when
  // there is none), without writing it.
  void Preview_Click();
  void Config_Click();
  void pbSizeHelp_Click();
  void OpenWorkFolder_Click();
  void setIdleActionsEnabled(bool enabled);
  void showInputFiles();
  void showWrittenContainer();
  void forgetLastRun();
  void sayContainer();
  void showStatus(const QString& text, const QString& spoken = {});
  QString reportFileName() const;
  void showOutcome(RunOutcome outcome, int messages);
  bool aToolExplainsTheFailure() const;
  std::string currentStepName() const;
  void saveReport();

  // RunDisplay
  void appendStateRow(const StateRow& row) override;
  void clearStateRows() override;
  void runStarted() override;
  void stepStarted(int column) override;
  void stepFinished(int column) override;
  void setHelpText(const std::string& text) override;
  void runFinished() override;
  void toolRunsChanged(const std::vector<ToolRun>& runs) override;
  void messageShown(const std::string& text, const std::string& title) override;

  AppState& app_;
  Session session_;
  QtHost host_;
  Context ctx_;
  Runner runner_;
  bool closeWanted_ = false;
  bool stopWanted_ = false;  // Stop was pressed during the current run
  int currentStep_ = -1;     // the column of the step that ran last

  QToolBar* TB = nullptr;
  QAction* mnuStart = nullptr;
  QAction* mnuStop = nullptr;
  QAction* mnuConfig = nullptr;
  QAction* mnuNewOrder = nullptr;
  QAction* mnuPreview = nullptr;
  QAction* mnuOpenFolder = nullptr;
  QFrame* FrameStatus = nullptr;
  QTableWidget* Grid = nullptr;
  QGroupBox* FrameState = nullptr;
  QTabWidget* stateTabs_ = nullptr;
  ReportGrid* GridState = nullptr;
  SessionView* sessionView_ = nullptr;
  ToolRunsView* toolRunsView_ = nullptr;
  HelpPane* FrameBott = nullptr;
  ElidedLabel* inputFiles_ = nullptr;
  ElidedLabel* lastRun_ = nullptr;
  // The running step's time in the status bar, also where no tool runs.
  QTimer stepTicker_;
  QElapsedTimer stepClock_;
  void showRunningStep();
  ElidedLabel* container_ = nullptr;
  QString workFolder_;        // the image's folder of the last run or of the new order
  QString writtenContainer_;  // by the last run of this order
  std::function<bool(const QString&)> openFolder_;
};

}  // namespace xkm
