#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "core/userdata/user_data.h"
#include "gui/frm_user_data.h"
#include "gui/qt_text.h"
#include "gui_fixture.h"

namespace xkm {
namespace {

constexpr int kValue = 3;

class UserDataFormWindowTest : public ::testing::Test {
 protected:
  UserDataFormWindowTest() : table(MakeUserDataTable()) {
    host.setPrompts(prompts.prompts());
    add("USERNAME", "Name", "1", "1", "");
    add("SITE", "Werk", "0", "1", "  hidden value ");
    add("PHONE", "Telefon", "1", "0", "");
    add("DEPARTMENT", "Abteilung", "1", "1", "");
  }

  void add(const char* name, const char* label, const char* display, const char* mandatory,
           const char* value) {
    size_t row = table.appendRow();
    table.setField(row, kUserDataName, name);
    table.setField(row, kUserDataField, label);
    table.setField(row, kUserDataDisplayField, display);
    table.setField(row, kUserDataMandatory, mandatory);
    table.setField(row, kUserDataValue, value);
  }

  static QTableWidget& grid(frmUserData& form) { return *test::Child<QTableWidget>(form, "Grid"); }
  static QPushButton& okButton(frmUserData& form) {
    return *test::Child<QPushButton>(form, "pbOK");
  }

  test::PromptRecorder prompts;
  QtHost host;
  SessionTable table;
};

TEST_F(UserDataFormWindowTest, TheGridShowsLabelsAndValuesWithNameAndFlagHidden) {
  frmUserData form(table, 1, host);
  QTableWidget& g = grid(form);
  EXPECT_EQ(form.windowTitle(), "User-data");
  ASSERT_EQ(g.rowCount(), 3);  // the hidden item is not listed
  EXPECT_TRUE(g.isColumnHidden(0));
  EXPECT_TRUE(g.isColumnHidden(1));
  EXPECT_EQ(test::CellText(g, 1, 2), "Telefon");
  EXPECT_FALSE(g.item(1, 2)->flags() & Qt::ItemIsEditable);
  EXPECT_TRUE(g.item(1, kValue)->flags() & Qt::ItemIsEditable);
  EXPECT_EQ(g.horizontalHeaderItem(kValue)->text(), " ");
  EXPECT_EQ(g.columnWidth(2), CharactersWide(g, 15));
  EXPECT_EQ(g.columnWidth(kValue), CharactersWide(g, 28));
  EXPECT_EQ(g.currentRow(), 0);
  EXPECT_EQ(g.currentColumn(), kValue);
}

TEST_F(UserDataFormWindowTest, MissingMandatoryValuesAreListedInEitherLanguage) {
  for (int language : {1, 2}) {
    prompts.messages.clear();
    frmUserData form(table, language, host);
    form.show();
    okButton(form).click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    const std::string prefix = language == 1 ? "Eingabe erforderlich : " : "Input required : ";
    EXPECT_EQ(prompts.messages[0],
              (test::RecordedMessage{"Error", prefix + "\r\n\r\nName\r\nAbteilung\r\n"}));
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.bCancel());
  }
}

TEST_F(UserDataFormWindowTest, OkWritesShownValuesAsTypedAndLeavesHiddenOnes) {
  frmUserData form(table, 2, host);
  form.show();
  QTableWidget& g = grid(form);
  g.item(0, kValue)->setText("  Erika");
  g.item(2, kValue)->setText("QA");
  // A value still in its editor when OK is clicked counts too.
  g.setCurrentCell(1, kValue);
  const QModelIndex phone = g.model()->index(1, kValue);
  if (!g.indexWidget(phone)) g.editItem(g.item(1, kValue));
  auto* editor = qobject_cast<QLineEdit*>(g.indexWidget(phone));
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->maxLength(), 255);
  editor->setText("0711");
  okButton(form).click();

  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_FALSE(form.bCancel());
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(table.text(0, kUserDataValue), "  Erika");
  EXPECT_EQ(table.text(1, kUserDataValue), "  hidden value ");
  EXPECT_EQ(table.text(2, kUserDataValue), "0711");
  EXPECT_EQ(table.text(3, kUserDataValue), "QA");
}

TEST_F(UserDataFormWindowTest, CloseCountsAsCancelAndLeavesTheTable) {
  frmUserData form(table, 1, host);
  form.show();
  grid(form).item(0, kValue)->setText("Erika");
  form.close();
  EXPECT_TRUE(form.bCancel());
  EXPECT_EQ(table.text(0, kUserDataValue), "");
}

TEST_F(UserDataFormWindowTest, TabGoesFromValueToValueAndFromTheLastToOk) {
  frmUserData form(table, 1, host);
  form.show();
  QApplication::setActiveWindow(&form);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  QTableWidget& g = grid(form);
  g.setFocus();
  QTest::keyClick(&g, Qt::Key_Tab);
  EXPECT_EQ(g.currentRow(), 1);
  EXPECT_EQ(g.currentColumn(), kValue);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // may be the cell's editor
  EXPECT_EQ(g.currentRow(), 2);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), &okButton(form));
}

}  // namespace
}  // namespace xkm
