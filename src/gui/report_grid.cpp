#include "gui/report_grid.h"

#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>

#include "gui/grid_look.h"
#include "gui/qt_text.h"

namespace xkm {
namespace {

enum Column { kModul = 0, kStart = 1, kAction = 2 };
const QStringList kHeader = {"Modul", "Start", "Action"};

// The local time of a report: the cell shows the time of day, which fits the
// 15 characters of its column; the tooltip adds the date.
QString StartText(const std::string& isoTime) {
  const QDateTime time = QDateTime::fromString(ToQ(isoTime), Qt::ISODate);
  return time.isValid() ? time.toString("HH:mm:ss") : ToQ(isoTime);
}
QString StartToolTip(const std::string& isoTime) {
  return ToQ(isoTime).replace('T', ' ');
}

}  // namespace

ReportGrid::ReportGrid(QWidget* parent) : QTableWidget(0, 3, parent) {
  setObjectName("GridState");
  setAccessibleName("Reports");
  setHorizontalHeaderLabels(kHeader);
  setColumnWidth(kModul, CharactersWide(*this, 20));
  setColumnWidth(kStart, CharactersWide(*this, 15));
  setColumnWidth(kAction, CharactersWide(*this, 85));
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  verticalHeader()->hide();
  setWordWrap(false);
  // Paths keep their file name in view; the whole text is the tooltip.
  setTextElideMode(Qt::ElideMiddle);
  horizontalHeader()->setStretchLastSection(true);
  verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  PaintBackground(*this, kRestColour);

  // So that a report can go with a complaint or into a shift log.
  auto* copy = new QAction("&Copy", this);
  copy->setObjectName("copyReportRows");
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  connect(copy, &QAction::triggered, this,
          [this] { QGuiApplication::clipboard()->setText(rows(WhichRows::Chosen)); });
  save_ = new QAction("Save &report…", this);
  save_->setObjectName("saveReport");
  addAction(copy);
  addAction(save_);
  setContextMenuPolicy(Qt::ActionsContextMenu);
}

void ReportGrid::appendRow(const StateRow& row) {
  const int index = rowCount();
  insertRow(index);
  const QString texts[] = {ToQ(row.modul), StartText(row.start), ToQ(row.action)};
  const QString tips[] = {texts[0], StartToolTip(row.start), texts[2]};
  for (int column : {kModul, kStart, kAction}) {
    // The columns keep their widths; a longer text is cut short on screen
    // and shown whole as the cell's tooltip.
    QTableWidgetItem* item = ReadOnlyItem(texts[column]);
    item->setToolTip(tips[column]);
    setItem(index, column, item);
  }
  QScrollBar* sideways = horizontalScrollBar();
  const int left = sideways->value();
  setCurrentCell(index, kAction);
  scrollToItem(item(index, kModul));
  sideways->setValue(left);
}

void ReportGrid::fitStepNames(const std::vector<ProcessStep>& steps) {
  const QFontMetrics metrics(font());
  int widest = CharactersWide(*this, 20);
  for (const ProcessStep& step : steps)
    widest = std::max(widest, metrics.horizontalAdvance(ToQ(step.name)) + CharactersWide(*this, 2));
  setColumnWidth(kModul, widest);
}

QString ReportGrid::text(WhichRows which) const {
  return kHeader.join('\t') + '\n' + rows(which);
}

QString ReportGrid::rows(WhichRows which) const {
  return RowsAsText(*this, which, {kModul, kStart, kAction},
                    [](const QTableWidgetItem& item) { return item.toolTip(); });
}

}  // namespace xkm
