#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/session/host.h"

namespace xkm::test {

struct RecordedMessage {
  std::string title;
  std::string text;
  bool operator==(const RecordedMessage&) const = default;
};

// A Host that records everything and answers from settings instead of asking.
class RecordingHost : public Host, public RunObserver {
 public:
  void showMessage(const std::string& text, const std::string& title) override {
    messages.push_back({title, text});
  }
  bool askYesNo(const std::string& text, const std::string& title) override {
    questions.push_back({title, text});
    return answerYes;
  }
  void processEvents() override { ++processEventsCount; }
  void setBusyPointer(bool busy) override { busyPointerCalls.push_back(busy); }
  RunObserver& observer() override { return *this; }
  void appendStateRow(const StateRow& row) override { rows.push_back(row); }
  void clearStateRows() override { rows.clear(); }
  void runStarted() override { events.push_back("runStarted"); }
  void stepStarted(int column) override {
    events.push_back("stepStarted " + std::to_string(column));
  }
  void stepFinished(int column) override {
    events.push_back("stepFinished " + std::to_string(column));
  }
  void setHelpText(const std::string& text) override { helpText = text; }
  void runFinished() override { events.push_back("runFinished"); }
  InputDialogResult showInputDialog() override {
    ++inputDialogCount;
    return inputDialogResult;
  }
  bool showUserDataForm(SessionTable& table, int language, const UserDataSaver&) override {
    ++userDataFormCount;
    return onUserDataForm ? onUserDataForm(table, language) : true;
  }

  // Action texts of the state rows, in order.
  std::vector<std::string> actions() const {
    std::vector<std::string> texts;
    for (const StateRow& row : rows) texts.push_back(row.action);
    return texts;
  }

  std::vector<RecordedMessage> messages;
  std::vector<RecordedMessage> questions;
  std::vector<StateRow> rows;
  std::vector<std::string> events;
  std::vector<bool> busyPointerCalls;
  std::string helpText;
  int processEventsCount = 0;
  int inputDialogCount = 0;
  int userDataFormCount = 0;
  bool answerYes = false;
  InputDialogResult inputDialogResult;
  std::function<bool(SessionTable&, int)> onUserDataForm;
};

}  // namespace xkm::test
