#include "gui/qt_host.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

#include "gui/frm_init.h"
#include "gui/frm_user_data.h"
#include "gui/qt_text.h"

namespace xkm {
namespace {

// Message texts break lines with CR LF; a label shows the CR as a glyph.
QString DisplayText(const std::string& text) {
  return ToQ(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

QtHost::QtHost(QWidget* parent, RunDisplay* display) : parent_(parent), display_(display) {}

QtHost::~QtHost() {
  if (busy_) QApplication::restoreOverrideCursor();
}

void QtHost::showMessage(const std::string& text, const std::string& title) {
  ++messageCount_;
  if (display_) display_->messageShown(text, title);
  if (prompts_.message) return prompts_.message(text, title);
  QMessageBox box(title.rfind("Error", 0) == 0 ? QMessageBox::Critical : QMessageBox::Information,
                  ToQ(title), DisplayText(text), QMessageBox::Ok, parent_);
  // A path or number in a box can be copied into a complaint or a file manager.
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  box.exec();
}

bool QtHost::askYesNo(const std::string& text, const std::string& title) {
  return askYesNo(text, title, DefaultAnswer::Yes);
}

bool QtHost::askYesNo(const std::string& text, const std::string& title, DefaultAnswer preset) {
  if (prompts_.question) return prompts_.question(text, title);
  return QMessageBox::question(
             parent_, ToQ(title), DisplayText(text), QMessageBox::Yes | QMessageBox::No,
             preset == DefaultAnswer::No ? QMessageBox::No : QMessageBox::Yes) == QMessageBox::Yes;
}

void QtHost::processEvents() {
  QCoreApplication::processEvents();
}

// Idle in an event loop rather than blocked on the tool: a click on Stop or a
// screen reader's question is answered at once, not at the next look.
void QtHost::waitForEvents(std::chrono::milliseconds time) {
  QEventLoop idle;
  QTimer::singleShot(time, &idle, &QEventLoop::quit);
  idle.exec();
}

// The core may ask for the busy pointer more than once before it ends it; the
// pointer is one state, not a stack.
void QtHost::setBusyPointer(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

RunObserver& QtHost::observer() {
  return display_ != nullptr ? static_cast<RunObserver&>(*display_) : silent_;
}

InputDialogResult QtHost::showInputDialog() {
  if (prompts_.inputDialog) return prompts_.inputDialog();
  frmInit dialog(*this, parent_);
  dialog.exec();
  return dialog.inputs();
}

bool QtHost::showUserDataForm(SessionTable& table, int language, const UserDataSaver& save) {
  if (prompts_.userDataForm) return prompts_.userDataForm(table, language);
  frmUserData form(table, language, *this, parent_, save);
  form.exec();
  return form.bCancel();
}

}  // namespace xkm
