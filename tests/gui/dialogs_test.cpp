#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <filesystem>
#include <memory>

#include "core/platform/text/text_pieces.h"
#include "core/userdata/registry.h"
#include "core/userdata/user_data.h"
#include "gui/frm_check_library.h"
#include "gui/frm_init.h"
#include "gui/frm_preview.h"
#include "gui/frm_user_data.h"
#include "gui_fixture.h"

namespace xkm {
namespace {

// One application object for every window test, on the offscreen platform so
// that the tests need no display.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { application_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "test_gui";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

class InputDialogTest : public ::testing::Test {
 protected:
  InputDialogTest() {
    Prompts answers = prompts.prompts();
    answers.question = [this](const std::string& text, const std::string&) {
      asked = text;
      return goOn;
    };
    host.setPrompts(answers);
    dialog.show();
  }

  QLineEdit& field(const char* name) { return *test::Child<QLineEdit>(dialog, name); }
  void fill(const char* xml, const char* hex, const char* a2l) {
    field("txtXMLFile").setText(xml);
    field("txtHexfile").setText(hex);
    field("txtA2LFile").setText(a2l);
    test::Child<QPushButton>(dialog, "pbOK")->click();
  }

  test::StoreSandbox store;  // the remembered folder stays in a scratch folder
  test::PromptRecorder prompts;
  std::string asked;  // the question about files not found
  bool goOn = false;  // its answer
  QtHost host;
  frmInit dialog{host};
};

TEST_F(InputDialogTest, OkListsTheMissingFieldsHexFirstOrHandsBackThePathsAsTyped) {
  const struct {
    const char *xml, *hex, *a2l, *missing;
  } cases[] = {
      {"", "", "",
       "Input in Hex/S19-File required\r\nInput in A2L-File required\r\n"
       "Input in XML-File required\r\n"},
      {"", "a.hex", " \t ", "Input in XML-File required\r\n"},  // blanks are empty, a tab is not
      {"   ", "a.hex", "a.a2l", "Input in XML-File required\r\n"},
      {"/in/a.xml", "/in/a.hex", "/in/a.a2l", ""},  // not found: stays open when told so
      {" /in/a.xml", "/in/a.hex ", "/in/a.a2l", ""},
  };
  for (const auto& c : cases) {
    prompts.messages.clear();
    goOn = c.xml[0] == ' ';
    fill(c.xml, c.hex, c.a2l);
    std::vector<test::RecordedMessage> box;
    if (*c.missing) box.push_back({"Input required", c.missing});
    EXPECT_EQ(prompts.messages, box);
    EXPECT_EQ(dialog.isVisible(), !box.empty() || !goOn);
    EXPECT_EQ(field("txtXMLFile").text(), c.xml);  // the texts stay
  }
  EXPECT_EQ(asked, "File not found:\r\n/in/a.xml\r\n\r\nUse the paths anyway?");
  EXPECT_FALSE(dialog.bCancel());
  const InputDialogResult& in = dialog.inputs();
  EXPECT_EQ(in.xmlPath, " /in/a.xml");
  EXPECT_EQ(in.hexPath, "/in/a.hex ");
  EXPECT_EQ(in.a2lPath, "/in/a.a2l");
}

// The question about a file not found is a real box here: a key pressed by
// habit must not take a path that does not exist.
TEST(InputDialogWindow, ReturnOnTheFileNotFoundQuestionKeepsTheDialogOpen) {
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
    SCOPED_TRACE(key);
    test::StoreSandbox store;
    test::PromptRecorder prompts;
    Prompts boxesOnly = prompts.prompts();
    boxesOnly.question = nullptr;
    QtHost host;
    host.setPrompts(boxesOnly);
    frmInit dialog{host};
    dialog.show();
    for (const char* name : {"txtXMLFile", "txtHexfile", "txtA2LFile"})
      test::Child<QLineEdit>(dialog, name)->setText("/in/absent");
    test::WhenModalOpens([key](QWidget& box) { QTest::keyClick(&box, key); });
    test::Child<QPushButton>(dialog, "pbOK")->click();
    EXPECT_TRUE(dialog.isVisible());
  }
}

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
  std::vector<std::string> values;
  for (size_t r = 0; r < table.rowCount(); ++r) values.push_back(table.text(r, kUserDataValue));
  EXPECT_EQ(values, (std::vector<std::string>{"Max", " hid ", "0711", "QA"}));
}

// Telefon typed, OK with the mandatory Name empty: what is typed after the box
// goes into Name. The close control then asks whether to store the changes.
TEST(UserDataFormWindow, TypingAfterTheBoxFillsTheMissingFieldAndClosingAsks) {
  // Whether closing stores the changes; then the values of Name and Telefon.
  const std::tuple<const char*, bool, const char*, const char*> rows[] = {
      {"stored", true, "4711", "0711"}, {"discarded", false, "", ""}};
  for (const auto& [name, store, userName, phone] : rows) {
    SCOPED_TRACE(name);
    test::PromptRecorder prompts;
    Prompts answers = prompts.prompts();
    answers.question = [store](const std::string&, const std::string&) { return store; };
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
    EXPECT_EQ(table.text(0, kUserDataValue), userName);
    EXPECT_EQ(table.text(1, kUserDataValue), phone);
  }
}

