#include "glyphs/folder_load.h"

#include <climits>
#include <cstring>

#include "glyphs/bitmap.h"
#include "glyphs/bmp_file.h"
#include "glyphs/collection_files.h"
#include "glyphs/glyph_list.h"
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
  auto finish = [&] {
    collection.RebuildNumberedItems();
    collection.Items.EndUpdate();
    collection.ApplyGlyphSize();
  };
  try {
    collection.Items.Clear();
    collection.ImageList1.SetHeight(size);
    collection.ImageList1.SetWidth(size);
    TBitmap image;
    for (const std::string& name : names) {
      image.LoadFromFile(FolderEntryPath(folder, name));
      ++result.FilesRead;
      // A store without pixels (width 0) holds no glyph.
      if (image.Empty() || image.Height() != size || image.Width() % size != 0) continue;
      ++result.FilesAccepted;
      result.GlyphsAdded += image.Width() / size;
      collection.ImageList1.Add(image);
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
  std::vector<std::uint8_t> values;
  std::vector<raster::ColorRef> colors;
  std::uint8_t indexValue[256];
  bmp::TBmpRowReader reader;
  int count = 0;
  for (const std::string& name : names) {
    const std::string path = FolderEntryPath(folder, name);
    AboutFile(path, [&] { reader.Open(path); });
    ++result.FilesRead;
    if (reader.Empty() || reader.Height() != size || reader.Width() % size != 0) continue;
    const int cells = reader.Width() / size;
    if (cells > INT_MAX - count) throw EOutOfResources(texts::OutOfSystemResources);
    ++result.FilesAccepted;
    result.GlyphsAdded += cells;
    const std::size_t first = glyphs.size();
    try {
      glyphs.resize(first + glyphBytes * static_cast<std::size_t>(cells));
    } catch (const std::bad_alloc&) {
      throw EOutOfResources(texts::OutOfSystemResources);
    }
    values.resize(static_cast<std::size_t>(reader.Width()));
    colors.resize(static_cast<std::size_t>(reader.Width()));
    bool tableMapped = false, sameValues = false;
    AboutFile(path, [&] {
      reader.ForEachBand(std::size_t{1} << 20, [&](const raster::Surface& band, int firstRow) {
        // An indexed file's colours are matched once per table entry, not once per pixel.
        if (band.Indexed() && !tableMapped) {
          const int entries = 1 << band.BitCount;
          for (int i = 0; i < entries; ++i)
            indexValue[i] = static_cast<std::uint8_t>(
                encoder.Encode(i < band.TableSize ? raster::ToColorRef(band.Table[i]) : raster::ColorRef{0}));
          tableMapped = true;
          // A 4-bit file in the strip's own colours (most glyph files) keeps its bytes.
          sameValues = band.BitCount == 4 && packed;
          for (int i = 0; i < 16 && sameValues; ++i) sameValues = indexValue[i] == i;
        }
        if (sameValues) {
          const std::size_t row0 = static_cast<std::size_t>(firstRow);
          for (int y = 0; y < band.Height; ++y)
            for (int k = 0; k < cells; ++k)
              std::memcpy(glyphs.data() + first + static_cast<std::size_t>(k) * glyphBytes + (row0 + static_cast<std::size_t>(y)) * rowBytes,
                          band.Row(y) + static_cast<std::size_t>(k) * rowBytes, rowBytes);
          return;
        }
        for (int y = 0; y < band.Height; ++y) {
          std::uint8_t* v = values.data();
          const int width = band.Width;
          const std::uint8_t* in = band.Row(y);
          if (band.BitCount == 8) {
            for (int x = 0; x < width; ++x) v[x] = indexValue[in[x]];
          } else if (band.BitCount == 4) {
            for (int x = 0; x < width; ++x) v[x] = indexValue[(x & 1) ? (in[x >> 1] & 0x0F) : (in[x >> 1] >> 4)];
          } else if (band.BitCount == 1) {
            for (int x = 0; x < width; ++x) v[x] = indexValue[(in[x >> 3] >> (7 - (x & 7))) & 1];
          } else {
            raster::ReadRowColors(band, y, colors.data());
            for (int x = 0; x < width; ++x) v[x] = static_cast<std::uint8_t>(encoder.Encode(colors[static_cast<std::size_t>(x)]));
          }
          const std::size_t row = static_cast<std::size_t>(firstRow + y);
          for (int k = 0; k < cells; ++k) {
            std::uint8_t* out = glyphs.data() + first + static_cast<std::size_t>(k) * glyphBytes + row * rowBytes;
            const std::uint8_t* from = v + static_cast<std::ptrdiff_t>(k) * size;
            if (packed) {
              for (std::size_t i = 0; i < rowBytes; ++i)
                out[i] = static_cast<std::uint8_t>((from[2 * i] << 4) | from[2 * i + 1]);
            } else {
              std::memcpy(out, from, rowBytes);
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
