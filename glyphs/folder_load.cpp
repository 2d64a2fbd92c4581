#include "glyphs/folder_load.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

#include "glyphs/bitmap.h"
#include "glyphs/collection_files.h"
#include "glyphs/file_runs.h"
#include "glyphs/glyph_list.h"
#include "formats/image_row_reader.h"
#include "formats/transparency.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/raster/pixels.h"

namespace gliffo {

std::string FolderEntryPath(const std::string& folder, const std::string& name) { return folder + "/" + name; }

namespace {

// Files whose pictures are read ahead on every core before the list takes them, in order. The
// pictures held at once are those of one batch, at most what the list itself will hold of them.
constexpr std::size_t FolderBatch = 1024;

}  // namespace

TFolderLoadResult LoadFolder(TGlyphCollection& collection, const std::string& folder,
                             const std::vector<std::string>& names) {
  TFolderLoadResult result;
  if (names.empty()) return result;
  result.Ran = true;

  const int size = collection.GlyphSize();
  collection.ImageList1.Clear();
  collection.Items.BeginUpdate();
  // Whatever happens below, the items end up numbered for the cells the list holds and the
  // bracket closed, so the view shows exactly what was loaded.
  // Each glyph read is known by its file and place, even when a later file stops the load.
  std::vector<TGlyphOrigin> origins;
  auto finish = [&] {
    collection.StartFresh(std::move(origins));
    collection.RebuildNumberedItems();
    collection.Items.EndUpdate();
    collection.ApplyGlyphSize();
  };
  try {
    collection.Items.Clear();
    // Whatever the files give, the list now holds nothing but what is in the folder.
    collection.MarkLoaded({TListSourceKind::Folder, folder});
    collection.ImageList1.SetHeight(size);
    collection.ImageList1.SetWidth(size);
    TBitmap image;
    const TDecodeOptions options = collection.Options.DecodeAt(size);
    // Each batch is read on every core, then taken in name order as one reader would take
    // it: the counts, and the first file that cannot be read, are the same.
    std::vector<std::shared_ptr<TBitmapImage>> pictures;
    std::vector<std::uint8_t> opened;
    for (std::size_t first = 0; first < names.size(); first += FolderBatch) {
      const std::size_t count = std::min(FolderBatch, names.size() - first);
      pictures.assign(count, nullptr);
      opened.assign(count, 0);
      const std::vector<std::exception_ptr> errors = ReadFilesOnCores(
          count, [&] { return std::make_unique<TImageRowReader>(options); },
          [&](TImageRowReader& reader, std::size_t i) {
            // Judged by its headers: a file of another size is never decoded.
            const std::string path = FolderEntryPath(folder, names[first + i]);
            AboutFile(path, [&] { reader.Open(path, size); });
            opened[i] = 1;
            // A store without pixels (width 0) holds no glyph.
            if (reader.Empty() || reader.Height() != size || reader.Width() % size != 0) return;
            pictures[i] = AboutFile(path, [&] { return reader.TakeImage(); });
          });
      for (std::size_t i = 0; i < count; ++i) {
        if (opened[i]) ++result.FilesRead;
        if (errors[i]) std::rethrow_exception(errors[i]);
        if (!pictures[i]) continue;
        const std::string path = FolderEntryPath(folder, names[first + i]);
        image.ReplaceImage(std::move(pictures[i]));
        ++result.FilesAccepted;
        result.GlyphsAdded += image.Width() / size;
        collection.ImageList1.Add(image);
        for (int k = 0; k < image.Width() / size; ++k) origins.push_back({path, k});
      }
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return result;
}

namespace {

// A run of the folder's files as one worker gathers them: the glyphs they hold in the strip's
// 4-bit values, glyph after glyph, and how many glyphs each file gave (0 for a file not taken).
// A run ends at the first file that cannot be read (Error is about file First + Cells.size()),
// or, with neither error nor every file read, where the whole gather reached the picture limit.
struct TGatherRun {
  std::size_t First = 0, End = 0;
  std::vector<std::uint8_t> Glyphs;
  std::vector<int> Cells;
  // When alpha is kept: for each glyph of the run, where its own pixels stand in AlphaGlyphs
  // (in glyphs of size × size), or -1 for a key-colour glyph.
  std::vector<int> AlphaOf;
  std::vector<std::uint32_t> AlphaGlyphs;
  std::exception_ptr Error;
  bool Whole() const { return !Error && First + Cells.size() == End; }
};

// What one thread needs to cut files into 4-bit glyphs: its reader, a colour matcher and a row.
class TGlyphCutter {
 public:
  TGlyphCutter(int size, const raster::Surface& palette, const TDecodeOptions& options, bool keepAlpha)
      : size_(size),
        keepAlpha_(keepAlpha),
        packed_(size % 2 == 0),
        rowBytes_(packed_ ? static_cast<std::size_t>(size) / 2 : static_cast<std::size_t>(size)),
        glyphBytes_(rowBytes_ * static_cast<std::size_t>(size)),
        reader_(options),
        encoder_(palette),
        matched_(palette) {
    matched_.Height = 1;
    matched_.BottomUp = false;
  }
  std::size_t RowBytes() const { return rowBytes_; }
  std::size_t GlyphBytes() const { return glyphBytes_; }
  bool Packed() const { return packed_; }

  // Reads the run's files from where it stands, in order. Each file that would bring the
  // cells taken by every run together (taken) past the picture limit is left to the caller,
  // which knows the order: the run then stops, neither whole nor failed.
  void Go(const std::string& folder, const std::vector<std::string>& names, TGatherRun& run,
          std::atomic<std::int64_t>& taken) {
    try {
      for (std::size_t i = run.First + run.Cells.size(); i < run.End; ++i) {
        const std::string path = FolderEntryPath(folder, names[i]);
        AboutFile(path, [&] { reader_.Open(path, size_); });
        if (reader_.Empty() || reader_.Height() != size_ || reader_.Width() % size_ != 0) {
          run.Cells.push_back(0);
          continue;
        }
        const int cells = reader_.Width() / size_;
        const std::int64_t before = taken.fetch_add(cells);
        if (raster::TooManyPixels((before + cells) * size_, size_)) {
          taken.fetch_sub(cells);
          return;
        }
        Cut(path, cells, run);
        run.Cells.push_back(cells);
      }
    } catch (...) {
      run.Error = std::current_exception();
    }
  }

 private:
  // Each file row matched into one 4-bit row in the strip's colours, then cut into glyphs.
  void Cut(const std::string& path, int cells, TGatherRun& run) {
    std::vector<std::uint8_t>& glyphs = run.Glyphs;
    const std::size_t first = glyphs.size();
    try {
      glyphs.resize(first + glyphBytes_ * static_cast<std::size_t>(cells));
      matchedBits_.resize((static_cast<std::size_t>(reader_.Width()) + 1) / 2);
    } catch (const std::bad_alloc&) {
      ThrowAboutFile(path, EOutOfResources(texts::OutOfSystemResources));
    }
    matched_.Bits = matchedBits_.data();
    matched_.Width = reader_.Width();
    matched_.Stride = static_cast<std::ptrdiff_t>(matchedBits_.size());
    std::uint8_t* const glyphsOfFile = glyphs.data() + first;
    AboutFile(path, [&] {
      if (!keepAlpha_ || !reader_.MayHaveAlpha()) {
        reader_.ForEachBand(std::size_t{1} << 20, [&](const raster::Surface& band, int firstRow) {
          CutBand(band, firstRow, cells, glyphsOfFile);
        });
        if (keepAlpha_) run.AlphaOf.insert(run.AlphaOf.end(), static_cast<std::size_t>(cells), -1);
        return;
      }
      // The whole picture, for its own pixels beside the store.
      const std::shared_ptr<TBitmapImage> image = reader_.TakeImage();
      CutBand(image->Surface(), 0, cells, glyphsOfFile);
      for (int k = 0; k < cells; ++k) {
        if (!image->HasAlpha()) {
          run.AlphaOf.push_back(-1);
          continue;
        }
        run.AlphaOf.push_back(static_cast<int>(run.AlphaGlyphs.size() / (static_cast<std::size_t>(size_) * size_)));
        const std::vector<std::uint32_t> own = AlphaPixelsOfArea(*image, k * size_, 0, size_, size_);
        run.AlphaGlyphs.insert(run.AlphaGlyphs.end(), own.begin(), own.end());
      }
    });
  }

  void CutBand(const raster::Surface& band, int firstRow, int cells, std::uint8_t* glyphsOfFile) {
    // A 4-bit file in the strip's own colours (most glyph files) keeps its bytes.
    bool sameValues = packed_ && band.BitCount == 4;
    for (int i = 0; i < 16 && sameValues; ++i)
      sameValues = i < band.TableSize && encoder_.Encode(raster::ToColorRef(band.Table[i])) == static_cast<std::uint32_t>(i);
    for (int y = 0; y < band.Height; ++y) {
      const std::uint8_t* row = band.Row(y);
      if (!sameValues) {
        raster::CopyRowColors(band, y, matched_, 0, encoder_);
        row = matchedBits_.data();
      }
      const std::size_t at = static_cast<std::size_t>(firstRow + y) * rowBytes_;
      for (int k = 0; k < cells; ++k) {
        std::uint8_t* out = glyphsOfFile + static_cast<std::size_t>(k) * glyphBytes_ + at;
        if (packed_) {
          std::memcpy(out, row + static_cast<std::size_t>(k) * rowBytes_, rowBytes_);
        } else {
          for (int x = 0; x < size_; ++x) out[x] = static_cast<std::uint8_t>(raster::ReadValue(matched_, k * size_ + x, 0));
        }
      }
    }
  }

  int size_;
  bool keepAlpha_;
  bool packed_;
  std::size_t rowBytes_, glyphBytes_;
  TImageRowReader reader_;
  raster::ColorEncoder encoder_;
  std::vector<std::uint8_t> matchedBits_;
  raster::Surface matched_;
};

}  // namespace

TFolderLoadResult GatherFolderStrip(const std::string& folder, const std::vector<std::string>& names, int size,
                                    const TDecodeOptions& options, TBitmap& strip, const TEncodeOptions* keepAlpha) {
  TFolderLoadResult result;
  if (size < 1) throw EInvalidOperation(texts::InvalidImageSize);
  result.Ran = !names.empty();
  // The strip's own colours, from an image made as the saved strip is made.
  TBitmap colours;
  MakeSystemPaletteImage(colours, 1, 1);
  const raster::Surface palette = colours.WritableSurface();

  // Glyph after glyph, each as size rows of 4-bit values: packed two to a byte when the size
  // is even, so that a glyph row lands whole bytes in the strip; one to a byte otherwise.
  // Runs of files are read by as many threads as there are cores (reading glyph files is
  // mostly waiting on the system and inflating), then taken in order, as one thread would.
  std::vector<TGatherRun> runs(RunCount(names.size()));
  for (std::size_t r = 0; r < runs.size(); ++r) {
    runs[r].First = r * RunFiles;
    runs[r].End = std::min(names.size(), runs[r].First + RunFiles);
  }
  std::atomic<std::int64_t> taken{0};
  ReadRunsOnCores(
      runs.size(), [&] { return std::make_unique<TGlyphCutter>(size, palette, options, keepAlpha != nullptr); },
      [&](TGlyphCutter& cutter, std::size_t r) {
        cutter.Go(folder, names, runs[r], taken);
        return runs[r].Whole();
      });
  TGlyphCutter cutter(size, palette, options, keepAlpha != nullptr);

  // In name order: the counts, the picture limit, and the first error, as one thread meets them.
  int count = 0;
  for (TGatherRun& run : runs) {
    if (!run.Whole()) {
      // Stopped short, by the limit counted over runs read out of order, or by a file a thread
      // could not read, perhaps only for want of a descriptor the other threads held: read on
      // alone from there, counting in order. A file that fails again keeps its error.
      std::int64_t inOrder = count;
      std::size_t cellsRead = 0;
      for (const int cells : run.Cells) cellsRead += static_cast<std::size_t>(cells);
      inOrder += static_cast<std::int64_t>(cellsRead);
      run.Glyphs.resize(cellsRead * cutter.GlyphBytes());  // nothing of a file cut short
      run.Error = nullptr;
      taken = inOrder;
      cutter.Go(folder, names, run, taken);
    }
    for (std::size_t k = 0; k < run.Cells.size(); ++k) {
      const std::string path = FolderEntryPath(folder, names[run.First + k]);
      ++result.FilesRead;
      const int cells = run.Cells[k];
      if (cells == 0) continue;
      // The strip is one picture and meets the limit of one, before its glyphs are gathered.
      if (cells > INT_MAX - count || raster::TooManyPixels(std::int64_t{count + cells} * size, size))
        ThrowAboutFile(path, EOutOfResources(texts::OutOfSystemResources));
      ++result.FilesAccepted;
      result.GlyphsAdded += cells;
      count += cells;
    }
    if (run.Error) std::rethrow_exception(run.Error);
    if (!run.Whole()) {
      // Past the limit even in order: the file the run stopped at is the one.
      ThrowAboutFile(FolderEntryPath(folder, names[run.First + run.Cells.size()]),
                     EOutOfResources(texts::OutOfSystemResources));
    }
  }
  if (count == 0) {
    strip.Assign(nullptr);
    return result;
  }
  if (static_cast<long long>(count) * size > INT_MAX) throw EOutOfResources(texts::OutOfSystemResources);
  TBitmap made;
  MakeSystemPaletteImage(made, count * size, size);
  const raster::Surface dst = made.WritableSurface();
  const std::size_t rowBytes = cutter.RowBytes(), glyphBytes = cutter.GlyphBytes();
  for (int y = 0; y < size; ++y) {
    std::uint8_t* row = dst.Row(y);
    int k = 0;
    for (const TGatherRun& run : runs) {
      const std::size_t glyphsOfRun = run.Glyphs.size() / glyphBytes;
      for (std::size_t g = 0; g < glyphsOfRun; ++g, ++k) {
        const std::uint8_t* in = run.Glyphs.data() + g * glyphBytes + static_cast<std::size_t>(y) * rowBytes;
        if (cutter.Packed()) {
          std::memcpy(row + static_cast<std::size_t>(k) * rowBytes, in, rowBytes);
        } else {
          for (int x = 0; x < size; ++x) raster::WriteValue(dst, k * size + x, y, in[x]);
        }
      }
    }
  }
  made.Changed();
  bool anyAlpha = false;
  for (const TGatherRun& run : runs) anyAlpha = anyAlpha || !run.AlphaGlyphs.empty();
  if (anyAlpha) {
    // An alpha strip: the key-colour glyphs with their keys at alpha 0, the alpha ones as read.
    TEncodeOptions cut = *keepAlpha;
    cut.GlyphSize = size;
    std::vector<std::uint32_t> pixels = KeyPixelsWithAlpha(made.Image().Surface(), cut);
    const std::size_t width = static_cast<std::size_t>(count) * static_cast<std::size_t>(size);
    const std::size_t glyphPixels = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
    std::size_t k = 0;
    for (const TGatherRun& run : runs)
      for (const int at : run.AlphaOf) {
        if (at >= 0)
          for (int y = 0; y < size; ++y)
            std::copy_n(run.AlphaGlyphs.data() + static_cast<std::size_t>(at) * glyphPixels + static_cast<std::size_t>(y) * size, size,
                        pixels.data() + static_cast<std::size_t>(y) * width + k * static_cast<std::size_t>(size));
        ++k;
      }
    made.SetAlphaPixels(std::move(pixels));
  }
  strip.Assign(&made);
  return result;
}

}  // namespace gliffo
