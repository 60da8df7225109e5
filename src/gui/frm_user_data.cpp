#include "gui/frm_user_data.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/qt_text.h"
#include "gui/user_data_grid.h"

namespace xkm {
namespace {

constexpr int kNameColumn = 0;
constexpr int kMandatoryColumn = 1;
constexpr int kLabelColumn = 2;

QTableWidgetItem* TextItem(const std::string& text, bool editable) {
  auto* item = new QTableWidgetItem(ToQ(text));
  if (!editable) item->setFlags(Qt::ItemIsEnabled);
  return item;
}

}  // namespace

frmUserData::frmUserData(SessionTable& rsData, int nLanguage, Host& host, QWidget* parent,
                         UserDataSaver save)
    : QDialog(parent),
      rsData_(rsData),
      host_(host),
      language_(nLanguage),
      save_(std::move(save)),
      form_(rsData, nLanguage, host) {
  setObjectName("frmUserData");
  setWindowTitle(kUserDataFormTitle);

  Grid = new UserDataGrid;
  Grid->setObjectName("Grid");
  Grid->setAccessibleName("User data");
  Grid->setItemDelegateForColumn(UserDataGrid::kValueColumn,
                                 new LimitedLineDelegate(kUserDataValueMaxLength, Grid));
  Grid->setSelectionMode(QAbstractItemView::SingleSelection);
  Grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
  Grid->verticalHeader()->hide();

  pbOK = new QPushButton(kUserDataOkCaption);
  pbOK->setObjectName("pbOK");
  auto* pbCancel = new QPushButton(kUserDataCancelCaption);
  pbCancel->setObjectName("pbCancel");

  notStored_ = new QLabel(nLanguage == 1 ? "Die Angaben sind nicht gespeichert."
                                         : "The values are not stored.");
  notStored_->setObjectName("notStored");
  notStored_->setStyleSheet("color: #b00000; font-weight: bold;");
  notStored_->hide();

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(notStored_);
  buttons->addStretch();
  buttons->addWidget(pbOK);
  buttons->addWidget(pbCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Grid);
  layout->addLayout(buttons);

  connect(pbOK, &QPushButton::clicked, this, &frmUserData::pbOk_Click);
  connect(pbCancel, &QPushButton::clicked, this, &frmUserData::pbCancel_Click);
  connect(Grid, &UserDataGrid::leftLastCell, this, [this] { pbOK->setFocus(Qt::TabFocusReason); });
  connect(Grid, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (!filling_ && item->column() == UserDataGrid::kValueColumn)
      form_.setValue(static_cast<size_t>(item->row()), FromQ(item->text()));
  });

  InitGrid();
  FitToRows();
}

void frmUserData::InitGrid() {
  filling_ = true;
  form_.InitGrid();
  const std::vector<UserDataGridRow>& rows = form_.rows();
  Grid->clear();
  Grid->setColumnCount(4);
  Grid->setRowCount(static_cast<int>(rows.size()));
  Grid->setHorizontalHeaderLabels(
      {QString(), QString(), kUserDataColumnTitle, kUserDataColumnTitle});
  Grid->hideColumn(kNameColumn);
  Grid->hideColumn(kMandatoryColumn);
  Grid->setColumnWidth(UserDataGrid::kValueColumn, CharactersWide(*Grid, kUserDataValueWidth));
  for (size_t i = 0; i < rows.size(); ++i) {
    const int row = static_cast<int>(i);
    Grid->setItem(row, kNameColumn, TextItem(rows[i].name, false));
    Grid->setItem(row, kMandatoryColumn, TextItem(rows[i].mandatory, false));
    Grid->setItem(row, kLabelColumn, TextItem(rows[i].label, false));
    Grid->setItem(row, UserDataGrid::kValueColumn, TextItem(rows[i].value, true));
  }
  // A label wider than the set width widens its column rather than being cut.
  Grid->setColumnWidth(kLabelColumn, std::max(CharactersWide(*Grid, kUserDataLabelWidth),
                                              Grid->sizeHintForColumn(kLabelColumn)));
  if (!rows.empty()) Grid->setCurrentCell(0, UserDataGrid::kValueColumn);
  shownValues_.clear();
  for (const UserDataGridRow& row : rows) shownValues_.push_back(row.value);
  filling_ = false;
}

// The form opens showing every row, up to the size of the screen.
void frmUserData::FitToRows() {
  layout()->activate();
  QSize size = sizeHint();
  if (const QScreen* screen = this->screen())
    size = size.boundedTo(screen->availableGeometry().size());
  resize(size);
}

void frmUserData::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Grid->setFocus();
}

void frmUserData::pbOk_Click() {
  Grid->commitOpenEditor();
  if (!form_.pbOk_Click()) {
    // What is typed next belongs in the field the box asked for, not in the
    // one that had the cursor.
    // Its editor is open, so that also the first key (a Backspace, Home) acts there.
    const size_t missing = form_.firstMissing();
    Grid->setFocus();
    if (missing < form_.rows().size()) {
      Grid->setCurrentCell(static_cast<int>(missing), UserDataGrid::kValueColumn);
      Grid->editItem(Grid->item(static_cast<int>(missing), UserDataGrid::kValueColumn));
    }
    return;
  }
  if (save_ && !save_(rsData_)) {
    // The store refused the values: nothing may look saved, and nothing typed is lost.
    form_.pbCancel_Click();
    notStored_->show();
    return;
  }
  notStored_->hide();
  accept();
}

bool frmUserData::changed() const {
  for (size_t row = 0; row < form_.rows().size(); ++row)
    if (row >= shownValues_.size() || form_.rows()[row].value != shownValues_[row]) return true;
  return false;
}

void frmUserData::reject() {
  Grid->commitOpenEditor();
  if (changed() && host_.askYesNo(language_ == 1 ? "Die geänderten Angaben speichern?"
                                                 : "Store the changed values?",
                                  kUserDataFormTitle)) {
    pbOk_Click();
    return;
  }
  pbCancel_Click();
}

void frmUserData::pbCancel_Click() {
  form_.pbCancel_Click();
  QDialog::reject();
}

}  // namespace xkm
