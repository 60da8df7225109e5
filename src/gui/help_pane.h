#pragma once

#include <QFrame>
#include <string>

class QPlainTextEdit;
class QPushButton;
class QTextBrowser;

namespace xkm {

// The help pane at the bottom of the main window: the running step's help
// text (txthelp) or the help page (wbHelp), and the size toggle (pbSizeHelp).
class HelpPane : public QFrame {
  Q_OBJECT

 public:
  static constexpr const char* kCollapsedCaption = "^^^^^^^^";
  static constexpr const char* kExpandedCaption = "---------";

  explicit HelpPane(QWidget* parent = nullptr);

  void setHelpText(const std::string& text);
  void showHelpText();                         // txthelp visible, wbHelp hidden
  void showHelpPage(const std::string& path);  // wbHelp visible, txthelp hidden
  bool showsHelpPage() const;
  void focusHelpPage();

  // The toggle's caption follows the pane's size; the window does the resizing.
  void setExpanded(bool expanded);
  bool expanded() const { return expanded_; }
  // The collapsed height: 1920 twips.
  int collapsedHeight() const;

 signals:
  void toggleRequested();

 private:
  QPlainTextEdit* txthelp;
  QTextBrowser* wbHelp;
  QPushButton* pbSizeHelp;
  bool expanded_ = false;
};

}  // namespace xkm
