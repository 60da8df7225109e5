#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "core/session/run_observer.h"

namespace xkm {

class SessionTable;

// The title of a message box "without a title of its own".
inline constexpr const char* kApplicationTitle = "xkmtool";

// The three paths the input dialog hands back, and whether it was cancelled.
struct InputDialogResult {
  bool cancelled = true;
  std::string xmlPath;
  std::string hexPath;
  std::string a2lPath;
};

// Stores the values of an edited user-data table; false, after a message,
// when they could not be kept.
using UserDataSaver = std::function<bool(const SessionTable&)>;

// What the core asks of a user interface: boxes, questions, forms, the busy
// pointer and time for its events, and where a run's progress goes. The
// desktop window, the batch mode and the tests each implement it.
class Host {
 public:
  virtual ~Host() = default;

  // A message box with an OK button.
  virtual void showMessage(const std::string& text, const std::string& title) = 0;
  // A Yes/No question; true for Yes.
  virtual bool askYesNo(const std::string& text, const std::string& title) = 0;
  // Lets pending user-interface events run (repaint, clicks on Stop).
  virtual void processEvents() = 0;
  // Waits up to `time` for user-interface events, idle in between, and lets
  // them run: how a run waits while a tool works, so that the window answers
  // at once. The default lets pending events run and returns: the wait is
  // then on the tool.
  virtual void waitForEvents(std::chrono::milliseconds /*time*/) { processEvents(); }
  virtual void setBusyPointer(bool busy) = 0;

  // Where the run's progress goes: the state display and the process display.
  virtual RunObserver& observer() = 0;

  // The modal forms.
  virtual InputDialogResult showInputDialog() = 0;
  // Edits the user-data table in place; returns true when cancelled. A form
  // that stays open when storing fails calls `save` on OK and closes only
  // when it returns true.
  virtual bool showUserDataForm(SessionTable& /*table*/, int /*language*/,
                                const UserDataSaver& /*save*/) {
    return true;
  }
};

// The busy pointer for as long as the object lives, however the scope ends.
class BusyPointer {
 public:
  explicit BusyPointer(Host& host) : host_(host) { host_.setBusyPointer(true); }
  ~BusyPointer() { host_.setBusyPointer(false); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  Host& host_;
};

}  // namespace xkm
