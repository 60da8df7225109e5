#pragma once

#include <functional>
#include <string>

#include "core/session/host.h"

class QWidget;

namespace xkm {

// The window parts a run changes (the process grid, the state grid, the help
// pane) and the rows a message box adds. The main window implements it.
class RunDisplay : public RunObserver {
 public:
  // A message box is about to be shown.
  virtual void messageShown(const std::string& text, const std::string& title) = 0;
};

// Replacements for the modal boxes and forms. Tests and the screenshot aid
// set them so that nothing waits for a click; an unset one shows the real
// dialog.
struct Prompts {
  std::function<void(const std::string& text, const std::string& title)> message;
  std::function<bool(const std::string& text, const std::string& title)> question;
  std::function<InputDialogResult()> inputDialog;
  std::function<bool(SessionTable& table, int language)> userDataForm;
};

// The Host of the desktop window: message boxes, the Yes/No question, the
// busy pointer and the two modal forms; the run's progress goes to the
// window itself.
class QtHost : public Host {
 public:
  // The button Return presses in a question.
  enum class DefaultAnswer { Yes, No };

  explicit QtHost(QWidget* parent = nullptr, RunDisplay* display = nullptr);
  ~QtHost() override;

  void setPrompts(Prompts prompts) { prompts_ = std::move(prompts); }
  // How many message boxes were shown so far.
  int messageCount() const { return messageCount_; }

  void showMessage(const std::string& text, const std::string& title) override;
  bool askYesNo(const std::string& text, const std::string& title) override;
  bool askYesNo(const std::string& text, const std::string& title, DefaultAnswer preset);
  void processEvents() override;
  void waitForEvents(std::chrono::milliseconds time) override;
  void setBusyPointer(bool busy) override;

  RunObserver& observer() override;

  InputDialogResult showInputDialog() override;
  bool showUserDataForm(SessionTable& table, int language, const UserDataSaver& save) override;

 private:
  QWidget* parent_;
  RunDisplay* display_;
  // Where progress goes without a window: nowhere.
  struct SilentDisplay : RunObserver {
    void appendStateRow(const StateRow&) override {}
  } silent_;
  Prompts prompts_;
  bool busy_ = false;
  int messageCount_ = 0;
};

}  // namespace xkm
