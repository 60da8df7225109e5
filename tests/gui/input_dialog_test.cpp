#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

#include "core/platform/user_store.h"
#include "core/userdata/registry.h"
#include "gui/frm_init.h"
#include "gui_fixture.h"
#include "support/scratch_folder.h"
#include "support/store_sandbox.h"

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

  test::StoreSandbox store;  // the remembered folder stays in a scratch folder
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

TEST_F(InputDialogTest, OkHandsBackThePathsAsTypedAndCloseCancels) {
  dialog.show();
  fill(" /in/a.xml", "/in/a.hex ", "/in/a.a2l");
  clickOk();
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(dialog.bCancel());
  EXPECT_EQ(dialog.inputs().xmlPath, " /in/a.xml");
  EXPECT_EQ(dialog.inputs().hexPath, "/in/a.hex ");
  EXPECT_EQ(dialog.inputs().a2lPath, "/in/a.a2l");

  frmInit closed(host);
  closed.show();
  closed.close();
  EXPECT_TRUE(closed.bCancel());
  EXPECT_TRUE(closed.inputs().xmlPath.empty());
}

std::string Canonical(const QString& folder) {
  return QFileInfo(folder).canonicalFilePath().toStdString();
}

TEST_F(InputDialogTest, TheChooserStartsWhereTheJobIs) {
  test::ScratchFolder job;
  const std::string hex = job.write("line 4/order 17/ecu.hex", "");
  const std::string xml = job.write("line 4/order 17/flow.xml", "");
  job.write("last/remembered.a2l", "");
  dialog.show();

  const auto chooserFolder = [this](const char* button) {
    std::string folder;
    test::WhenModalOpens([&folder](QWidget& modal) {
      if (auto* chooser = qobject_cast<QFileDialog*>(&modal))
        folder = Canonical(chooser->directory().absolutePath());
    });
    test::Child<QPushButton>(dialog, button)->click();
    return folder;
  };
  const struct {
    bool hexNamed;           // the Hex field names the job's image
    const char* remembered;  // the folder last chosen from, kept in the user store
    std::string expected;
  } cases[] = {
      {false, "", Canonical(QDir::currentPath())},
      {false, "last", Canonical(QString::fromStdString(job.file("last")))},
      {true, "last", Canonical(QString::fromStdString(job.file("line 4/order 17")))},
  };
  for (const auto& c : cases) {
    test::Child<QLineEdit>(dialog, "txtHexfile")
        ->setText(c.hexNamed ? QString::fromStdString(hex) : "");
    if (*c.remembered)
      RegWriteString(user_store::kCurrentUserRoot, kLastFolderKey, kLastFolderValue,
                     job.file(c.remembered));
    EXPECT_EQ(chooserFolder("pbSelectXML"), c.expected) << c.hexNamed << " " << c.remembered;
  }

  // Choosing a file fills the field and remembers its folder for the next job.
  test::Child<QLineEdit>(dialog, "txtHexfile")->clear();
  test::WhenModalOpens([&xml](QWidget& modal) {
    auto* chooser = qobject_cast<QFileDialog*>(&modal);
    ASSERT_NE(chooser, nullptr);
    QLineEdit* name = chooser->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText(QString::fromStdString(xml));  // pasted: no completer pops up
    static_cast<QDialog*>(chooser)->accept();    // as the Open button does
  });
  test::Child<QPushButton>(dialog, "pbSelectXML")->click();
  EXPECT_EQ(Canonical(test::Child<QLineEdit>(dialog, "txtXMLFile")->text()),
            Canonical(QString::fromStdString(xml)));
  EXPECT_EQ(Canonical(QString::fromStdString(
                RegReadString(user_store::kCurrentUserRoot, kLastFolderKey, kLastFolderValue))),
            Canonical(QString::fromStdString(job.file("line 4/order 17"))));
}

}  // namespace
}  // namespace xkm
