#include "core/userdata/user_data_form.h"

#include <gtest/gtest.h>

#include "core/userdata/user_data.h"
#include "support/recording_host.h"

namespace xkm {
namespace {

class UserDataFormTest : public ::testing::Test {
 protected:
  UserDataFormTest() : table(MakeUserDataTable()) {}

  void add(const std::string& name, const std::string& label, const std::string& display,
           const std::string& mandatory, const std::string& value) {
    size_t row = table.appendRow();
    table.setField(row, kUserDataName, name);
    table.setField(row, kUserDataField, label);
    table.setField(row, kUserDataDisplayField, display);
    table.setField(row, kUserDataMandatory, mandatory);
    table.setField(row, kUserDataValue, value);
  }

  SessionTable table;
  test::RecordingHost host;
};

TEST_F(UserDataFormTest, TheGridShowsTheDisplayedItemsTrimmed) {
  add(" USERNAME ", " Name ", "1", "1", "  Erika ");
  add("HIDDEN", "Versteckt", "0", "1", "h");
  add("ROOM", "Raum", "2", "0", "r");
  add("DEPARTMENT", "Abteilung", "1", "0", "");
  UserDataForm form(table, 1, host);
  form.InitGrid();
  ASSERT_EQ(form.rows().size(), 2u);
  EXPECT_EQ(form.rows()[0].name, "USERNAME");
  EXPECT_EQ(form.rows()[0].mandatory, "1");
  EXPECT_EQ(form.rows()[0].label, "Name");
  EXPECT_EQ(form.rows()[0].value, "Erika");
  EXPECT_EQ(form.rows()[1].name, "DEPARTMENT");

  form.InitGrid();  // built afresh, not appended to
  EXPECT_EQ(form.rows().size(), 2u);
}

TEST_F(UserDataFormTest, MissingMandatoryValuesAreListedInTheFormsLanguage) {
  add("USERNAME", "Name", "1", "1", "");
  add("PHONE", "Telefon", "1", "0", "");
  add("DEPARTMENT", "Abteilung", "1", "1", "   ");  // blanks only count as empty
  add("HIDDEN", "Versteckt", "0", "1", "");         // not shown, not checked
  for (int language : {1, 2, 0}) {
    host.messages.clear();
    UserDataForm form(table, language, host);
    form.InitGrid();
    EXPECT_FALSE(form.pbOk_Click());
    EXPECT_TRUE(form.bCancel());
    const std::string prefix = language == 1 ? "Eingabe erforderlich : " : "Input required : ";
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0],
              (test::RecordedMessage{"Error", prefix + "\r\n\r\nName\r\nAbteilung\r\n"}));
  }
  EXPECT_EQ(table.text(0, kUserDataValue), "");  // a refused OK writes nothing
}

TEST_F(UserDataFormTest, OkWritesTheValuesAsTypedIntoTheirRows) {
  add("  USERNAME", "Name", "1", "1", "old");
  add("HIDDEN", "Versteckt", "0", "0", " keep me ");
  add("it's", "Apostroph", "1", "0", "");
  UserDataForm form(table, 1, host);
  form.InitGrid();
  ASSERT_EQ(form.rows().size(), 2u);
  form.setValue(0, "  Erika  ");
  form.setValue(1, "quoted");
  EXPECT_TRUE(form.pbOk_Click());
  EXPECT_FALSE(form.bCancel());
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(table.text(0, kUserDataValue), "  Erika  ");
  EXPECT_EQ(table.text(1, kUserDataValue), " keep me ");
  EXPECT_EQ(table.text(2, kUserDataValue), "quoted");
}

TEST_F(UserDataFormTest, WithoutVisibleRowsOkDoesNothingAndOnlyCancelCloses) {
  add("HIDDEN", "Versteckt", "0", "1", "");
  UserDataForm form(table, 1, host);
  form.InitGrid();
  EXPECT_TRUE(form.rows().empty());
  EXPECT_FALSE(form.CheckEingaben());
  EXPECT_FALSE(form.pbOk_Click());
  EXPECT_TRUE(form.bCancel());
  EXPECT_TRUE(host.messages.empty());
  form.pbCancel_Click();
  EXPECT_TRUE(form.bCancel());
}

TEST_F(UserDataFormTest, RunTimeErrorsNameTheRoutine) {
  SessionTable wrongShape({"Name", "Field"});
  wrongShape.appendRow();
  UserDataForm form(wrongShape, 1, host);
  form.InitGrid();
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].title, "Error in Function: 'frmUserData.InitGrid'");
  EXPECT_EQ(host.messages[0].text.rfind("3265 ", 0), 0u) << host.messages[0].text;
  EXPECT_TRUE(form.rows().empty());
}

}  // namespace
}  // namespace xkm
