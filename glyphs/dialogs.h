#pragma once
// Every dialog the program shows goes through this one interface, owned by the application.
// The window layer implements it with real dialogs; tests install a scripted one that answers
// and records every question. Filters are written as the program writes them
// ("Bitmap Collection|*.gbc|BMP Files|*.bmp") and converted at the edge.
#include <optional>
#include <string>
#include <vector>

namespace gliffo {

enum class TDialogAnswer { Yes, No };

struct TOpenFileRequest {
  std::string Filter;            // "Name|*.ext|Name|*.ext"
  int FilterIndex = 1;           // 1-based, as the filter pairs are counted
  std::string DefaultExtension;  // without the dot; "" for none
  bool MultiSelect = false;
};

struct TSaveFileRequest {
  std::string Filter;
  int FilterIndex = 1;
  std::string DefaultExtension;  // given to a name typed without extension
};

struct TFontChoice {
  std::string Name;
  int Size = 0;  // points
  bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
  int Color = 0;  // TColor
};

class IDialogService {
 public:
  virtual ~IDialogService() = default;
  // A plain message box: the application title as caption, no icon, one OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // The default error box: the message (full stop rule applied by the caller), the
  // application title as caption, a stop icon and OK.
  virtual void ShowError(const std::string& text) = 0;
  // A confirmation: caption "Confirm", question icon, buttons "&Yes" and "&No".
  virtual TDialogAnswer Confirm(const std::string& text) = 0;
  // Open-file dialog: the chosen names (one unless MultiSelect), or nothing when cancelled.
  virtual std::optional<std::vector<std::string>> OpenFiles(const TOpenFileRequest& request) = 0;
  // Save-file dialog: the chosen name, or nothing when cancelled. It does not ask about
  // overwriting on its own.
  virtual std::optional<std::string> SaveFile(const TSaveFileRequest& request) = 0;
  // Font dialog, starting from the given font; nothing when cancelled.
  virtual std::optional<TFontChoice> ChooseFont(const TFontChoice& initial) = 0;
  // Input box with a caption, a prompt and a default; nothing when cancelled.
  virtual std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                              const std::string& defaultValue) = 0;
};

// The application's text for an error box: a full stop is appended when the message's last
// character comes after the full stop in character order.
std::string ErrorBoxText(const std::string& message);

}  // namespace gliffo
