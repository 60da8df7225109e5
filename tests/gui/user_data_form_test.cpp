#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "core/platform/user_store.h"
#include "core/userdata/user_data.h"
#include "gui/frm_user_data.h"
#include "gui_fixture.h"
#include "support/scratch_folder.h"
#include "support/store_sandbox.h"

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
  static void show(frmUserData& form) {
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  }

  test::PromptRecorder prompts;
  QtHost host;
  SessionTable table;
};

TEST_F(UserDataFormWindowTest, TabWalksTheValuesAndTypingAfterAClickReplacesTheValue) {
  frmUserData form(table, 1, host);
  show(form);
  QTableWidget& g = grid(form);
  ASSERT_EQ(g.rowCount(), 3);  // the hidden item is not listed
  EXPECT_EQ(g.currentRow(), 0);
  EXPECT_EQ(g.currentColumn(), kValue);
  g.setFocus();
  QTest::keyClick(&g, Qt::Key_Tab);
  EXPECT_EQ(g.currentRow(), 1);
  EXPECT_EQ(g.currentColumn(), kValue);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // may be the cell's editor
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), &okButton(form));

  const struct {
    int row;
    const char* typed;
  } clicks[] = {{0, "Erika"}, {2, "QA"}, {1, "0711"}, {0, "Max"}};
  for (const auto& click : clicks) {
    test::ClickAndType(g, click.row, kValue, click.typed);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr) << click.typed << " went nowhere";
    EXPECT_EQ(editor->text(), click.typed);
    EXPECT_EQ(editor->maxLength(), 255);
  }
  // "Max" is still in its editor when OK is clicked: it counts too.
  okButton(form).click();
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_FALSE(form.bCancel());
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(table.text(0, kUserDataValue), "Max");
  EXPECT_EQ(table.text(1, kUserDataValue), "  hidden value ");
  EXPECT_EQ(table.text(2, kUserDataValue), "0711");
  EXPECT_EQ(table.text(3, kUserDataValue), "QA");

  frmUserData closed(table, 1, host);  // the close control counts as Cancel
  closed.show();
  grid(closed).item(0, kValue)->setText("Erika");
  closed.close();
  EXPECT_TRUE(closed.bCancel());
  EXPECT_EQ(table.text(0, kUserDataValue), "Max");
}

class UserDataStoreWindowTest : public ::testing::Test {
 protected:
  void useIni(const std::string& data) {
    ini = config.write("Userdata.ini",
                       "[System]\r\nRegKey=-2147483647\r\nLanguagePath=Software\\T\r\n"
                       "LanguageKey=Language\r\nDataPath=Software\\T\\UserData\r\n[Data]\r\n" +
                           data);
  }

  test::StoreSandbox sandbox;
  test::ScratchFolder config;
  test::PromptRecorder prompts;
  std::string ini;
};

TEST_F(UserDataStoreWindowTest, AFailedSaveKeepsTheFormOpenAndNothingLooksSaved) {
  if (user_store::StoreFolder().empty())
    GTEST_SKIP() << "the store is the registry here, which no damaged file can make fail";
  useIni("1=USERNAME;Name;Name;1;1\r\n");
  clsUserData data;
  data.Init(ini);
  const std::string damaged = "REGEDIT4\n\n[K]\nnonsense\n";
  sandbox.folder().write("xkmtool/HKEY_CURRENT_USER.reg", damaged);
  QtHost forms;  // the real form, with the boxes recorded
  Prompts boxesOnly = prompts.prompts();
  boxesOnly.userDataForm = nullptr;
  forms.setPrompts(boxesOnly);

  bool openAfterOk = false;
  bool saysNotStored = false;
  std::string kept;
  test::WhenModalOpens([&](QWidget& form) {
    QTableWidget& g = *test::Child<QTableWidget>(form, "Grid");
    test::ClickAndType(g, 0, kValue, "Erika");
    test::Child<QPushButton>(form, "pbOK")->click();
    openAfterOk = form.isVisible();
    QLabel* notice = form.findChild<QLabel*>("notStored");
    saysNotStored = notice && notice->isVisible();
    kept = test::CellText(g, 0, kValue);
  });
  EXPECT_FALSE(data.InputUserData(forms));
  EXPECT_TRUE(openAfterOk);
  EXPECT_TRUE(saysNotStored);
  EXPECT_EQ(kept, "Erika");
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, "Error");
  EXPECT_EQ(prompts.messages[0].text.rfind("321 Invalid file format: ", 0), 0u);
  // Nothing unsaved is passed off as saved: the next Config shows the old value.
  EXPECT_EQ(data.GetUserData()->text(0, kUserDataValue), "");
}

}  // namespace
}  // namespace xkm
