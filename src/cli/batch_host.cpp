#include "cli/batch_host.h"

#include <csignal>
#include <ostream>

#include "core/platform/stop_request.h"

namespace xkm {

volatile std::sig_atomic_t gStopSignalPending = 0;

void InstallStopSignalHandlers() {
  InstallStopRequestHandler([] { gStopSignalPending = 1; });
}

BatchHost::BatchHost(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

void BatchHost::showMessage(const std::string& text, const std::string& title) {
  messages_.push_back({title, text});
  err_ << title << ": " << text << std::endl;
}

bool BatchHost::askYesNo(const std::string&, const std::string&) {
  return false;
}

void BatchHost::processEvents() {
  if (gStopSignalPending) {
    gStopSignalPending = 0;
    if (onStop_) onStop_();
  }
}

void BatchHost::appendStateRow(const StateRow& row) {
  rows_.push_back(row);
  out_ << row.modul << '\t' << row.start << '\t' << row.action << std::endl;
}

// A new run starts with an empty state display; the report keeps only its rows.
void BatchHost::clearStateRows() {
  rows_.clear();
}

InputDialogResult BatchHost::showInputDialog() {
  return InputDialogResult{};
}

}  // namespace xkm
