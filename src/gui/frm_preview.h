#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "core/preview/order_preview.h"
#include "core/session/app_state.h"
#include "core/session/session.h"
#include "core/shell/process_step.h"

class QLabel;
class QTabWidget;

namespace xkm {

// What a run of the order would write, before it reaches the line: the
// layout and why it was chosen, the tool command lines and the messages on
// the first tab, each file a run would hand its tools on a tab of its own,
// and a way to save them into an empty folder.
class frmPreview : public QDialog {
  Q_OBJECT

 public:
  frmPreview(const OrderPreview& preview, const Session& session,
             const std::vector<std::string>& messages, QWidget* parent = nullptr);

  QTabWidget* tabs() const { return tabs_; }
  QLabel* summary() const { return summary_; }
  // Writes the files into `folder` (new or empty); the reason when it did not.
  std::string saveTo(const std::string& folder) const;

 private:
  void saveClicked();

  std::vector<PreviewFile> files_;
  QLabel* summary_ = nullptr;
  QTabWidget* tabs_ = nullptr;
};

inline constexpr const char* kPreviewTitle = "Preview";

// The File menu's "Preview…": previews the order in `app` with the process
// `steps`, writing nothing, and shows the result without blocking the window.
void ShowPreview(QWidget* parent, AppState& app, const std::vector<ProcessStep>& steps);

}  // namespace xkm
