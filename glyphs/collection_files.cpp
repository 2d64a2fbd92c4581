#include "glyphs/collection_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <exception>
#include <memory>

#include "glyphs/bitmap.h"
#include "formats/bmp_file.h"
#include "glyphs/button_looks.h"
#include "glyphs/canvas.h"
#include "glyphs/dialogs.h"
#include "glyphs/file_runs.h"
#include "glyphs/glyph_list.h"
#include "glyphs/image_list.h"
#include "formats/image_formats.h"
#include "formats/image_row_reader.h"
#include "formats/transparency.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/raster/pixels.h"

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

// Writes the cells side by side into a fresh strip, exactly as drawing each cell with the
// canvas would (a source copy at scale 1, colours matched to the strip's table), but with one
// colour encoder for the whole strip instead of one per glyph. Cell by cell, so each cell's
// pixels are read while they are in the cache.
void DrawCellsSideBySide(const TImageList& list, const std::vector<int>& cells, TBitmap& strip) {
  const raster::Surface dst = strip.WritableSurface();
  const int size = list.Width();
  raster::ColorEncoder encoder(dst);
  std::vector<raster::ColorRef> colors(static_cast<std::size_t>(size));
  for (std::size_t k = 0; k < cells.size(); ++k) {
    const long long left = static_cast<long long>(k) * size;
    const bool aligned = (left * dst.BitCount) % 8 == 0;
    raster::Surface view = dst;
    if (aligned) {
      view.Bits = dst.Bits + static_cast<std::ptrdiff_t>(left * dst.BitCount / 8);
      view.Width = size;
    }
    const std::uint32_t* in = list.CellPixels(cells[k]);
    for (int y = 0; y < size; ++y, in += size) {
      for (int x = 0; x < size; ++x) {
        const std::uint32_t p = in[x];  // 0x00RRGGBB
        colors[static_cast<std::size_t>(x)] = ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
      }
      if (aligned) {
        raster::WriteRowColors(view, y, colors.data(), encoder);
      } else {
        for (int x = 0; x < size; ++x)
          raster::WriteValue(dst, static_cast<int>(left) + x, y, encoder.Encode(colors[static_cast<std::size_t>(x)]));
      }
    }
  }
  strip.Changed();
}

void DrawPart(TBitmap& strip, int x, const TBitmap& part) { strip.Canvas().Draw(x, 0, &part); }

// Combine keeps parts decoded while judging them up to these sizes (at 4 bytes a pixel, the
// most any store takes), so a folder of strips is read once without holding a large part twice.
constexpr std::size_t KeptPartBytes = std::size_t{1} << 20;
constexpr std::size_t KeptPartsBudget = std::size_t{64} << 20;

}  // namespace

void MakeSystemPaletteImage(TBitmap& image, int width, int height) {
  image.SetPixelFormat(TPixelFormat::pf4bit);
  image.SetWidth(width);
  image.SetHeight(height);
}

void OpenCollection(TGlyphCollection& collection, const std::string& fileName) {
  // Read and judge the strip before anything changes, so a bad file costs the user nothing.
  TBitmap strip;
  strip.LoadFromFile(fileName, collection.Options.Decode);
  if (strip.Empty() || strip.Width() < strip.Height()) throw EInvalidOperation(texts::InvalidImageSize);

  collection.ImageList1.Clear();
  TUpdateBracket bracket(collection.Items);
  collection.Items.Clear();
  collection.SetGlyphSize(strip.Height());
  collection.ApplyGlyphSize();
  collection.ImageList1.Add(strip);
  collection.RebuildNumberedItems();
  collection.StartFresh({});
  collection.MarkLoaded({TListSourceKind::File, fileName});
}

namespace {

// The cells side by side from the left of the strip: straight from their stores when every cell
// has one of the glyph size, else drawn one by one as the image list draws them.
void DrawCellsIntoStrip(const TGlyphCollection& collection, const std::vector<int>& cells, bool allCells,
                        TBitmap& strip) {
  if (allCells) {
    DrawCellsSideBySide(collection.ImageList1, cells, strip);
    return;
  }
  TCanvas& canvas = strip.Canvas();
  const int size = collection.GlyphSize();
  for (std::size_t k = 0; k < cells.size(); ++k)
    collection.ImageList1.Draw(canvas, static_cast<int>(k) * size, 0, cells[k]);
}

}  // namespace

