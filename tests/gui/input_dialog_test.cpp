#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include "gui/frm_init.h"
#include "gui_fixture.h"

namespace xkm {
namespace {

class InputDialogTest : public ::testing::Test {
 protected:
  InputDialogTest() { host.setPrompts(prompts.prompts()); }

  void fill(const char* xml, const char* hex, const char* a2l) {
    test::Child<QLineEdit>(dialog, "txtXMLFile")->setText(xml);
    test::Child<QLineEdit>(dialog, "txtHexfile")->setText(hex);
    test::Child<QLineEdit>(dialog, "txtA2LFile")->setText(a2l);
  }
  void clickOk() { test::Child<QPushButton>(dialog, "pbOK")->click(); }

  test::PromptRecorder prompts;
  QtHost host;
  frmInit dialog{host};
};

TEST_F(InputDialogTest, TheMissingFieldsAreListedInOneBoxHexFirst) {
  dialog.show();
  clickOk();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0], (test::RecordedMessage{"Input required",
                                                        "Input in Hex/S19-File required\r\n"
                                                        "Input in A2L-File required\r\n"
                                                        "Input in XML-File required\r\n"}));
  EXPECT_TRUE(dialog.isVisible());

  fill("", "a.hex", " \t ");  // blanks count as empty; a tab is text
  clickOk();
  EXPECT_EQ(prompts.messages.size(), 2u);
  EXPECT_EQ(prompts.messages[1].text, "Input in XML-File required\r\n");

  fill("   ", "a.hex", "a.a2l");
  clickOk();
  EXPECT_EQ(prompts.messages[2].text, "Input in XML-File required\r\n");
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(test::Child<QLineEdit>(dialog, "txtXMLFile")->text(), "   ");  // texts kept
}

TEST_F(InputDialogTest, OkHandsBackThePathsAsTyped) {
  dialog.show();
  fill(" /in/a.xml", "/in/a.hex ", "/in/a.a2l");
  clickOk();
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.bCancel());
  EXPECT_EQ(dialog.inputs().xmlPath, " /in/a.xml");
  EXPECT_EQ(dialog.inputs().hexPath, "/in/a.hex ");
  EXPECT_EQ(dialog.inputs().a2lPath, "/in/a.a2l");
}

TEST_F(InputDialogTest, CancelAndTheCloseControlBothCancel) {
  dialog.show();
  fill("a.xml", "a.hex", "a.a2l");
  test::Child<QPushButton>(dialog, "pbCancel")->click();
  EXPECT_TRUE(dialog.bCancel());

  frmInit closed(host);
  closed.show();
  closed.close();
  EXPECT_TRUE(closed.bCancel());
  EXPECT_TRUE(closed.inputs().xmlPath.empty());
  EXPECT_TRUE(prompts.messages.empty());
}

}  // namespace
}  // namespace xkm
