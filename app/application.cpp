#include "app/application.h"

#include <cstdio>
#include <new>

#include "collection/help_window.h"
#include "collection/strings.h"
#include "glyphs/dialogs.h"
#include "platform/profile/settings_path.h"

namespace gliffo {

TApplication::TApplication(std::unique_ptr<IDialogService> dialogs, std::string exeName)
    : dialogs_(std::move(dialogs)),
      exeName_(exeName.empty() ? profile::ExecutablePath() : std::move(exeName)),
      title_(texts::ApplicationTitle) {}

TApplication::~TApplication() = default;

IHelpEngine& TApplication::HelpEngine() {
  if (!help_) help_ = std::make_unique<THelpWindow>(*dialogs_);
  return *help_;
}

bool TApplication::Guard(const std::function<void()>& command) noexcept {
  try {
    command();
    return true;
  } catch (...) {
    HandleException(std::current_exception());
    return false;
  }
}

void TApplication::HandleException(std::exception_ptr error) noexcept {
  std::string message, detail;
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    message = texts::OutOfMemory;
  } catch (const std::exception& e) {
    message = e.what();
    detail = ErrorBoxDetail(e);
  } catch (...) {
    message = texts::UnknownError;
  }
  try {
    if (detail.empty()) {
      dialogs_->ShowError(ErrorBoxText(message));
    } else {
      dialogs_->ShowErrorDetail(ErrorBoxText(message), detail);
    }
  } catch (...) {
    // Even the error box failed (no memory left for it); the terminal is all that is left.
    std::fprintf(stderr, "%s: %s\n", title_.c_str(), message.c_str());
  }
}

}  // namespace gliffo
