#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScrollBar>

#include "gui/frm_check_library.h"
#include "gui_fixture.h"

namespace xkm {
namespace {

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
  const auto eachRow = [&list](const std::function<bool(int)>& fits) {
    std::string seen;
    for (int row = 0; row < list.rowCount(); ++row) seen += fits(row) ? "whole " : "cut ";
    return seen;
  };
  std::string allWhole;
  for (int row = 0; row < list.rowCount(); ++row) allWhole += "whole ";
  const struct {
    const char* name;
    std::function<std::string()> seen;
    std::string expected;
  } rows[] = {
      {"each text within the view's width",
       [&] {
         return eachRow([&](int) {
           return list.columnViewportPosition(frmCheckLibrary::kTextColumn) +
                      list.columnWidth(frmCheckLibrary::kTextColumn) <=
                  list.viewport()->width();
         });
       },
       allWhole},
      {"each row as high as its wrapped text",
       [&] {
         // The view's own measure of the wrapped text: the style's margins
         // differ between platforms.
         return eachRow([&](int row) {
           return list.rowHeight(row) >= static_cast<QAbstractItemView&>(list).sizeHintForRow(row);
         });
       },
       allWhole},
      {"Ctrl+C copies the chosen row whole",
       [&] {
         list.setFocus();
         list.selectRow(0);
         QTest::keySequence(&list, QKeySequence::Copy);
         return QGuiApplication::clipboard()->text().toStdString();
       },
       "error\t1\t1\tthe file name does not match the content's checksum (a run reports 60014): "
       "the library must be named \"LIB_XKM_15ADED42.lbr\" (xkmtool --seal-library)\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.seen(), row.expected);
  }
}

}  // namespace
}  // namespace xkm
