#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "core/userdata/registry.h"
#include "gui/frm_init.h"
#include "gui_fixture.h"

namespace xkm {
namespace {

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
  EXPECT_EQ(in.xmlPath + "|" + in.hexPath + "|" + in.a2lPath, " /in/a.xml|/in/a.hex |/in/a.a2l");
}

// The question about a file not found is a real box here: a key pressed by
// habit must not take a path that does not exist.
TEST(InputDialogWindow, ReturnOnTheFileNotFoundQuestionKeepsTheDialogOpen) {
  const struct {
    const char* name;
    QKeySequence key;
    bool stillOpen;
  } rows[] = {
      {"Return", QKeySequence(Qt::Key_Return), true},
      {"Esc", QKeySequence(Qt::Key_Escape), true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
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
    test::WhenModalOpens([&row](QWidget& box) { QTest::keySequence(&box, row.key); });
    test::Child<QPushButton>(dialog, "pbOK")->click();
    EXPECT_EQ(dialog.isVisible(), row.stillOpen);
  }
}

}  // namespace
}  // namespace xkm
