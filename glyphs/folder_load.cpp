#include "glyphs/folder_load.h"

#include <climits>
#include <cstring>

#include "glyphs/bitmap.h"
#include "glyphs/collection_files.h"
#include "glyphs/glyph_list.h"
#include "glyphs/image_row_reader.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/raster/pixels.h"

namespace gliffo {

std::string FolderEntryPath(const std::string& folder, const std::string& name) { return folder + "/" + name; }

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
    TImageRowReader reader;

    for (const std::string& name : names) {
      // Judged by its headers: a file of another size is never decoded.
      const std::string path = FolderEntryPath(folder, name);
      AboutFile(path, [&] { reader.Open(path); });
      ++result.FilesRead;
      // A store without pixels (width 0) holds no glyph.
      if (reader.Empty() || reader.Height() != size || reader.Width() % size != 0) continue;
      image.ReplaceImage(AboutFile(path, [&] { return reader.TakeImage(); }));
      ++result.FilesAccepted;
      result.GlyphsAdded += image.Width() / size;
      collection.ImageList1.Add(image);
      for (int k = 0; k < image.Width() / size; ++k) origins.push_back({path, k});
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return result;
}

TFolderLoadResult GatherFolderStrip(const std::string& folder, const std::vector<std::string>& names, int size,
                                    TBitmap& strip) {
  TFolderLoadResult result;
  if (size < 1) throw EInvalidOperation(texts::InvalidImageSize);
  result.Ran = !names.empty();
  // The strip's own colours, from an image made as the saved strip is made.
  TBitmap colours;
  MakeSystemPaletteImage(colours, 1, 1);
  const raster::Surface palette = colours.WritableSurface();
  raster::ColorEncoder encoder(palette);

  // Glyph after glyph, each as size rows of 4-bit values: packed two to a byte when the size
  // is even, so that a glyph row lands whole bytes in the strip; one to a byte otherwise.
  const bool packed = size % 2 == 0;
  const std::size_t rowBytes = packed ? static_cast<std::size_t>(size) / 2 : static_cast<std::size_t>(size);
  const std::size_t glyphBytes = rowBytes * static_cast<std::size_t>(size);
  std::vector<std::uint8_t> glyphs;
  // Each file row matched into one 4-bit row in the strip's colours, then cut into glyphs.
  std::vector<std::uint8_t> matchedBits;
  raster::Surface matched = palette;
  matched.Height = 1;
  matched.BottomUp = false;
  TImageRowReader reader;
  int count = 0;
  for (const std::string& name : names) {
    const std::string path = FolderEntryPath(folder, name);
    AboutFile(path, [&] { reader.Open(path); });
    ++result.FilesRead;
    if (reader.Empty() || reader.Height() != size || reader.Width() % size != 0) continue;
    const int cells = reader.Width() / size;
    // The strip is one picture and meets the limit of one, before its glyphs are gathered.
    if (cells > INT_MAX - count || raster::TooManyPixels(std::int64_t{count + cells} * size, size))
      ThrowAboutFile(path, EOutOfResources(texts::OutOfSystemResources));
    ++result.FilesAccepted;
    result.GlyphsAdded += cells;
    const std::size_t first = glyphs.size();
    try {
      glyphs.resize(first + glyphBytes * static_cast<std::size_t>(cells));
      matchedBits.resize((static_cast<std::size_t>(reader.Width()) + 1) / 2);
    } catch (const std::bad_alloc&) {
      throw EOutOfResources(texts::OutOfSystemResources);
    }
    matched.Bits = matchedBits.data();
    matched.Width = reader.Width();
    matched.Stride = static_cast<std::ptrdiff_t>(matchedBits.size());
    std::uint8_t* const glyphsOfFile = glyphs.data() + first;
    AboutFile(path, [&] {
      reader.ForEachBand(std::size_t{1} << 20, [&](const raster::Surface& band, int firstRow) {
        // A 4-bit file in the strip's own colours (most glyph files) keeps its bytes.
        bool sameValues = packed && band.BitCount == 4;
        for (int i = 0; i < 16 && sameValues; ++i)
          sameValues = i < band.TableSize && encoder.Encode(raster::ToColorRef(band.Table[i])) == static_cast<std::uint32_t>(i);
        for (int y = 0; y < band.Height; ++y) {
          const std::uint8_t* row = band.Row(y);
          if (!sameValues) {
            raster::CopyRowColors(band, y, matched, 0, encoder);
            row = matchedBits.data();
          }
          const std::size_t at = static_cast<std::size_t>(firstRow + y) * rowBytes;
          for (int k = 0; k < cells; ++k) {
            std::uint8_t* out = glyphsOfFile + static_cast<std::size_t>(k) * glyphBytes + at;
            if (packed) {
              std::memcpy(out, row + static_cast<std::size_t>(k) * rowBytes, rowBytes);
            } else {
              for (int x = 0; x < size; ++x) out[x] = static_cast<std::uint8_t>(raster::ReadValue(matched, k * size + x, 0));
            }
          }
        }
      });
    });
    count += cells;
  }
  if (count == 0) {
    strip.Assign(nullptr);
    return result;
  }
  if (static_cast<long long>(count) * size > INT_MAX) throw EOutOfResources(texts::OutOfSystemResources);
  TBitmap made;
  MakeSystemPaletteImage(made, count * size, size);
  const raster::Surface dst = made.WritableSurface();
  for (int y = 0; y < size; ++y) {
    std::uint8_t* row = dst.Row(y);
    for (int k = 0; k < count; ++k) {
      const std::uint8_t* in = glyphs.data() + static_cast<std::size_t>(k) * glyphBytes + static_cast<std::size_t>(y) * rowBytes;
      if (packed) {
        std::memcpy(row + static_cast<std::size_t>(k) * rowBytes, in, rowBytes);
      } else {
        for (int x = 0; x < size; ++x) raster::WriteValue(dst, k * size + x, y, in[x]);
      }
    }
  }
  made.Changed();
  strip.Assign(&made);
  return result;
}

}  // namespace gliffo
