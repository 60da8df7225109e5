#include "core/userdata/user_data_form.h"

#include <gtest/gtest.h>

#include "core/userdata/user_data.h"
#include "support/recording_host.h"

namespace xkm {
namespace {

class UserDataFormTest : public ::testing::Test {
 protected:
  UserDataFormTest() : table(MakeUserDataTable()) {}

  // Rows of name, label, display flag, mandatory flag and value.
  void add(std::vector<std::vector<std::string>> rows) {
    for (const auto& row : rows) {
      const size_t at = table.appendRow();
      for (size_t column = 0; column < row.size(); ++column)
        table.setField(at, column, row[column]);
    }
  }
  std::string values() const {
    std::string text;
    for (size_t row = 0; row < table.rowCount(); ++row)
      text += table.text(row, kUserDataValue) + "|";
    return text;
  }

  SessionTable table;
  test::RecordingHost host;
};

TEST_F(UserDataFormTest, TheGridShowsTheDisplayedItemsTrimmedAndOkWritesThemAsTyped) {
  add({{" USERNAME ", " Name ", "1", "1", "  Erika "},
       {"HIDDEN", "Versteckt", "0", "1", " keep me "},
       {"ROOM", "Raum", "2", "0", "r"},
       {"it's", "Apostroph", "1", "0", ""}});
  UserDataForm form(table, 1, host);
  form.InitGrid();
  form.InitGrid();  // built afresh, not appended to
  std::string shown;
  for (const auto& row : form.rows())
    shown += row.name + "," + row.mandatory + "," + row.label + "," + row.value + "|";
  EXPECT_EQ(shown, "USERNAME,1,Name,Erika|it's,0,Apostroph,|");
  form.setValue(0, "  Erika  ");
  form.setValue(1, "quoted");
  EXPECT_TRUE(form.pbOk_Click());
  EXPECT_FALSE(form.bCancel());
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(values(), "  Erika  | keep me |r|quoted|");
}

TEST_F(UserDataFormTest, MissingMandatoryValuesAreListedInTheFormsLanguage) {
  add({{"USERNAME", "Name", "1", "1", ""},
       {"PHONE", "Telefon", "1", "0", ""},
       {"DEPARTMENT", "Abteilung", "1", "1", "   "},  // blanks only count as empty
       {"HIDDEN", "Versteckt", "0", "1", ""}});       // not shown, not checked
  for (int language : {1, 2, 0}) {
    host.messages.clear();
    UserDataForm form(table, language, host);
    form.InitGrid();
    EXPECT_FALSE(form.pbOk_Click());
    EXPECT_TRUE(form.bCancel());
    const std::string prefix = language == 1 ? "Eingabe erforderlich : " : "Input required : ";
    EXPECT_EQ(
        host.messages,
        (std::vector<test::RecordedMessage>{{"Error", prefix + "\r\n\r\nName\r\nAbteilung\r\n"}}));
  }
  EXPECT_EQ(values(), "||   ||");  // a refused OK writes nothing
}

}  // namespace
}  // namespace xkm
