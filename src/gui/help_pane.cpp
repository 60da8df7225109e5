#include "gui/help_pane.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/qt_text.h"

namespace xkm {

HelpPane::HelpPane(QWidget* parent) : QFrame(parent) {
  setObjectName("FrameBott");
  setFrameShape(QFrame::StyledPanel);

  auto* title = new QLabel("Help");
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  pbSizeHelp = new QPushButton(kCollapsedCaption);
  pbSizeHelp->setObjectName("pbSizeHelp");
  pbSizeHelp->setToolTip("Enlarge or reduce the help pane");
  pbSizeHelp->setFlat(true);
  // Reached with Tab like any button, so that the pane can be enlarged without a mouse.
  pbSizeHelp->setFocusPolicy(Qt::StrongFocus);

  txthelp = new QPlainTextEdit;
  txthelp->setObjectName("txthelp");
  txthelp->setAccessibleName("Help for the current step");
  txthelp->setReadOnly(true);
  // Nothing is typed into help: Tab goes on to the next control.
  txthelp->setTabChangesFocus(true);
  wbHelp = new QTextBrowser;
  wbHelp->setObjectName("wbHelp");
  wbHelp->setAccessibleName("Operator help");
  wbHelp->setOpenExternalLinks(true);
  wbHelp->setTabChangesFocus(true);
  wbHelp->hide();

  auto* header = new QHBoxLayout;
  header->setContentsMargins(4, 0, 0, 0);
  header->addWidget(title);
  header->addStretch();
  header->addWidget(pbSizeHelp);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  layout->addLayout(header);
  layout->addWidget(txthelp);
  layout->addWidget(wbHelp);

  setExpanded(false);
  connect(pbSizeHelp, &QPushButton::clicked, this, &HelpPane::toggleRequested);
}

void HelpPane::setHelpText(const std::string& text) {
  txthelp->setPlainText(ToQ(text));
}

void HelpPane::showHelpText() {
  wbHelp->hide();
  txthelp->show();
}

void HelpPane::showHelpPage(const std::string& path) {
  txthelp->hide();
  wbHelp->show();
  const QString file = ToQ(path);
  if (QFile::exists(file))
    wbHelp->setSource(QUrl::fromLocalFile(file));
  else
    wbHelp->setHtml(
        QString("<p>The help page <b>%1</b> was not found.</p>").arg(file.toHtmlEscaped()));
}

bool HelpPane::showsHelpPage() const {
  return !wbHelp->isHidden();
}

void HelpPane::focusHelpPage() {
  wbHelp->setFocus(Qt::OtherFocusReason);
}

void HelpPane::setExpanded(bool expanded) {
  expanded_ = expanded;
  pbSizeHelp->setText(expanded ? kExpandedCaption : kCollapsedCaption);
  // The caption is a row of symbols; a screen reader says what the button does.
  pbSizeHelp->setAccessibleName(expanded ? "Reduce the help pane" : "Enlarge the help pane");
}

int HelpPane::collapsedHeight() const {
  return 1920 * logicalDpiY() / 1440;
}

}  // namespace xkm
