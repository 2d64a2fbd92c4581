#include "glyphs/dialogs.h"

#include "formats/image_formats.h"

namespace gliffo {

TEncodeOptions SaveOptionsOf(const IDialogService& dialogs, const TSaveFileRequest& request, TEncodeOptions options) {
  const int chosen = dialogs.SavedFilterIndex();
  if (IsAlphaBmpEntry(request.Filter, chosen > 0 ? chosen : request.FilterIndex)) options.AlphaBmp = true;
  return options;
}

std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
    return message + ".";
  return message;
}

std::string ErrorBoxDetail(const std::exception& error) {
  if (const auto* detailed = dynamic_cast<const EDetailedError*>(&error)) return detailed->Detail();
  const auto* own = dynamic_cast<const Exception*>(&error);
  // A message that names its file already ("Cannot open file …") needs no second line.
  if (own == nullptr || own->FileName().empty() || own->Message().find(own->FileName()) != std::string::npos) return {};
  return own->FileName();
}

}  // namespace gliffo