bool MakeSelectionStrip(const TGlyphCollection& collection, TBitmap& strip) {
  const TListItems& items = collection.Items;
  const int selected = items.SelCount();
  if (selected == 0) return false;
  const int size = collection.GlyphSize();
  MakeSystemPaletteImage(strip, CheckedProduct(selected, size), size);
  std::vector<int> cells;
  cells.reserve(static_cast<std::size_t>(selected));
  bool allCells = collection.CellsMatchGlyphSize();
  for (int i = items.SelectedIndex(); i >= 0 && i < items.Count() && static_cast<int>(cells.size()) < selected; ++i) {
    const TListItem& item = items.Item(i);
    if (!item.Selected()) continue;
    cells.push_back(item.ImageIndex());
    allCells = allCells && collection.ImageList1.CellPixels(item.ImageIndex()) != nullptr;
  }
  DrawCellsIntoStrip(collection, cells, allCells, strip);
  AttachCellAlpha(collection.ImageList1, cells, collection.Options.Encode, strip);
  return true;
}

bool MakeWholeStrip(const TGlyphCollection& collection, TBitmap& strip) {
  const TListItems& items = collection.Items;
  const int count = items.Count();
  if (count == 0) return false;
  const int size = collection.GlyphSize();
  MakeSystemPaletteImage(strip, CheckedProduct(count, size), size);
  std::vector<int> cells;
  cells.reserve(static_cast<std::size_t>(count));
  bool allCells = collection.CellsMatchGlyphSize();
  for (int i = 0; i < count; ++i) {
    cells.push_back(items.Item(i).ImageIndex());
    allCells = allCells && collection.ImageList1.CellPixels(cells.back()) != nullptr;
  }
  DrawCellsIntoStrip(collection, cells, allCells, strip);
  AttachCellAlpha(collection.ImageList1, cells, collection.Options.Encode, strip);
  return true;
}

bool SaveCollection(const TGlyphCollection& collection, const std::string& fileName) {
  TBitmap strip;
  if (!MakeSelectionStrip(collection, strip)) return false;
  strip.SaveToFile(fileName, collection.Options.Encode);
  return true;
}

bool SaveDisabledStrip(const TGlyphCollection& collection, const std::string& fileName) {
  return SaveDisabledStrip(collection, fileName, collection.Options.Encode);
}

bool SaveDisabledStrip(const TGlyphCollection& collection, const std::string& fileName, const TEncodeOptions& options) {
  TBitmap strip, looks;
  if (!MakeSelectionStrip(collection, strip)) return false;
  MakeDisabledStrip(strip, collection.GlyphSize(), looks);
  looks.SaveToFile(fileName, options);
  return true;
}

void MakeGlyphImage(const TGlyphCollection& collection, int cellIndex, TBitmap& image) {
  const int size = collection.GlyphSize();
  MakeSystemPaletteImage(image, size, size);
  collection.ImageList1.Draw(image.Canvas(), 0, 0, cellIndex);
  const int cells[] = {cellIndex};
  AttachCellAlpha(collection.ImageList1, cells, collection.Options.Encode, image);
}

bool SaveWithConfirmation(TBitmap& image, const std::string& fileName, IDialogService& dialogs,
                          const TEncodeOptions& options) {
  if (FileExists(fileName) && dialogs.Confirm(texts::ReplaceExistingFile) != TDialogAnswer::Yes) return false;
  image.SaveToFile(fileName, options);
  return true;
}

bool ExportBitmap(const TGlyphCollection& collection, const std::string& fileName, IDialogService& dialogs) {
  return ExportBitmap(collection, fileName, dialogs, collection.Options.Encode);
}

