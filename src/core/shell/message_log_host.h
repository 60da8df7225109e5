#pragma once

#include <vector>

#include "core/session/host.h"
#include "core/shell/run_record.h"

namespace xkm {

// Passes everything on to the user interface's Host and keeps a copy of each
// message box, so that a run's record holds every message whoever showed it.
class MessageLogHost : public Host {
 public:
  explicit MessageLogHost(Host& inner) : inner_(inner) {}

  std::vector<MessageRecord>& messages() { return messages_; }

  void showMessage(const std::string& text, const std::string& title) override {
    messages_.push_back({title, text});
    inner_.showMessage(text, title);
  }
  bool askYesNo(const std::string& text, const std::string& title) override {
    return inner_.askYesNo(text, title);
  }
  void processEvents() override { inner_.processEvents(); }
  void waitForEvents(std::chrono::milliseconds time) override { inner_.waitForEvents(time); }
  void setBusyPointer(bool busy) override { inner_.setBusyPointer(busy); }
  RunObserver& observer() override { return inner_.observer(); }
  InputDialogResult showInputDialog() override { return inner_.showInputDialog(); }
  bool showUserDataForm(SessionTable& table, int language, const UserDataSaver& save) override {
    return inner_.showUserDataForm(table, language, save);
  }

 private:
  Host& inner_;
  std::vector<MessageRecord> messages_;
};

}  // namespace xkm
