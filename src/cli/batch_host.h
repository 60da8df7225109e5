#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "core/session/host.h"

namespace xkm {

struct ShownMessage {
  std::string title;
  std::string text;
};

// The host of the batch mode: no window and no prompt. State rows go to stdout
// (Modul, TAB, Start, TAB, Action), message boxes to stderr ("title: text"),
// the input dialog counts as cancelled and every question is answered No.
class BatchHost : public Host, public RunObserver {
 public:
  BatchHost(std::ostream& out, std::ostream& err);

  void showMessage(const std::string& text, const std::string& title) override;
  bool askYesNo(const std::string& text, const std::string& title) override;
  void processEvents() override;
  void setBusyPointer(bool) override {}
  RunObserver& observer() override { return *this; }
  void appendStateRow(const StateRow& row) override;
  void clearStateRows() override;
  InputDialogResult showInputDialog() override;

  // Called from processEvents when a stop request (see WatchStopRequests)
  // arrived since the last call.
  void setStopHandler(std::function<void()> onStop) { onStop_ = std::move(onStop); }

  const std::vector<StateRow>& rows() const { return rows_; }
  const std::vector<ShownMessage>& messages() const { return messages_; }

 private:
  std::ostream& out_;
  std::ostream& err_;
  std::vector<StateRow> rows_;
  std::vector<ShownMessage> messages_;
  std::function<void()> onStop_;
};

}  // namespace xkm
