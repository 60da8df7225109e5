#include "cli/batch_host.h"

#include <ostream>

#include "core/platform/os/this_process.h"

namespace xkm {

BatchHost::BatchHost(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

void BatchHost::showMessage(const std::string& text, const std::string& title) {
  messages_.push_back({title, text});
  err_ << title << ": " << text << std::endl;
}

bool BatchHost::askYesNo(const std::string&, const std::string&) {
  return false;
}

void BatchHost::processEvents() {
  if (TakeStopRequest() && onStop_) onStop_();
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