bool ExportBitmap(const TGlyphCollection& collection, const std::string& fileName, IDialogService& dialogs,
                  const TEncodeOptions& options) {
  const TListItem* selected = collection.Items.Selected();
  if (!selected) return false;
  TBitmap glyph;
  MakeGlyphImage(collection, selected->ImageIndex(), glyph);
  return SaveWithConfirmation(glyph, fileName, dialogs, options);
}

void BuildCombinedStrip(const std::vector<std::string>& fileNames, TBitmap& result, const TDecodeOptions& options,
                        const TEncodeOptions& keys) {
  BuildCombinedStrip(fileNames, result, options, keys, {});
}

void BuildCombinedStrip(const std::vector<std::string>& fileNames, TBitmap& result, const TDecodeOptions& options,
                        const TEncodeOptions& keys, const TCombineInputs& inputs) {
  if (fileNames.empty()) throw EInvalidOperation(texts::SelectTwoOrMoreFiles);
  // Every file is judged by its headers before anything is drawn, so an unreadable one stops
  // the job early. Each is opened once and its head read once, which holds all of a small
  // file: small files (most strips) are decoded from those bytes then and kept, within a
  // budget, so they are read once; the rest are loaded again one at a time while drawing, so a
  // job holds the result, the kept parts and one part, however many files it joins.
  // The headers are read on every core, the files a run at a time, and then taken in order.
  const std::size_t count = fileNames.size();
  std::vector<int> widths(count), heights(count);
  std::vector<std::shared_ptr<TBitmapImage>> kept(count);
  // What the caller's judge refused (or the opening and first read that came before it), and
  // what the reader refused after: the first of the first kind stops the job before any of the
  // second, as judging every file before reading any would.
  std::vector<std::exception_ptr> refused(count), failed(count);
  // A file that a reader running beside others could not open, opened again alone.
  std::vector<std::uint8_t> openAlone(count, 0);
  std::atomic<std::size_t> keptBytes{0};
  const auto open = [&](std::size_t i, bool alone) {
    return inputs.Open ? inputs.Open(i, alone) : std::make_unique<files::TInputFile>(fileNames[i]);
  };
  const auto read = [&](TImageRowReader& reader, std::size_t i, bool alone) {
    const std::string& name = fileNames[i];
    refused[i] = failed[i] = nullptr;
    openAlone[i] = 0;
    bool judged = false;
    try {
      std::unique_ptr<files::TInputFile> file;
      try {
        file = AboutFile(name, [&] { return open(i, alone); });
      } catch (...) {
        if (alone) throw;
        openAlone[i] = 1;
        return;
      }
      AboutFile(name, [&] {
        reader.Open(std::move(file), [&](const files::TInputFile& held, std::span<const std::uint8_t> head) {
          if (inputs.Judge) inputs.Judge(i, held, head);
          judged = true;
        });
      });
      widths[i] = reader.Width();
      heights[i] = reader.Height();
      const std::size_t bytes = static_cast<std::size_t>(reader.Width()) * static_cast<std::size_t>(reader.Height()) * 4;
      if (bytes <= KeptPartBytes && keptBytes.fetch_add(bytes) + bytes <= KeptPartsBudget)
        kept[i] = AboutFile(name, [&] { return reader.TakeImage(); });
      else if (bytes <= KeptPartBytes)
        keptBytes.fetch_sub(bytes);
    } catch (...) {
      if (judged || !inputs.Judge) {
        failed[i] = std::current_exception();
        return;
      }
      // Nothing after a refused file need be read.
      refused[i] = std::current_exception();
      throw;
    }
  };
  // The first file gives the glyph size, and an icon among the others gives its picture of
  // that size (else its largest), as every job reads an icon.
  {
    TImageRowReader first(options);
    try {
      read(first, 0, true);
    } catch (...) {
    }
  }
  TDecodeOptions others = options;
  if (others.PreferredSize == 0 && !refused[0] && !failed[0]) others.PreferredSize = heights[0];
  if (!refused[0]) {
    ReadFilesOnCores(
        count - 1, [&others] { return std::make_unique<TImageRowReader>(others); },
        [&](TImageRowReader& reader, std::size_t i) { read(reader, i + 1, false); });
    // Files that are not regular ones (a pipe a person named) are taken in here, one after
    // another in their order, as are files a reader beside others could not open.
    TImageRowReader alone(others);
    for (std::size_t i = 1; i < count && !refused[i]; ++i) {
      if (!openAlone[i]) continue;
      try {
        read(alone, i, true);
      } catch (...) {
      }
    }
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (refused[i]) std::rethrow_exception(refused[i]);
    if (inputs.Judged) inputs.Judged(i);
  }
  long long totalWidth = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (failed[i]) std::rethrow_exception(failed[i]);
    totalWidth += widths[i];
    if (totalWidth > INT_MAX || raster::TooManyPixels(totalWidth, heights[0]))
      ThrowAboutFile(fileNames[i], EOutOfResources(texts::OutOfSystemResources));
  }
  // A kept part is what loading the file gives (nullptr for an empty file).
  TImageRowReader again(options);
  const auto load = [&](TBitmap& bitmap, std::size_t i) {
    if (kept[i] || widths[i] == 0) {
      bitmap.ReplaceImage(std::move(kept[i]));
      return;
    }
    AboutFile(fileNames[i], [&] {
      again.Open(open(i, true));
      bitmap.ReplaceImage(again.TakeImage());
    });
  };
  result.SetPixelFormat(TPixelFormat::pf4bit);
  load(result, 0);
  if (fileNames.size() == 1) return;

  // The parts that are alpha pictures, by where they stand: a strip joined from any makes an
  // alpha strip, made once every part is drawn.
  struct TAlphaPart {
    int Left = 0;
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;
  };
  std::vector<TAlphaPart> alphaParts;
  const auto keepAlpha = [&](int left, const TBitmap& part) {
    if (part.HasAlpha()) alphaParts.push_back({left, part.Width(), part.Height(), OwnPixels(part.Image())});
  };
  keepAlpha(0, result);

  // Widening the strip once per file would copy it again for every file. One widening gives
  // the same pixels, with one exception: a widening after the canvas exists resets a 1-bit
  // table to the canvas's colours. So a 1-bit strip is widened twice, before and after the
  // first drawing, as the one-by-one way does; its later widenings only repeat the second.
  const bool oneBit = !result.Image().DeviceDependent && result.Image().BitCount == 1;
  int x = result.Width();
  result.SetWidth(oneBit ? x + widths[1] : static_cast<int>(totalWidth));
  result.Canvas();  // the first drawing creates it
  for (std::size_t i = 1; i < fileNames.size(); ++i) {
    if (i == 2) result.SetWidth(static_cast<int>(totalWidth));
    TBitmap part;
    part.SetPixelFormat(TPixelFormat::pf4bit);
    load(part, i);
    keepAlpha(x, part);
    DrawPart(result, x, part);
    x += part.Width();
  }
  if (alphaParts.empty() || result.Empty()) return;
  // The key-colour parts' pixels with each glyph's key at alpha 0, as their PNG would have
  // them; the alpha parts' own pixels where they stand.
  TEncodeOptions cut = keys;
  cut.GlyphSize = 0;
  std::vector<std::uint32_t> pixels = KeyPixelsWithAlpha(result.Image().Surface(), cut);
  const int width = result.Width(), height = result.Height();
  for (const TAlphaPart& part : alphaParts) {
    const int columns = std::min(part.Width, width - part.Left), rows = std::min(part.Height, height);
    for (int y = 0; y < rows && columns > 0; ++y)
      std::copy_n(part.Pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(part.Width), columns,
                  pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(part.Left));
  }
  result.SetAlphaPixels(std::move(pixels));
}

