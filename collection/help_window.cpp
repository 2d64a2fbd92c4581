#include "collection/help_window.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QShortcut>
#include <QTextBlock>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "collection/strings.h"
#include "glyphs/dialogs.h"
#include "platform/errors.h"

namespace gliffo {

THelpWindow::THelpWindow(IDialogService& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), dialogs_(dialogs), browser_(new QTextBrowser(this)) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QString::fromUtf8(texts::HelpWindowCaption));
  setAttribute(Qt::WA_QuitOnClose, false);  // closing the collection window alone ends the program
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  browser_->setOpenExternalLinks(true);
  resize(520, 600);
  // A help window goes away as other desktop viewers do.
  for (QKeySequence keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
    auto* shortcut = new QShortcut(keys, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, &QWidget::close);
  }
}

bool THelpWindow::ShowContents(const std::string& helpFile) {
  QFileInfo info(QString::fromStdString(helpFile));
  if (!info.isFile() || !info.isReadable()) {
    dialogs_.ShowMessage(FormatMessage(texts::HelpFileMissing, helpFile));
    return false;
  }
  browser_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()), QTextDocument::HtmlResource);
  if (browser_->document()->isEmpty()) {
    dialogs_.ShowMessage(FormatMessage(texts::HelpFileMissing, helpFile));
    return false;
  }
  openFile_ = helpFile;
  currentTopic_.clear();
  show();
  raise();
  activateWindow();
  return true;
}

bool THelpWindow::HasTopic(const std::string& topic) const {
  QString name = QString::fromStdString(topic);
  for (QTextBlock block = browser_->document()->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it)
      if (it.fragment().charFormat().anchorNames().contains(name)) return true;
  }
  return false;
}

bool THelpWindow::RunMacro(const std::string& helpFile, const std::string& macro) {
  static const QRegularExpression jump(
      QString::fromLatin1(R"re(^\s*(?:JumpID|JI)\s*\(\s*"([^"]*)"\s*,\s*"([^"]*)"\s*\)\s*$)re"),
      QRegularExpression::CaseInsensitiveOption);
  QRegularExpressionMatch match = jump.match(QString::fromStdString(macro));
  if (!match.hasMatch()) return false;
  std::string file = match.captured(1).toStdString();
  if (!file.empty() && file != helpFile && !ShowContents(file)) return false;
  if (openFile_.empty() && !ShowContents(helpFile)) return false;

  std::string topic = match.captured(2).toStdString();
  if (!HasTopic(topic)) {
    dialogs_.ShowMessage(FormatMessage(texts::HelpTopicMissing, topic));
    return false;
  }
  browser_->scrollToAnchor(QString::fromStdString(topic));
  currentTopic_ = topic;
  return true;
}

}  // namespace gliffo