// After the "Eingabe erforderlich" box the first missing field is open for
// editing, whichever cell had the cursor when OK was pressed.
TEST(UserDataFormWindow, AfterTheBoxTheFirstMissingFieldIsBeingEdited) {
  for (const int typedInRow : {-1, 2}) {  // before OK; -1: nothing typed
    SCOPED_TRACE(typedInRow);
    QtHost host;  // the real box, closed with Return
    SessionTable table =
        TableOf({"USERNAME;Name;1;1;", "PHONE;Telefon;1;0;", "DEPARTMENT;Abt;1;1;"});
    frmUserData form(table, 1, host);
    ShowActive(form);
    QTableWidget& g = *test::Child<QTableWidget>(form, "Grid");
    if (typedInRow >= 0) test::ClickAndType(g, typedInRow, kValue, "x");
    test::WhenModalOpens([](QWidget& box) { QTest::keyClick(&box, Qt::Key_Return); });
    test::Child<QPushButton>(form, "pbOK")->click();
    QApplication::setActiveWindow(&form);  // as the window manager does when the box closes
    QWidget* focus = QApplication::focusWidget();
    EXPECT_TRUE(qobject_cast<QLineEdit*>(focus) && g.indexWidget(g.currentIndex()) == focus);
    EXPECT_EQ(g.currentRow(), 0);
  }
}

TEST(UserDataStoreWindow, AFailedSaveKeepsTheFormOpenAndNothingLooksSaved) {
  test::StoreSandbox sandbox;
  if (user_store::StoreFolder().empty())
    GTEST_SKIP() << "the store is the registry here, which no damaged file can make fail";
  test::ScratchFolder config;
  clsUserData data;
  data.Init(config.write("Userdata.ini", test::UserDataIni()));
  sandbox.folder().write("xkmtool/HKEY_CURRENT_USER.reg", "REGEDIT4\n\n[K]\nnonsense\n");
  test::PromptRecorder prompts;
  QtHost forms;  // the real form, with the boxes recorded
  Prompts boxesOnly = prompts.prompts();
  boxesOnly.userDataForm = nullptr;
  forms.setPrompts(boxesOnly);

  std::tuple<bool, bool, std::string> seen;
  test::WhenModalOpens([&seen](QWidget& form) {
    QTableWidget& g = *test::Child<QTableWidget>(form, "Grid");
    test::ClickAndType(g, 0, kValue, "Erika");
    test::Child<QPushButton>(form, "pbOK")->click();
    QLabel* notice = form.findChild<QLabel*>("notStored");
    seen = {form.isVisible(), notice && notice->isVisible(), test::CellText(g, 0, kValue)};
  });
  EXPECT_FALSE(data.InputUserData(forms));
  // Still open, says so, and the typed value is kept.
  EXPECT_EQ(seen, std::make_tuple(true, true, "Erika"));
  EXPECT_EQ(prompts.messages.size(), 1u);
}

// A library with findings, in a dialog narrower than their texts: each text
// is shown whole, and Ctrl+C copies whole rows.
TEST(CheckLibraryWindow, FindingsShowWholeAndCopyAsWholeRows) {
  test::ScratchFolder folder;
  frmCheckLibrary form(folder.write("b.lbr", "<LIB/>"));
  form.resize(420, 400);
  form.show();
  QApplication::setActiveWindow(&form);
  QApplication::processEvents();
  QTableWidget& list = *form.findingList();
  ASSERT_GT(list.rowCount(), 0);
  for (int row = 0; row < list.rowCount(); ++row) {
    SCOPED_TRACE(row);
    EXPECT_LE(list.columnViewportPosition(frmCheckLibrary::kTextColumn) +
                  list.columnWidth(frmCheckLibrary::kTextColumn),
              list.viewport()->width());
    // The view's own measure of the wrapped text: the style's margins differ
    // between platforms.
    EXPECT_GE(list.rowHeight(row), static_cast<QAbstractItemView&>(list).sizeHintForRow(row));
  }
  list.setFocus();
  list.selectRow(0);
  QTest::keySequence(&list, QKeySequence::Copy);
  EXPECT_EQ(
      QGuiApplication::clipboard()->text().toStdString(),
      "error\t1\t1\tthe file name does not match the content's checksum (a run reports "
      "60014): the library must be named \"LIB_XKM_15ADED42.lbr\" (xkmtool --seal-library)\n");
}

// The preview's dialog: a tab per file under the run's names, and a save
// that never writes into a folder holding anything.
TEST(PreviewDialog, ShowsEachFileAndSavesOnlyIntoAnEmptyFolder) {
  OrderPreview preview;
  preview.reachesTools = true;
  preview.files = {{"CS.qsr", "CHECKSUM=A\r\n"},
                   {"A.xkm.preview",
                    "Checksum=\xAB"
                    "A from the checksum tool\xBB"}};
  Session session;
  frmPreview form(preview, session, {});
  QStringList tabs;
  for (int i = 0; i < form.tabs()->count(); ++i) tabs << form.tabs()->tabText(i);
  EXPECT_EQ(tabs, QStringList({"&Layout", "CS.qsr", "A.xkm.preview"}));
  EXPECT_EQ(qobject_cast<QPlainTextEdit*>(form.tabs()->widget(2))->toPlainText().toStdString(),
            "Checksum=«A from the checksum tool»");

  test::ScratchFolder folder;
  const struct {
    const char* name;
    std::string folder;
    bool saved;
  } rows[] = {{"a new folder", folder.file("new"), true},
              {"a folder that holds a file", folder.path(), false}};
  folder.write("mine.txt", "x");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(form.saveTo(row.folder).empty(), row.saved);
    EXPECT_EQ(std::filesystem::exists(row.folder + "/CS.qsr"), row.saved);
  }
}

}  // namespace
}  // namespace xkm