void OpenCollectionCommand(TGlyphCollection& collection, IDialogService& dialogs) {
  TOpenFileRequest request;
  request.Filter = CollectionOpenFilter();
  request.MultiSelect = false;
  const auto names = dialogs.OpenFiles(request);
  if (!names || names->empty()) return;
  OpenCollection(collection, names->front());
}

namespace {
// The save dialog of the collection window: its one filter list, the given entry chosen.
TSaveFileRequest SaveRequest(int filterIndex, const char* defaultExtension) {
  TSaveFileRequest request;
  request.Filter = CollectionSaveFilter();
  request.FilterIndex = filterIndex;
  request.DefaultExtension = defaultExtension;
  return request;
}
}  // namespace

// The save dialog of the collection commands, starting where the list came from.
TSaveFileRequest CollectionSaveRequest(const TGlyphCollection& collection) {
  TSaveFileRequest request = SaveRequest(1, texts::CollectionExtension);
  const TListSource& source = collection.Source();
  if (source.Kind == TListSourceKind::File) {
    request.InitialName = source.Path;
  } else if (source.Kind == TListSourceKind::Folder) {
    request.InitialName = source.Path.empty() || source.Path.back() == '/' ? source.Path : source.Path + "/";
  }
  return request;
}

void SaveCollectionCommand(TGlyphCollection& collection, IDialogService& dialogs) {
  if (collection.Items.SelCount() == 0) return;
  const TSaveFileRequest request = CollectionSaveRequest(collection);
  const auto name = dialogs.SaveFile(request);
  if (!name) return;
  TBitmap strip;
  MakeSelectionStrip(collection, strip);
  // The file may hold more glyphs than the selection: replacing it is the user's call.
  if (!SaveWithConfirmation(strip, *name, dialogs, SaveOptionsOf(dialogs, request, collection.Options.Encode))) return;
  if (collection.Items.SelCount() == collection.Items.Count()) collection.MarkLoaded({TListSourceKind::File, *name});
}

