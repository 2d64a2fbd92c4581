#pragma once
// Our help engine: a window that shows the HTML help file and jumps to topics by their
// identifiers (the anchors of the file).
#include <QWidget>
#include <string>

#include "ui/application_intf.h"

class QTextBrowser;

namespace gliffo {

class IDialogService;

class THelpWindow : public QWidget, public IHelpEngine {
  Q_OBJECT
 public:
  explicit THelpWindow(IDialogService& dialogs, QWidget* parent = nullptr);

  bool ShowContents(const std::string& helpFile) override;
  // Understands JumpID("file","topic") (JI for short); the file part may be empty for the open
  // file. A topic the file does not hold is reported to the user.
  bool RunMacro(const std::string& helpFile, const std::string& macro) override;

  const std::string& CurrentTopic() const { return currentTopic_; }
  bool HasTopic(const std::string& topic) const;

 private:
  IDialogService& dialogs_;
  QTextBrowser* browser_;
  std::string openFile_;
  std::string currentTopic_;
};

}  // namespace gliffo
