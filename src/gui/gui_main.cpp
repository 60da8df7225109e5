#include "gui/gui_main.h"

#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <iostream>

#include "core/session/app_state.h"
#include "core/session/exit_codes.h"
#include "core/shell/startup.h"
#include "gui/frm_main.h"

namespace xkm {
namespace {

// Aids for demonstrations and documentation, read from the environment:
// XKM_AUTORUN=1 presses Run once after start-up; XKM_SCREENSHOT=<file.png>
// saves a picture of the window after that and ends the program. With
// XKM_SCREENSHOT nothing waits for a click: boxes go to stderr, questions are
// answered No and the forms count as cancelled.
struct DemoAids {
  bool autorun = false;
  QString screenshotPath;
};

DemoAids ReadDemoAids() {
  DemoAids aids;
  const char* autorun = std::getenv("XKM_AUTORUN");
  aids.autorun = autorun && std::string(autorun) == "1";
  if (const char* path = std::getenv("XKM_SCREENSHOT")) aids.screenshotPath = path;
  return aids;
}

Prompts ConsolePrompts() {
  Prompts prompts;
  prompts.message = [](const std::string& text, const std::string& title) {
    std::cerr << title << ": " << text << "\n";
  };
  prompts.question = [](const std::string& text, const std::string& title) {
    std::cerr << title << ": " << text << " -> No\n";
    return false;
  };
  prompts.inputDialog = [] { return InputDialogResult{}; };
  prompts.userDataForm = [](SessionTable&, int) { return true; };
  return prompts;
}

void ApplyDemoAids(const DemoAids& aids, frmMain& window) {
  if (aids.autorun) window.RunProcess();
  if (aids.screenshotPath.isEmpty()) return;
  QCoreApplication::processEvents();
  if (!window.grab().save(aids.screenshotPath))
    std::cerr << "xkmtool: cannot write " << aids.screenshotPath.toStdString() << "\n";
  QCoreApplication::quit();
}

}  // namespace

int RunGui(int argc, char** argv, const std::string& commandLine) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("xkmtool");
  AppState app;
  LocateExecutable(app);

  frmMain window(app);
  const DemoAids aids = ReadDemoAids();
  if (!aids.screenshotPath.isEmpty()) window.host().setPrompts(ConsolePrompts());
  if (!window.StartUp(commandLine)) return kExitStartupFailed;
  window.show();
  if (aids.autorun || !aids.screenshotPath.isEmpty())
    QTimer::singleShot(0, &window, [&aids, &window] { ApplyDemoAids(aids, window); });
  return application.exec();
}

}  // namespace xkm

#if defined(__SANITIZE_ADDRESS__)
// Sanitizer builds: the session-bus library that Qt loads on X11 keeps one
// buffer until the process ends; that is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n";
}
#endif
