#include "gui/tool_runs_view.h"

#include <QHeaderView>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/platform/text/cp1252.h"
#include "gui/grid_look.h"
#include "gui/qt_text.h"

namespace xkm {
namespace {

enum Column { kStep, kTool, kResult, kDuration, kCommandLine, kColumnCount };

const QColor kFailedColour(255, 200, 200);
constexpr int kTickMs = 500;

QTableWidgetItem* Cell(const QString& text) {
  QTableWidgetItem* item = ReadOnlyItem(text);
  item->setToolTip(text);
  return item;
}

// Tools write in the console's code page or in UTF-8; either reads right.
QString OutputText(const std::string& bytes) {
  return ToQ(Utf8OrCp1252(bytes));
}

}  // namespace

ToolRunsView::ToolRunsView(QWidget* parent) : QWidget(parent) {
  setObjectName("ToolRunsView");
  runsView_ = new QTableWidget(0, kColumnCount);
  runsView_->setObjectName("ToolRuns");
  runsView_->setAccessibleName("Tool runs");
  runsView_->setHorizontalHeaderLabels({"Step", "Tool", "Result", "ms", "Command line"});
  runsView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  runsView_->setSelectionBehavior(QAbstractItemView::SelectRows);
  runsView_->setSelectionMode(QAbstractItemView::SingleSelection);
  runsView_->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
  runsView_->horizontalHeader()->setStretchLastSection(true);
  runsView_->setTextElideMode(Qt::ElideMiddle);
  runsView_->setColumnWidth(kStep, CharactersWide(*this, 30));
  runsView_->setColumnWidth(kTool, CharactersWide(*this, 14));
  runsView_->setColumnWidth(kResult, CharactersWide(*this, 16));
  runsView_->setColumnWidth(kDuration, CharactersWide(*this, 8));

  output_ = new QPlainTextEdit;
  output_->setObjectName("ToolOutput");
  output_->setAccessibleName("Tool output");
  output_->setReadOnly(true);
  output_->setLineWrapMode(QPlainTextEdit::NoWrap);
  output_->setFont(QFont("monospace"));

  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->addWidget(runsView_);
  splitter->addWidget(output_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter);

  connect(runsView_, &QTableWidget::currentCellChanged, this,
          [this](int row, int, int, int) { showOutput(row); });
  ticker_.setInterval(kTickMs);
  connect(&ticker_, &QTimer::timeout, this, &ToolRunsView::showRunningTime);
}

bool ToolRunsView::Failed(const ToolRun& run) {
  return !run.running && (!run.started || run.signal != 0 || run.exitCode != 0);
}

QString ToolRunsView::ResultText(const ToolRun& run) {
  if (run.running) return "running";
  if (!run.started) return "not started: " + ToQ(run.startError);
  const QString result =
      run.signal != 0 ? QString("signal %1").arg(run.signal) : QString("exit %1").arg(run.exitCode);
  return Failed(run) ? "failed: " + result : result;
}

void ToolRunsView::showRuns(const std::vector<ToolRun>& runs) {
  const bool added = runs.size() != runs_.size();
  runs_ = runs;
  runsView_->setRowCount(static_cast<int>(runs_.size()));
  bool running = false;
  for (int row = 0; row < static_cast<int>(runs_.size()); ++row) {
    const ToolRun& run = runs_[static_cast<std::size_t>(row)];
    running = running || run.running;
    const QString texts[kColumnCount] = {ToQ(run.step), ToQ(run.tool), ResultText(run),
                                         QString::number(run.durationMs), ToQ(run.commandLine)};
    for (int column = 0; column < kColumnCount; ++column) {
      QTableWidgetItem* item = Cell(texts[column]);
      if (Failed(run)) item->setBackground(kFailedColour);
      runsView_->setItem(row, column, item);
    }
  }
  if (running) {
    runningFor_.start();
    ticker_.start();
  } else {
    ticker_.stop();
  }
  // The newest run is the one under way, or the likeliest culprit when a step stopped.
  if (added || runs_.empty())
    selectRun(static_cast<int>(runs_.size()) - 1);
  else
    showOutput(runsView_->currentRow());
}

void ToolRunsView::showRunningTime() {
  const int row = static_cast<int>(runs_.size()) - 1;
  if (row < 0 || !runs_.back().running) return;
  // The tooltip too, which otherwise would still say 0.
  const QString elapsed = QString::number(runningFor_.elapsed());
  runsView_->item(row, kDuration)->setText(elapsed);
  runsView_->item(row, kDuration)->setToolTip(elapsed);
}

void ToolRunsView::selectRun(int row) {
  if (row >= 0 && row < runsView_->rowCount()) runsView_->setCurrentCell(row, kStep);
  showOutput(row);
}

void ToolRunsView::showOutput(int row) {
  if (row < 0 || row >= static_cast<int>(runs_.size())) {
    output_->clear();
    return;
  }
  const ToolRun& run = runs_[static_cast<std::size_t>(row)];
  output_->setPlainText(QString("%1\n%2\n\n--- standard output (last 4 KB) ---\n%3\n"
                                "--- standard error (last 4 KB) ---\n%4")
                            .arg(ToQ(run.commandLine), ResultText(run), OutputText(run.stdoutTail),
                                 OutputText(run.stderrTail)));
}

}  // namespace xkm
