#pragma once
// Every dialog the program shows goes through this one interface, owned by the application.
// The window layer implements it with real dialogs; tests install a scripted one that answers
// and records every question. Filters are written as the program writes them
// ("Bitmap Collection|*.gbc|BMP Files|*.bmp") and converted at the edge.
#include <optional>
#include <string>
#include <vector>

#include "formats/image_options.h"
#include "platform/errors.h"

namespace gliffo {

// Cancel comes only from the questions that offer it (ConfirmWithCancel).
enum class TDialogAnswer { Yes, No, Cancel };

struct TOpenFileRequest {
  std::string Filter;            // "Name|*.ext|Name|*.ext"
  int FilterIndex = 1;           // 1-based, as the filter pairs are counted
  std::string DefaultExtension;  // without the dot; "" for none
  bool MultiSelect = false;
  // The dialog's title; "" for the platform's own ("Open").
  std::string Title = {};
};

struct TSaveFileRequest {
  std::string Filter;
  int FilterIndex = 1;
  std::string DefaultExtension;  // given to a name typed without extension
  // Where the dialog starts: a file (its folder opened, its name filled in) or a folder; ""
  // for wherever the dialog was last.
  std::string InitialName = {};
  // The dialog's title; "" for the platform's own ("Save As").
  std::string Title = {};
};

struct TFontChoice {
  std::string Name;
  int Size = 0;  // points
  bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
  int Color = 0;  // TColor
};

// A colour (TColor, 0x00BBGGRR) with its alpha, as the colour dialog gives it.
struct TColourWithAlpha {
  int Color = 0;
  int Alpha = 255;
};

class IDialogService {
 public:
  virtual ~IDialogService() = default;
  // A plain message box: the application title as caption, no icon, one OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // The default error box: the message (full stop rule applied by the caller), the
  // application title as caption, a stop icon and OK.
  virtual void ShowError(const std::string& text) = 0;
  // The same box with a second line under the message: which file, what was left undone.
  // Services without a place of their own for it show it as the message's second line.
  virtual void ShowErrorDetail(const std::string& text, const std::string& detail) {
    ShowError(detail.empty() ? text : text + "\n" + detail);
  }
  // A confirmation: caption "Confirm", question icon, buttons "&Yes" and "&No".
  virtual TDialogAnswer Confirm(const std::string& text) = 0;
  // The same box with a third button, "Cancel" (also Escape), for questions asked before
  // something that would discard work: Cancel means "do not go on", No "go on without".
  // Services that cannot offer it answer as Confirm does.
  virtual TDialogAnswer ConfirmWithCancel(const std::string& text) { return Confirm(text); }
  // Open-file dialog: the chosen names (one unless MultiSelect), or nothing when cancelled.
  virtual std::optional<std::vector<std::string>> OpenFiles(const TOpenFileRequest& request) = 0;
  // Save-file dialog: the chosen name, or nothing when cancelled. It does not ask about
  // overwriting on its own.
  virtual std::optional<std::string> SaveFile(const TSaveFileRequest& request) = 0;
  // The filter entry (1-based) the last name SaveFile gave was chosen under; 0 when the
  // service cannot tell, which counts as the entry the request offered.
  virtual int SavedFilterIndex() const { return 0; }
  // Font dialog, starting from the given font; nothing when cancelled.
  virtual std::optional<TFontChoice> ChooseFont(const TFontChoice& initial) = 0;
  // Colour dialog with an alpha channel, starting from the given colour; nothing when
  // cancelled. Services without one answer nothing.
  virtual std::optional<TColourWithAlpha> ChooseColour(const TColourWithAlpha& initial) {
    (void)initial;
    return std::nullopt;
  }
  // Input box with a caption, a prompt and a default; nothing when cancelled.
  virtual std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                              const std::string& defaultValue) = 0;
};

// The options a save chosen in a save dialog writes with: the run's, and 32 bits with alpha
// when the user chose that entry of the dialog's filter.
TEncodeOptions SaveOptionsOf(const IDialogService& dialogs, const TSaveFileRequest& request, TEncodeOptions options);

// The application's text for an error box: a full stop is appended when the message's last
// character comes after the full stop in character order.
std::string ErrorBoxText(const std::string& message);

// An error shown with a second line that the error itself does not carry, such as that the
// files after the failing one were not read. The message stays the cause's.
class EDetailedError : public Exception {
 public:
  EDetailedError(const Exception& cause, std::string detail) : Exception(cause.Message()), detail_(std::move(detail)) {
    SetFileName(cause.FileName());
  }
  const std::string& Detail() const { return detail_; }

 private:
  std::string detail_;
};

// The second line of the error box for an error: its own detail, else the file it is about.
std::string ErrorBoxDetail(const std::exception& error);

}  // namespace gliffo
