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
    host.setPrompts(prompts.prompts());
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
      {" /in/a.xml", "/in/a.hex ", "/in/a.a2l", ""},
  };
  for (const auto& c : cases) {
    prompts.messages.clear();
    fill(c.xml, c.hex, c.a2l);
    std::vector<test::RecordedMessage> box;
    if (*c.missing) box.push_back({"Input required", c.missing});
    EXPECT_EQ(prompts.messages, box);
    EXPECT_EQ(dialog.isVisible(), !box.empty());
    EXPECT_EQ(field("txtXMLFile").text(), c.xml);  // the texts stay
  }
  EXPECT_FALSE(dialog.bCancel());
  const InputDialogResult& in = dialog.inputs();
  EXPECT_EQ(in.xmlPath + "|" + in.hexPath + "|" + in.a2lPath, " /in/a.xml|/in/a.hex |/in/a.a2l");

  frmInit closed(host);
  closed.show();
  closed.close();
  EXPECT_TRUE(closed.bCancel());
  EXPECT_TRUE(closed.inputs().xmlPath.empty());
}

std::string Canonical(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).canonicalFilePath().toStdString();
}

TEST_F(InputDialogTest, TheChooserStartsWhereTheJobIsAndRemembersTheChoice) {
  test::ScratchFolder job;
  const std::string hex = job.write("line 4/order 17/ecu.hex", "");
  const std::string xml = job.write("line 4/order 17/flow.xml", "");
  job.write("last/remembered.a2l", "");
  const auto chooseXml = [this](std::function<void(QFileDialog&)> act) {
    test::WhenModalOpens([act](QWidget& modal) {
      auto* chooser = qobject_cast<QFileDialog*>(&modal);
      ASSERT_NE(chooser, nullptr);
      act(*chooser);
    });
    test::Child<QPushButton>(dialog, "pbSelectXML")->click();
  };
  const struct {
    bool hexNamed;           // the Hex field names the job's image
    const char* remembered;  // the folder last chosen from, kept in the user store
    std::string expected;
  } cases[] = {
      {false, "", Canonical(QDir::currentPath().toStdString())},
      {false, "last", Canonical(job.file("last"))},
      {true, "last", Canonical(job.file("line 4/order 17"))},
  };
  for (const auto& c : cases) {
    field("txtHexfile").setText(c.hexNamed ? QString::fromStdString(hex) : "");
    if (*c.remembered)
      RegWriteString(user_store::kCurrentUserRoot, kLastFolderKey, kLastFolderValue,
                     job.file(c.remembered));
    std::string folder;
    chooseXml([&folder](QFileDialog& chooser) {
      folder = Canonical(chooser.directory().absolutePath().toStdString());
    });
    EXPECT_EQ(folder, c.expected) << c.hexNamed << " " << c.remembered;
  }

  field("txtHexfile").clear();
  chooseXml([&xml](QFileDialog& chooser) {
    QLineEdit* name = chooser.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText(QString::fromStdString(xml));  // pasted: no completer pops up
    static_cast<QDialog&>(chooser).accept();     // as the Open button does
  });
  EXPECT_EQ(Canonical(field("txtXMLFile").text().toStdString()), Canonical(xml));
  EXPECT_EQ(
      Canonical(RegReadString(user_store::kCurrentUserRoot, kLastFolderKey, kLastFolderValue)),
      Canonical(job.file("line 4/order 17")));
}

}  // namespace
}  // namespace xkm
