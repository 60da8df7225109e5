#include "gui/tool_runs_view.h"

#include <QHeaderView>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "gui/qt_text.h"

namespace xkm {
namespace {

enum Column { kStep, kTool, kResult, kDuration, kCommandLine, kColumnCount };

QTableWidgetItem* Cell(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

}  // namespace

ToolRunsView::ToolRunsView(QWidget* parent) : QWidget(parent) {
  setObjectName("ToolRunsView");
  runsView_ = new QTableWidget(0, kColumnCount);
  runsView_->setObjectName("ToolRuns");
  runsView_->setHorizontalHeaderLabels({"Step", "Tool", "Result", "ms", "Command line"});
  runsView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  runsView_->setSelectionBehavior(QAbstractItemView::SelectRows);
  runsView_->setSelectionMode(QAbstractItemView::SingleSelection);
  runsView_->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
  runsView_->horizontalHeader()->setStretchLastSection(true);
  runsView_->setColumnWidth(kStep, CharactersWide(*this, 26));
  runsView_->setColumnWidth(kTool, CharactersWide(*this, 10));
  runsView_->setColumnWidth(kResult, CharactersWide(*this, 12));
  runsView_->setColumnWidth(kDuration, CharactersWide(*this, 8));

  output_ = new QPlainTextEdit;
  output_->setObjectName("ToolOutput");
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
}

QString ToolRunsView::ResultText(const ToolRun& run) {
  if (!run.started) return "not started";
  if (run.signal != 0) return QString("signal %1").arg(run.signal);
  return QString("exit %1").arg(run.exitCode);
}

void ToolRunsView::showRuns(const std::vector<ToolRun>& runs) {
  runs_ = runs;
  runsView_->setRowCount(0);
  runsView_->setRowCount(static_cast<int>(runs_.size()));
  for (int row = 0; row < static_cast<int>(runs_.size()); ++row) {
    const ToolRun& run = runs_[static_cast<std::size_t>(row)];
    runsView_->setItem(row, kStep, Cell(ToQ(run.step)));
    runsView_->setItem(row, kTool, Cell(ToQ(run.tool)));
    runsView_->setItem(row, kResult, Cell(ResultText(run)));
    runsView_->setItem(row, kDuration, Cell(QString::number(run.durationMs)));
    runsView_->setItem(row, kCommandLine, Cell(ToQ(run.commandLine)));
  }
  // The last run is the likeliest culprit when a step stopped.
  selectRun(static_cast<int>(runs_.size()) - 1);
}

void ToolRunsView::selectRun(int row) {
  if (row >= 0 && row < runsView_->rowCount()) runsView_->setCurrentCell(row, kStep);
  showOutput(row);
}

QString ToolRunsView::outputText() const {
  return output_->toPlainText();
}

void ToolRunsView::showOutput(int row) {
  if (row < 0 || row >= static_cast<int>(runs_.size())) {
    output_->clear();
    return;
  }
  const ToolRun& run = runs_[static_cast<std::size_t>(row)];
  output_->setPlainText(QString("%1\n\n--- standard output (last 4 KB) ---\n%2\n"
                                "--- standard error (last 4 KB) ---\n%3")
                            .arg(ToQ(run.commandLine), QString::fromUtf8(run.stdoutTail),
                                 QString::fromUtf8(run.stderrTail)));
}

}  // namespace xkm
