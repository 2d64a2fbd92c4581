#pragma once
// The image list: equal cells of Width × Height pixels in the device-dependent format
// (32 bits, blue-green-red with the fourth byte 0, top row first), opaque and unmasked. A cell
// cut from an alpha picture (formats/bitmap_image.h) also keeps its own pixels, colour and
// alpha, beside it; the cell itself is the key-colour picture as always.
//
// Cells live in fixed-size chunks, so adding costs amortised constant time per cell whatever
// AllocBy says, and a cell's pixels never move while the list holds it (only Clear and a
// change of the cell size free them).
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "formats/image_options.h"
#include "platform/raster/pixels.h"

namespace gliffo {

class TBitmap;
class TCanvas;

enum class TImageListChangeKind {
  Added,     // cells First .. First + Count - 1 were appended
  Replaced,  // cell First changed its pixels
  Cleared,   // every cell is gone (Count is how many there were)
  Resized    // the cell size changed; the list is empty (Count is how many cells were dropped)
};

struct TImageListChange {
  TImageListChangeKind Kind = TImageListChangeKind::Added;
  int First = 0;
  int Count = 0;
};

// Views that show the list register here and are told about every change.
class IImageListListener {
 public:
  virtual ~IImageListListener() = default;
  virtual void ImageListChanged(const TImageListChange& change) = 0;
};

class TImageList {
 public:
  TImageList();
  ~TImageList();
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // The same value as now keeps every cell; another value empties the list. A value below 1
  // raises EInvalidOperation "Invalid image size" and changes nothing.
  void SetWidth(int value);
  void SetHeight(int value);
  // Kept for the window's settings; growth does not depend on it.
  int AllocBy() const { return allocBy_; }
  void SetAllocBy(int value) { if (value > 0) allocBy_ = value; }
  bool Masked() const { return false; }

  int Count() const { return count_; }

  // Cuts the image from the left into (image width div Width) cells and appends them; columns
  // beyond the last whole cell are dropped. Returns the index of the first new cell, or -1
  // when nothing was added. An image lower or narrower than a cell raises EInvalidOperation
  // "Invalid image size" and changes nothing.
  int Add(const TBitmap& image);
  // Appends cells given as Width × Height pixels each, one after the other, in the cells' own
  // format (as CellPixels gives them). Returns the index of the first, or -1 for none.
  int AddCells(const std::uint32_t* pixels, int cells);
  // The cell takes the top-left cell-sized part of the image. "Invalid image size" as Add;
  // EInvalidOperation "Unable to Replace Image" for an index that holds no cell.
  void Replace(int index, const TBitmap& image);
  // Copies the cell unscaled and opaque onto the canvas with its top-left corner at (x, y),
  // with the canvas's copy mode, clipped, colours matched to an indexed target. An index that
  // holds no cell draws nothing.
  void Draw(TCanvas& canvas, int x, int y, int index) const;
  // Removes every cell; on an empty list nothing happens and nothing is reported.
  void Clear();

  // A read-only view of one cell for painting: 32-bit rows, top row first, stride Width × 4.
  // Valid until the cell is removed (Clear, size change); an invalid index gives an empty view.
  raster::Surface Cell(int index) const;
  // The same pixels as a pointer to Height rows of Width 32-bit values (0x00RRGGBB in memory
  // order blue, green, red, 0); nullptr for an invalid index.
  const std::uint32_t* CellPixels(int index) const;
  // A cell's own pixels with alpha (Width × Height values 0xAARRGGBB, top row first), nullptr
  // for a key-colour cell or an invalid index; valid until the cell is replaced or removed.
  const std::uint32_t* CellAlphaPixels(int index) const;
  // Gives a cell its own pixels with alpha, or takes them away (none given); the cell's pixels
  // stay as they are. Nothing happens for an invalid index or a count that does not fit.
  void SetCellAlpha(int index, std::vector<std::uint32_t> pixels);

  void AddListener(IImageListListener* listener);
  void RemoveListener(IImageListListener* listener);

 private:
  std::uint32_t* CellAt(int index) const;
  std::uint32_t* AppendCell();
  void ReserveCells(int cells);
  void CheckImageSize(const TBitmap& image) const;
  void Reset(int width, int height);
  void Notify(TImageListChangeKind kind, int first, int count);

  int width_ = 16;
  int height_ = 16;
  int allocBy_ = 4;
  int count_ = 0;
  int cellsPerChunk_ = 1;
  struct ChunkFree {
    void operator()(std::uint32_t* p) const;
  };
  std::vector<std::unique_ptr<std::uint32_t[], ChunkFree>> chunks_;
  // Cells' own pixels with alpha, by cell; empty while no cell has any.
  std::vector<std::vector<std::uint32_t>> alpha_;
  void KeepAlphaOf(int first, int cells, const TBitmap& image);
  std::vector<IImageListListener*> listeners_;
};

// A strip drawn from these cells of the list, side by side from its left, becomes an alpha
// picture when any of them has its own pixels: theirs, and the other cells' as drawn with each
// glyph's key at alpha 0 (unless the options ask for every pixel opaque). Nothing changes when
// none has them.
void AttachCellAlpha(const TImageList& list, std::span<const int> cells, const TEncodeOptions& keys, TBitmap& strip);

}  // namespace gliffo