bool SaveChangesCommand(TGlyphCollection& collection, IDialogService& dialogs) {
  if (!collection.Modified() || collection.Items.Count() == 0) return true;
  switch (dialogs.ConfirmWithCancel(texts::SaveChanges)) {
    case TDialogAnswer::No: return true;
    case TDialogAnswer::Cancel: return false;
    case TDialogAnswer::Yes: break;
  }
  return SaveWholeListCommand(collection, dialogs);
}

bool SaveWholeListCommand(TGlyphCollection& collection, IDialogService& dialogs) {
  const TSaveFileRequest request = CollectionSaveRequest(collection);
  const auto name = dialogs.SaveFile(request);
  if (!name) return false;
  TBitmap strip;
  MakeWholeStrip(collection, strip);
  if (!SaveWithConfirmation(strip, *name, dialogs, SaveOptionsOf(dialogs, request, collection.Options.Encode))) return false;
  collection.MarkLoaded({TListSourceKind::File, *name});
  return true;
}

void SaveDisabledStripCommand(const TGlyphCollection& collection, IDialogService& dialogs) {
  if (collection.Items.SelCount() == 0) return;
  const TSaveFileRequest request = SaveRequest(1, texts::CollectionExtension);
  const auto name = dialogs.SaveFile(request);
  if (!name) return;
  SaveDisabledStrip(collection, *name, SaveOptionsOf(dialogs, request, collection.Options.Encode));
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
  const TSaveFileRequest request = SaveRequest(2, texts::BitmapExtension);
  const auto name = dialogs.SaveFile(request);
  if (!name) return;
  ExportBitmap(collection, *name, dialogs, SaveOptionsOf(dialogs, request, collection.Options.Encode));
}

void CombineCollectionsCommand(IDialogService& dialogs, const TImageOptions& options) {
  TOpenFileRequest request;
  request.Filter = CollectionOpenFilter();
  request.MultiSelect = true;
  request.Title = texts::CombineOpenTitle;
  const auto names = dialogs.OpenFiles(request);
  if (!names) return;
  if (names->size() < 2) {
    dialogs.ShowMessage(texts::SelectTwoOrMoreFiles);
    return;
  }
  TBitmap combined;
  BuildCombinedStrip(*names, combined, options.Decode, options.Encode);
  TSaveFileRequest saveRequest = SaveRequest(1, texts::CollectionExtension);
  saveRequest.Title = texts::CombineSaveTitle;
  const auto output = dialogs.SaveFile(saveRequest);
  if (!output) return;
  SaveWithConfirmation(combined, *output, dialogs, SaveOptionsOf(dialogs, saveRequest, options.Encode));
}

}  // namespace gliffo
