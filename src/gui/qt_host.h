#pragma once

#include <functional>
#include <string>

#include "core/session/host.h"

class QWidget;

namespace xkm {

// The window parts a run changes: the process grid, the state grid and the
// help pane. The main window implements it.
class RunDisplay {
 public:
  virtual ~RunDisplay() = default;
  virtual void appendStateRow(const StateRow& row) = 0;
  virtual void clearStateRows() = 0;
  virtual void runStarted() = 0;
  virtual void stepStarted(int column) = 0;
  virtual void stepFinished(int column) = 0;
  virtual void setHelpText(const std::string& text) = 0;
  virtual void runFinished() = 0;
  virtual void toolRunsChanged(const std::vector<ToolRun>& runs) = 0;
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
// busy pointer and the two modal forms, with the run's progress forwarded to
// the window.
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

  void appendStateRow(const StateRow& row) override;
  void clearStateRows() override;
  void runStarted() override;
  void stepStarted(int column) override;
  void stepFinished(int column) override;
  void setHelpText(const std::string& text) override;
  void runFinished() override;
  void toolRunsChanged(const std::vector<ToolRun>& runs) override;

  InputDialogResult showInputDialog() override;
  bool showUserDataForm(SessionTable& table, int language, const UserDataSaver& save) override;

 private:
  QWidget* parent_;
  RunDisplay* display_;
  Prompts prompts_;
  bool busy_ = false;
  int messageCount_ = 0;
};

}  // namespace xkm
