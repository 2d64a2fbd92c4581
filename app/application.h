#pragma once
// The application object: the title "Gliffo 2", the one dialog service, the help engine and
// the guard that every command and event handler runs in.
#include <exception>
#include <memory>
#include <string>

#include "ui/application_intf.h"

namespace gliffo {

class THelpWindow;

class TApplication : public IApplication {
 public:
  // exeName: the program's full path ("" asks the system).
  explicit TApplication(std::unique_ptr<IDialogService> dialogs, std::string exeName = "");
  ~TApplication() override;

  const std::string& Title() const override { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }
  IDialogService& Dialogs() override { return *dialogs_; }
  IHelpEngine& HelpEngine() override;
  THelpWindow* HelpWindow() const { return help_.get(); }
  const std::string& HelpFile() const override { return helpFile_; }
  void SetHelpFile(const std::string& fileName) override { helpFile_ = fileName; }
  std::string ExeName() const override { return exeName_; }

  bool Guard(const std::function<void()>& command) noexcept override;
  // The default error box for an error that ended a command: its message with the full-stop
  // rule, the title as caption, a stop icon and OK.
  void HandleException(std::exception_ptr error) noexcept;

 private:
  std::unique_ptr<IDialogService> dialogs_;
  std::string exeName_;
  std::string title_;
  std::string helpFile_;
  std::unique_ptr<THelpWindow> help_;
};

}  // namespace gliffo
