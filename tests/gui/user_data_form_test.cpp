
#include "core/session/utilities.h"
#include "core/userdata/user_data.h"
#include "gui/frm_user_data.h"
#include "gui_fixture.h"

namespace xkm {
namespace {

constexpr int kValue = 3;

// A table of rows "Name;Field;DisplayField;Mandatory;Value".
SessionTable TableOf(std::initializer_list<const char*> rows) {
  SessionTable table = MakeUserDataTable();
  for (const char* row : rows) {
    const size_t at = table.appendRow();
    const std::vector<std::string_view> fields = SplitAt(row, ';');
    for (size_t column = 0; column < fields.size(); ++column)
      table.setField(at, column, std::string(fields[column]));
  }
  return table;
}

void ShowActive(QWidget& form) {
  form.show();
  QApplication::setActiveWindow(&form);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
}

TEST(UserDataFormWindow, NothingTypedIsLost) {
  test::PromptRecorder prompts;
  QtHost host;
  host.setPrompts(prompts.prompts());
  SessionTable table = TableOf(
      {"USERNAME;Name;1;1;", "SITE;Werk;0;1; hid ", "PHONE;Telefon;1;0;", "DEPARTMENT;Abt;1;1;"});
  frmUserData form(table, 1, host);
  ShowActive(form);
  QTableWidget& g = *test::Child<QTableWidget>(form, "Grid");
  QPushButton& ok = *test::Child<QPushButton>(form, "pbOK");
  ASSERT_EQ(g.rowCount(), 3);  // the hidden item is not listed
  EXPECT_EQ(std::pair(g.currentRow(), g.currentColumn()), std::pair(0, kValue));
  for (const auto& [row, typed] :
       std::vector<std::pair<int, const char*>>{{0, "Erika"}, {2, "QA"}, {1, "0711"}, {0, "Max"}}) {
    test::ClickAndType(g, row, kValue, typed);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr) << typed << " went nowhere";
    EXPECT_EQ(editor->text(), typed);
    EXPECT_EQ(editor->maxLength(), 255);
  }
  ok.click();  // "Max" is still in its editor: it counts too
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_FALSE(form.bCancel() || form.isVisible());
  std::string values;
  for (size_t row = 0; row < table.rowCount(); ++row)
    values += table.text(row, kUserDataValue) + "|";
  EXPECT_EQ(values, "Max| hid |0711|QA|");
}

// Telefon typed, OK with the mandatory Name empty: what is typed after the box
// goes into Name. The close control then asks whether to store the changes.
TEST(UserDataFormWindow, TypingAfterTheBoxFillsTheMissingFieldAndClosingAsks) {
  const struct {
    const char* name;
    bool store;
    const char* values;
  } rows[] = {{"stored", true, "4711|0711|"}, {"discarded", false, "||"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    test::PromptRecorder prompts;
    Prompts answers = prompts.prompts();
    answers.question = [&row](const std::string&, const std::string&) { return row.store; };
    QtHost host;
    host.setPrompts(answers);
    SessionTable table = TableOf({"USERNAME;Name;1;1;", "PHONE;Telefon;1;0;"});
    frmUserData form(table, 1, host);
    ShowActive(form);
    QTableWidget& g = *test::Child<QTableWidget>(form, "Grid");
    test::ClickAndType(g, 1, kValue, "0711");
    test::Child<QPushButton>(form, "pbOK")->click();
    for (char key : std::string("4711")) QTest::keyClick(QApplication::focusWidget(), key);
    form.close();
    EXPECT_EQ(table.text(0, kUserDataValue) + "|" + table.text(1, kUserDataValue) + "|",
              row.values);
  }
}

// After the "Eingabe erforderlich" box the first missing field is open for
// editing, whichever cell had the cursor when OK was pressed.
TEST(UserDataFormWindow, AfterTheBoxTheFirstMissingFieldIsBeingEdited) {
  const struct {
    const char* name;
    int typedInRow;  // before OK; -1: nothing typed
    std::string editing;
  } rows[] = {
      {"OK at once, the cursor already in the field", -1, "editing row 0"},
      {"typed in a later field", 1, "editing row 0"},
      {"typed in the field after the missing one", 2, "editing row 0"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    QtHost host;  // the real box, closed with Return
    SessionTable table =
        TableOf({"USERNAME;Name;1;1;", "PHONE;Telefon;1;0;", "DEPARTMENT;Abt;1;1;"});
    frmUserData form(table, 1, host);
    ShowActive(form);
    QTableWidget& g = *test::Child<QTableWidget>(form, "Grid");
    if (row.typedInRow >= 0) test::ClickAndType(g, row.typedInRow, kValue, "x");
    test::WhenModalOpens([](QWidget& box) { QTest::keyClick(&box, Qt::Key_Return); });
    test::Child<QPushButton>(form, "pbOK")->click();
    QApplication::setActiveWindow(&form);  // as the window manager does when the box closes
    QWidget* focus = QApplication::focusWidget();
    const bool editing =
        qobject_cast<QLineEdit*>(focus) && g.indexWidget(g.currentIndex()) == focus;
    EXPECT_EQ((editing ? "editing row " : "not editing, row ") + std::to_string(g.currentRow()),
              row.editing);
  }
}

TEST(UserDataStoreWindow, AFailedSaveKeepsTheFormOpenAndNothingLooksSaved) {
  test::StoreSandbox sandbox;
  if (user_store::StoreFolder().empty())
    GTEST_SKIP() << "the store is the registry here, which no damaged file can make fail";
  test::ScratchFolder config;
  clsUserData data;
  data.Init(config.write("Userdata.ini",
                         "[System]\r\nRegKey=-2147483647\r\nLanguagePath=Software\\T\r\n"
                         "LanguageKey=Language\r\nDataPath=Software\\T\\UserData\r\n[Data]\r\n"
                         "1=USERNAME;Name;Name;1;1\r\n"));
  sandbox.folder().write("xkmtool/HKEY_CURRENT_USER.reg", "REGEDIT4\n\n[K]\nnonsense\n");
  test::PromptRecorder prompts;
  QtHost forms;  // the real form, with the boxes recorded
  Prompts boxesOnly = prompts.prompts();
  boxesOnly.userDataForm = nullptr;
  forms.setPrompts(boxesOnly);

  std::string seen;
  test::WhenModalOpens([&seen](QWidget& form) {
    QTableWidget& g = *test::Child<QTableWidget>(form, "Grid");
    test::ClickAndType(g, 0, kValue, "Erika");
    test::Child<QPushButton>(form, "pbOK")->click();
    QLabel* notice = form.findChild<QLabel*>("notStored");
    seen = std::to_string(form.isVisible()) + std::to_string(notice && notice->isVisible()) + " " +
           test::CellText(g, 0, kValue);
  });
  EXPECT_FALSE(data.InputUserData(forms));
  EXPECT_EQ(seen, "11 Erika");  // still open, says so, and the typed value is kept
  EXPECT_EQ(prompts.messages.size(), 1u);
}

}  // namespace
}  // namespace xkm
