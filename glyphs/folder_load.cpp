#include "glyphs/folder_load.h"

#include "glyphs/bitmap.h"
#include "glyphs/glyph_list.h"

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

}  // namespace gliffo
