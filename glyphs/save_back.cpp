#include "glyphs/save_back.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <map>
#include <memory>
#include <vector>

#include "glyphs/bitmap.h"
#include "glyphs/canvas.h"
#include "glyphs/collection_files.h"
#include "glyphs/dialogs.h"
#include "glyphs/glyph_list.h"
#include "glyphs/image_list.h"
#include "glyphs/strings.h"
#include "formats/transparency.h"
#include "platform/errors.h"

namespace gliffo {

namespace {

struct TFileBack {
  std::unique_ptr<TBitmap> Image;
  bool Changed = false;
  // An alpha file's own pixels as read, and the cells written into it (cell, position), so
  // that drawing the key-colour cells does not cost the file its alpha.
  std::vector<std::uint32_t> Alpha;
  std::vector<std::pair<int, int>> Written;
};

bool SameAlpha(const std::uint32_t* a, const std::uint32_t* b, std::size_t count) {
  if (!a || !b) return a == b;
  return std::memcmp(a, b, count * sizeof(std::uint32_t)) == 0;
}

// The file's picture with alpha again: its own pixels, or its key-colour glyphs with their
// keys at alpha 0 where it had none, and every written cell's own pixels (or its key at 0).
void KeepAlpha(TFileBack& file, const TImageList& list, int size, const TEncodeOptions& keys) {
  bool any = !file.Alpha.empty();
  for (const auto& [cell, position] : file.Written) any = any || list.CellAlphaPixels(cell) != nullptr;
  if (!any) return;
  TEncodeOptions cut = keys;
  cut.GlyphSize = size;
  std::vector<std::uint32_t> pixels = file.Alpha.empty() ? KeyPixelsWithAlpha(file.Image->Image().Surface(), cut) : file.Alpha;
  const auto width = static_cast<std::size_t>(file.Image->Width());
  for (const auto& [cell, position] : file.Written) {
    std::vector<std::uint32_t> own;
    if (const std::uint32_t* p = list.CellAlphaPixels(cell)) {
      own.assign(p, p + static_cast<std::size_t>(size) * size);
    } else {
      raster::Surface s = list.Cell(cell);
      own = KeyPixelsWithAlpha(s, cut);
    }
    for (int y = 0; y < size; ++y)
      std::copy_n(own.data() + static_cast<std::size_t>(y) * size, size,
                  pixels.data() + static_cast<std::size_t>(y) * width + static_cast<std::size_t>(position) * size);
  }
  file.Image->SetAlphaPixels(std::move(pixels));
}

}  // namespace

TSaveBackResult SaveBackToFiles(TGlyphCollection& collection) {
  TSaveBackResult result;
  const int size = collection.GlyphSize();
  const int count = collection.CellsMatchGlyphSize() ? collection.ImageList1.Count() : 0;
  const std::size_t cellBytes = static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * sizeof(std::uint32_t);

  // Read and compare everything first, so a file that went missing or changed its shape costs
  // no other file anything.
  std::map<std::string, TFileBack> files;
  std::map<std::string, std::unique_ptr<TImageList>> onDisk;
  for (int cell = 0; cell < count; ++cell) {
    const TGlyphOrigin origin = collection.Origin(cell);
    if (!origin.HasFile()) {
      ++result.GlyphsWithoutFile;
      continue;
    }
    TFileBack& file = files[origin.File];
    std::unique_ptr<TImageList>& cells = onDisk[origin.File];
    if (!file.Image) {
      file.Image = std::make_unique<TBitmap>();
      file.Image->LoadFromFile(origin.File, collection.Options.Decode);
      if (file.Image->Empty() || file.Image->Height() != size) throw EInvalidOperation(FormatMessage(texts::SaveBackFileChanged, origin.File));
      file.Alpha = OwnPixels(file.Image->Image());
      cells = std::make_unique<TImageList>();
      cells->SetWidth(size);
      cells->SetHeight(size);
      cells->Add(*file.Image);
    }
    if (origin.Position < 0 || origin.Position >= cells->Count())
      throw EInvalidOperation(FormatMessage(texts::SaveBackFileChanged, origin.File));
    if (std::memcmp(cells->CellPixels(origin.Position), collection.ImageList1.CellPixels(cell), cellBytes) == 0 &&
        SameAlpha(cells->CellAlphaPixels(origin.Position), collection.ImageList1.CellAlphaPixels(cell), cellBytes / 4))
      continue;
    collection.ImageList1.Draw(file.Image->Canvas(), origin.Position * size, 0, cell);
    file.Written.emplace_back(cell, origin.Position);
    file.Changed = true;
    ++result.GlyphsWritten;
  }
  for (auto& [name, file] : files) {
    if (!file.Changed) continue;
    KeepAlpha(file, collection.ImageList1, size, collection.Options.Encode);
    file.Image->SaveToFile(name, collection.Options.Encode);
    ++result.FilesWritten;
  }
  result.OrderLost = !collection.FileOrderKept();
  if (result.GlyphsWithoutFile == 0 && !result.OrderLost) collection.SetModified(false);
  return result;
}

void SaveBackCommand(TGlyphCollection& collection, IDialogService& dialogs) {
  bool anyFromFile = false;
  for (int cell = 0; cell < collection.ImageList1.Count() && !anyFromFile; ++cell)
    anyFromFile = collection.Origin(cell).HasFile();
  if (!anyFromFile) {
    dialogs.ShowMessage(texts::SaveBackNeedsFolder);
    return;
  }
  const TSaveBackResult result = SaveBackToFiles(collection);
  if (result.OrderLost) {
    if (dialogs.Confirm(texts::SaveBackOrderLost) == TDialogAnswer::Yes) SaveWholeListCommand(collection, dialogs);
  } else if (result.GlyphsWithoutFile == 1) {
    dialogs.ShowMessage(texts::SaveBackOneWithoutFile);
  } else if (result.GlyphsWithoutFile > 1) {
    dialogs.ShowMessage(FormatMessage(texts::SaveBackWithoutFile, result.GlyphsWithoutFile));
  }
}

}  // namespace gliffo
