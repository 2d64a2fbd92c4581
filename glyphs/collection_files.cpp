#include "glyphs/collection_files.h"

#include <sys/stat.h>

#include <climits>
#include <memory>

#include "glyphs/bitmap.h"
#include "glyphs/canvas.h"
#include "glyphs/dialogs.h"
#include "glyphs/glyph_list.h"
#include "glyphs/strings.h"
#include "platform/errors.h"

namespace gliffo {

namespace {

// Anything already at the name counts, a dangling link included: saving would replace it.
bool FileExists(const std::string& fileName) {
  struct stat info {};
  return ::lstat(fileName.c_str(), &info) == 0;
}

int CheckedProduct(int a, int b) {
  const long long product = static_cast<long long>(a) * b;
  if (product > INT_MAX) throw EOutOfResources(texts::OutOfSystemResources);
  return static_cast<int>(product);
}

// A new 4-bit system-palette image, white, sized before its canvas is first used.
void MakeSystemPaletteImage(TBitmap& image, int width, int height) {
  image.SetPixelFormat(TPixelFormat::pf4bit);
  image.SetWidth(width);
  image.SetHeight(height);
}

}  // namespace

void OpenCollection(TGlyphCollection& collection, const std::string& fileName) {
  // Read and judge the strip before anything changes, so a bad file costs the user nothing.
  TBitmap strip;
  strip.LoadFromFile(fileName);
  if (strip.Empty() || strip.Width() < strip.Height()) throw EInvalidOperation(texts::InvalidImageSize);

  collection.ImageList1.Clear();
  TUpdateBracket bracket(collection.Items);
  collection.Items.Clear();
  collection.SetGlyphSize(strip.Height());
  collection.ApplyGlyphSize();
  collection.ImageList1.Add(strip);
  collection.RebuildNumberedItems();
}

bool MakeSelectionStrip(const TGlyphCollection& collection, TBitmap& strip) {
  const TListItems& items = collection.Items;
  const int selected = items.SelCount();
  if (selected == 0) return false;
  const int size = collection.GlyphSize();
  MakeSystemPaletteImage(strip, CheckedProduct(selected, size), size);
  TCanvas& canvas = strip.Canvas();
  int placed = 0;
  for (int i = items.SelectedIndex(); i >= 0 && i < items.Count() && placed < selected; ++i) {
    const TListItem& item = items.Item(i);
    if (!item.Selected()) continue;
    collection.ImageList1.Draw(canvas, placed * size, 0, item.ImageIndex());
    ++placed;
  }
  return true;
}

bool SaveCollection(const TGlyphCollection& collection, const std::string& fileName) {
  TBitmap strip;
  if (!MakeSelectionStrip(collection, strip)) return false;
  strip.SaveToFile(fileName);
  return true;
}

void MakeGlyphImage(const TGlyphCollection& collection, int cellIndex, TBitmap& image) {
  const int size = collection.GlyphSize();
  MakeSystemPaletteImage(image, size, size);
  collection.ImageList1.Draw(image.Canvas(), 0, 0, cellIndex);
}

bool SaveWithConfirmation(TBitmap& image, const std::string& fileName, IDialogService& dialogs) {
  if (FileExists(fileName) && dialogs.Confirm(texts::ReplaceExistingFile) != TDialogAnswer::Yes) return false;
  image.SaveToFile(fileName);
  return true;
}

bool ExportBitmap(const TGlyphCollection& collection, const std::string& fileName, IDialogService& dialogs) {
  const TListItem* selected = collection.Items.Selected();
  if (!selected) return false;
  TBitmap glyph;
  MakeGlyphImage(collection, selected->ImageIndex(), glyph);
  return SaveWithConfirmation(glyph, fileName, dialogs);
}

void BuildCombinedStrip(const std::vector<std::string>& fileNames, TBitmap& result) {
  if (fileNames.empty()) throw EInvalidOperation(texts::SelectTwoOrMoreFiles);
  // Every file is read before anything is drawn, so an unreadable one stops the job early.
  result.SetPixelFormat(TPixelFormat::pf4bit);
  result.LoadFromFile(fileNames[0]);
  std::vector<std::unique_ptr<TBitmap>> parts;
  parts.reserve(fileNames.size() - 1);
  long long totalWidth = result.Width();
  for (std::size_t i = 1; i < fileNames.size(); ++i) {
    auto part = std::make_unique<TBitmap>();
    part->SetPixelFormat(TPixelFormat::pf4bit);
    part->LoadFromFile(fileNames[i]);
    totalWidth += part->Width();
    if (totalWidth > INT_MAX) throw EOutOfResources(texts::OutOfSystemResources);
    parts.push_back(std::move(part));
  }
  if (parts.empty()) return;

  // Widening the strip once per file would copy it again for every file. Two widenings give
  // the same pixels: the first happens before the canvas exists (new columns white, the colour
  // table kept), the second after it does (new columns in the brush colour, and a 1-bit table
  // reset to the canvas's colours), and every later widening of the one-by-one way only
  // repeats the second.
  int x = result.Width();
  result.SetWidth(x + parts[0]->Width());
  result.Canvas().Draw(x, 0, parts[0].get());
  x += parts[0]->Width();
  if (parts.size() > 1) {
    result.SetWidth(static_cast<int>(totalWidth));
    for (std::size_t i = 1; i < parts.size(); ++i) {
      result.Canvas().Draw(x, 0, parts[i].get());
      x += parts[i]->Width();
    }
  }
}

void OpenCollectionCommand(TGlyphCollection& collection, IDialogService& dialogs) {
  TOpenFileRequest request;
  request.Filter = texts::CollectionFilter;
  request.MultiSelect = false;
  const auto names = dialogs.OpenFiles(request);
  if (!names || names->empty()) return;
  OpenCollection(collection, names->front());
}

void SaveCollectionCommand(const TGlyphCollection& collection, IDialogService& dialogs) {
  if (collection.Items.SelCount() == 0) return;
  TSaveFileRequest request;
  request.Filter = texts::SaveFilter;
  request.FilterIndex = 1;
  request.DefaultExtension = texts::CollectionExtension;
  const auto name = dialogs.SaveFile(request);
  if (!name) return;
  SaveCollection(collection, *name);
}

void ExportBitmapCommand(const TGlyphCollection& collection, IDialogService& dialogs) {
  const int selected = collection.Items.SelCount();
  if (selected == 0) {
    dialogs.ShowMessage(texts::NoBitmapSelected);
    return;
  }
  if (selected > 1) {
    dialogs.ShowMessage(texts::SelectOnlyOneBitmap);
    return;
  }
  TSaveFileRequest request;
  request.Filter = texts::SaveFilter;
  request.FilterIndex = 2;
  request.DefaultExtension = texts::BitmapExtension;
  const auto name = dialogs.SaveFile(request);
  if (!name) return;
  ExportBitmap(collection, *name, dialogs);
}

void CombineCollectionsCommand(IDialogService& dialogs) {
  TOpenFileRequest request;
  request.Filter = texts::CollectionFilter;
  request.MultiSelect = true;
  const auto names = dialogs.OpenFiles(request);
  if (!names) return;
  if (names->size() < 2) {
    dialogs.ShowMessage(texts::SelectTwoOrMoreFiles);
    return;
  }
  TBitmap combined;
  BuildCombinedStrip(*names, combined);
  TSaveFileRequest save;
  save.Filter = texts::SaveFilter;
  save.FilterIndex = 1;
  save.DefaultExtension = texts::CollectionExtension;
  const auto output = dialogs.SaveFile(save);
  if (!output) return;
  SaveWithConfirmation(combined, *output, dialogs);
}

}  // namespace gliffo
