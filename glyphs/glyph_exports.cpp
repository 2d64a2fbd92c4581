#include "glyphs/glyph_exports.h"

#include <memory>
#include <sys/stat.h>
#include <vector>

#include "glyphs/bitmap.h"
#include "glyphs/collection_files.h"
#include "glyphs/dialogs.h"
#include "glyphs/glyph_list.h"
#include "formats/ico_codec.h"
#include "formats/image_formats.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"

namespace gliffo {

namespace {

bool Exists(const std::string& fileName) {
  struct stat info {};
  return ::lstat(fileName.c_str(), &info) == 0;
}

}  // namespace

bool ExportIcon(const TGlyphCollection& collection, const std::string& fileName, bool withVariants) {
  if (collection.Items.SelCount() != 1) return false;
  TBitmap glyph;
  if (!collection.SelectedStrip(glyph)) return false;
  const int size = collection.GlyphSize();
  std::vector<std::shared_ptr<TBitmapImage>> larger;
  if (withVariants) {
    larger.push_back(ScaleStrip(glyph.Image(), size, TScaleFactor::By2, TScaleMethod::Scale2x));
    larger.push_back(ScaleStrip(glyph.Image(), size, TScaleFactor::By3, TScaleMethod::Scale3x));
  }
  std::vector<const TBitmapImage*> pictures{&glyph.Image()};
  for (const auto& picture : larger) pictures.push_back(picture.get());
  files::WriteWholeFile(fileName, ico::Encode(pictures));
  return true;
}

bool ExportScaled(const TGlyphCollection& collection, const std::string& fileName, TScaleFactor factor,
                  IDialogService& dialogs) {
  return ExportScaled(collection, fileName, factor, dialogs, collection.Options.Encode);
}

bool ExportScaled(const TGlyphCollection& collection, const std::string& fileName, TScaleFactor factor,
                  IDialogService& dialogs, const TEncodeOptions& options) {
  TBitmap strip;
  if (!collection.SelectedStrip(strip)) return false;
  const int size = collection.GlyphSize();
  TBitmap scaled;
  scaled.ReplaceImage(ScaleStrip(strip.Image(), size, factor, DefaultScaleMethod(factor)));
  return SaveWithConfirmation(scaled, fileName, dialogs, options);
}

void ExportIconCommand(const TGlyphCollection& collection, IDialogService& dialogs) {
  const int selected = collection.Items.SelCount();
  if (selected != 1) {
    dialogs.ShowMessage(selected == 0 ? texts::NoBitmapSelected : texts::SelectOnlyOneBitmap);
    return;
  }
  TSaveFileRequest request;
  request.Filter = SaveFilterOf(FormatNamed("ICO"));
  request.DefaultExtension = texts::IconExtension;
  request.Title = texts::ExportIconTitle;
  const auto name = dialogs.SaveFile(request);
  if (!name) return;
  if (Exists(*name) && dialogs.Confirm(texts::ReplaceExistingFile) != TDialogAnswer::Yes) return;
  // Escape must not write a file the user meant to stop: Cancel goes back without writing.
  const TDialogAnswer variants = dialogs.ConfirmWithCancel(texts::IncludeLargerSizes);
  if (variants == TDialogAnswer::Cancel) return;
  ExportIcon(collection, *name, variants == TDialogAnswer::Yes);
}

void ExportScaledCommand(const TGlyphCollection& collection, TScaleFactor factor, IDialogService& dialogs) {
  if (collection.Items.SelCount() == 0) {
    dialogs.ShowMessage(texts::NoBitmapSelected);
    return;
  }
  TSaveFileRequest request;
  request.Filter = CollectionSaveFilter();
  request.FilterIndex = 1;
  request.DefaultExtension = "gbc";
  request.Title = texts::ExportScaledTitle;
  const auto name = dialogs.SaveFile(request);
  if (!name) return;
  ExportScaled(collection, *name, factor, dialogs, SaveOptionsOf(dialogs, request, collection.Options.Encode));
}

}  // namespace gliffo
