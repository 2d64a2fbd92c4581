#pragma once
// The dialog service with real Qt dialogs.
#include <string>

#include "glyphs/dialogs.h"

namespace gliffo {

class TQtDialogService : public IDialogService {
 public:
  // title: the caption of plain message boxes and error boxes.
  explicit TQtDialogService(std::string title) : title_(std::move(title)) {}

  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  void ShowErrorDetail(const std::string& text, const std::string& detail) override;
  TDialogAnswer Confirm(const std::string& text) override;
  TDialogAnswer ConfirmWithCancel(const std::string& text) override;
  std::optional<std::vector<std::string>> OpenFiles(const TOpenFileRequest& request) override;
  std::optional<std::string> SaveFile(const TSaveFileRequest& request) override;
  int SavedFilterIndex() const override { return savedFilter_; }
  std::optional<TFontChoice> ChooseFont(const TFontChoice& initial) override;
  std::optional<TColourWithAlpha> ChooseColour(const TColourWithAlpha& initial) override;
  std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                      const std::string& defaultValue) override;

 private:
  std::string title_;
  int savedFilter_ = 0;
};

}  // namespace gliffo
