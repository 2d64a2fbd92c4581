#pragma once
// What the windows need from the application object: its title, the one dialog service, the
// help engine, the guard that every command and event handler runs in, and where the program
// lives. The application (app/) implements it; tests build one around scripted dialogs.
#include <functional>
#include <string>

namespace gliffo {

class IDialogService;

// Our stand-in for the platform's help engine.
class IHelpEngine {
 public:
  virtual ~IHelpEngine() = default;
  // Opens the help file at its contents; false (after telling the user) when it cannot.
  virtual bool ShowContents(const std::string& helpFile) = 0;
  // Runs a help macro in the open file; JumpID("","topic") shows the topic.
  virtual bool RunMacro(const std::string& helpFile, const std::string& macro) = 0;
};

class IApplication {
 public:
  virtual ~IApplication() = default;
  virtual const std::string& Title() const = 0;
  virtual IDialogService& Dialogs() = 0;
  virtual IHelpEngine& HelpEngine() = 0;
  virtual const std::string& HelpFile() const = 0;
  virtual void SetHelpFile(const std::string& fileName) = 0;
  // The full path of the running program; the window derives AppDir and the settings file
  // from it.
  virtual std::string ExeName() const = 0;
  // Runs a command. An exception ends it and is shown in the default error box; nothing
  // escapes. Returns false when the command ended with an error.
  virtual bool Guard(const std::function<void()>& command) noexcept = 0;
};

}  // namespace gliffo
