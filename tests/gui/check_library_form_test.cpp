#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTableWidget>

#include "gui/frm_check_library.h"
#include "gui/frm_main.h"
#include "gui_fixture.h"
#include "support/scratch_folder.h"
#include "support/store_sandbox.h"

namespace xkm {
namespace {

// A library whose only fault is a second entry for one ECU.
const char* const kShadowedEcu =
    "<XKMTOOL>\n<ECU_CONFIGURATION>\n<ENTRY ECU=\"E\" NUM=\"2\"/>\n<ENTRY ECU=\"E\" NUM=\"2\"/>\n"
    "</ECU_CONFIGURATION>\n</XKMTOOL>\n";

// Opened from the File menu, it checks the library beside the executable.
TEST(CheckLibraryForm, ListsEachFindingWithSeverityLineAndColumn) {
  test::StoreSandbox store;
  test::ScratchFolder folder;
  folder.write("LIB_XKM_0.lbr", kShadowedEcu);
  AppState app;
  app.ExecutableFolder = folder.path();
  frmMain window(app);
  test::Child<QAction>(window, "mnuCheckLibrary")->trigger();
  QApplication::processEvents();
  auto* form = test::Child<frmCheckLibrary>(window, "frmCheckLibrary");
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(form->isVisible());
  const QTableWidget& list = *form->findingList();
  std::vector<std::string> rows;
  for (int row = 0; row < list.rowCount(); ++row)
    rows.push_back(test::CellText(list, row, frmCheckLibrary::kSeverityColumn) + " " +
                   test::CellText(list, row, frmCheckLibrary::kLineColumn) + ":" +
                   test::CellText(list, row, frmCheckLibrary::kColumnColumn));
  EXPECT_EQ(rows,
            (std::vector<std::string>{"error 1:1", "error 1:1", "error 3:16", "warning 4:1"}));
  EXPECT_EQ(test::CellText(list, 3, frmCheckLibrary::kTextColumn),
            "ECU \"E\" is listed again: the entry on line 3 wins and this one is shadowed");
  EXPECT_TRUE(form->summary()->text().endsWith("LIB_XKM_0.lbr: 3 errors, 1 warning"))
      << form->summary()->text().toStdString();
  form->close();
}

}  // namespace
}  // namespace xkm
