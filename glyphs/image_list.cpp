#include "glyphs/image_list.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <cstdlib>
#include <new>

#include <sys/mman.h>

#include "glyphs/bitmap.h"
#include "glyphs/canvas.h"
#include "glyphs/strings.h"
#include "formats/transparency.h"
#include "platform/errors.h"

namespace gliffo {

namespace {

// 2 MiB of pixels per chunk, aligned so the kernel can back it with one huge page: a folder of
// thousands of glyphs then costs a handful of page faults instead of one per 4 KiB.
constexpr std::size_t ChunkAlignment = std::size_t{2} << 20;
constexpr std::int64_t ChunkPixels = ChunkAlignment / sizeof(std::uint32_t);

// Chunk memory is not cleared: every cell is written whole before it can be read.
std::uint32_t* AllocateChunk(std::int64_t pixels) {
  const std::size_t bytes = (static_cast<std::size_t>(pixels) * sizeof(std::uint32_t) + ChunkAlignment - 1) / ChunkAlignment * ChunkAlignment;
  void* memory = std::aligned_alloc(ChunkAlignment, bytes);
  if (!memory) throw std::bad_alloc();
  ::madvise(memory, bytes, MADV_HUGEPAGE);
  return static_cast<std::uint32_t*>(memory);
}

std::uint32_t ToDevicePixel(raster::ColorRef color) {
  // 0x00BBGGRR to the store's blue, green, red, 0 byte order (0x00RRGGBB as a number).
  return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

bool PlainDeviceRows(const raster::Surface& s) {
  return s.BitCount == 32 && s.RedMask == 0 && s.GreenMask == 0 && s.BlueMask == 0;
}

// Copies cells [0, cellCount) side by side from the source's top-left corner, converting to the
// device-dependent format. Each source row is read once, however many cells it feeds.
void CopyIntoCells(const std::function<std::uint32_t*(int)>& cellAt, int cellCount, int width, int height,
                   const raster::Surface& src) {
  const bool plain = PlainDeviceRows(src);
  // Indexed rows: the table converted once, not once per row (glyph files are mostly 4-bit).
  std::uint32_t lookup[256] = {};
  if (src.Indexed())
    for (int i = 0; i < std::min(src.TableSize, 256); ++i) lookup[i] = ToDevicePixel(raster::ToColorRef(src.Table[i]));
  std::vector<std::uint32_t> converted;
  if (!plain) converted.resize(static_cast<std::size_t>(cellCount) * static_cast<std::size_t>(width));
  std::vector<raster::ColorRef> colors;
  if (!plain && !src.Indexed()) colors.resize(static_cast<std::size_t>(src.Width));
  const int used = cellCount * width;
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = nullptr;
    const std::uint8_t* bytes = src.Row(y);
    if (plain) {
      row = reinterpret_cast<const std::uint32_t*>(bytes);
    } else if (src.Indexed()) {
      std::uint32_t* out = converted.data();
      if (src.BitCount == 8) {
        for (int x = 0; x < used; ++x) out[x] = lookup[bytes[x]];
      } else if (src.BitCount == 4) {
        for (int x = 0; x < used; ++x) out[x] = lookup[(x & 1) ? (bytes[x >> 1] & 0x0F) : (bytes[x >> 1] >> 4)];
      } else {
        for (int x = 0; x < used; ++x) out[x] = lookup[(bytes[x >> 3] >> (7 - (x & 7))) & 1];
      }
      row = out;
    } else {
      raster::ReadRowColors(src, y, colors.data());
      for (int x = 0; x < used; ++x) converted[static_cast<std::size_t>(x)] = ToDevicePixel(colors[static_cast<std::size_t>(x)]);
      row = converted.data();
    }
    for (int k = 0; k < cellCount; ++k) {
      std::uint32_t* out = cellAt(k) + static_cast<std::ptrdiff_t>(y) * width;
      const std::uint32_t* in = row + static_cast<std::ptrdiff_t>(k) * width;
      // The fourth byte of a plain 32-bit row is not colour.
      if (plain) {
        for (int x = 0; x < width; ++x) out[x] = in[x] & 0x00FFFFFFu;
      } else {
        std::memcpy(out, in, static_cast<std::size_t>(width) * sizeof(std::uint32_t));
      }
    }
  }
}

}  // namespace

TImageList::TImageList() { Reset(16, 16); }
TImageList::~TImageList() = default;

void TImageList::ChunkFree::operator()(std::uint32_t* p) const { std::free(p); }

void TImageList::Reset(int width, int height) {
  chunks_.clear();
  alpha_.clear();
  count_ = 0;
  width_ = width;
  height_ = height;
  const std::int64_t cellPixels = std::int64_t{width} * height;
  cellsPerChunk_ = static_cast<int>(std::max<std::int64_t>(1, ChunkPixels / cellPixels));
}

void TImageList::SetWidth(int value) {
  if (value == width_) return;
  if (value < 1) throw EInvalidOperation(texts::InvalidImageSize);
  const int dropped = count_;
  Reset(value, height_);
  Notify(TImageListChangeKind::Resized, 0, dropped);
}

void TImageList::SetHeight(int value) {
  if (value == height_) return;
  if (value < 1) throw EInvalidOperation(texts::InvalidImageSize);
  const int dropped = count_;
  Reset(width_, value);
  Notify(TImageListChangeKind::Resized, 0, dropped);
}

std::uint32_t* TImageList::CellAt(int index) const {
  if (index < 0 || index >= count_) return nullptr;
  const auto chunk = static_cast<std::size_t>(index / cellsPerChunk_);
  const std::int64_t offset = std::int64_t{index % cellsPerChunk_} * width_ * height_;
  return chunks_[chunk].get() + offset;
}

void TImageList::CheckImageSize(const TBitmap& image) const {
  if (image.Empty() || image.Height() < height_ || image.Width() < width_)
    throw EInvalidOperation(texts::InvalidImageSize);
}

int TImageList::Add(const TBitmap& image) {
  CheckImageSize(image);
  const int cells = image.Width() / width_;
  if (cells <= 0) return -1;
  ReserveCells(cells);
  const raster::Surface src = image.Image().Surface();
  const int first = count_;
  count_ += cells;
  CopyIntoCells([&](int k) { return CellAt(first + k); }, cells, width_, height_, src);
  KeepAlphaOf(first, cells, image);
  Notify(TImageListChangeKind::Added, first, cells);
  return first;
}

void TImageList::KeepAlphaOf(int first, int cells, const TBitmap& image) {
  if (!image.HasAlpha()) {
    for (int k = 0; k < cells; ++k)
      if (first + k < static_cast<int>(alpha_.size())) alpha_[static_cast<std::size_t>(first + k)].clear();
    return;
  }
  try {
    if (alpha_.size() < static_cast<std::size_t>(first + cells)) alpha_.resize(static_cast<std::size_t>(first + cells));
    for (int k = 0; k < cells; ++k)
      alpha_[static_cast<std::size_t>(first + k)] = AlphaPixelsOfArea(image.Image(), k * width_, 0, width_, height_);
  } catch (const std::bad_alloc&) {
    throw EOutOfResources(texts::OutOfSystemResources);
  }
}

const std::uint32_t* TImageList::CellAlphaPixels(int index) const {
  if (index < 0 || index >= count_ || index >= static_cast<int>(alpha_.size())) return nullptr;
  const std::vector<std::uint32_t>& own = alpha_[static_cast<std::size_t>(index)];
  return own.empty() ? nullptr : own.data();
}

void TImageList::SetCellAlpha(int index, std::vector<std::uint32_t> pixels) {
  if (index < 0 || index >= count_) return;
  if (pixels.empty()) {
    if (index < static_cast<int>(alpha_.size())) alpha_[static_cast<std::size_t>(index)].clear();
    return;
  }
  if (pixels.size() != static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)) return;
  if (alpha_.size() <= static_cast<std::size_t>(index)) alpha_.resize(static_cast<std::size_t>(index) + 1);
  alpha_[static_cast<std::size_t>(index)] = std::move(pixels);
}

int TImageList::AddCells(const std::uint32_t* pixels, int cells) {
  if (cells <= 0) return -1;
  ReserveCells(cells);
  const std::size_t cellPixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  const int first = count_;
  count_ += cells;
  for (int k = 0; k < cells; ++k)
    std::memcpy(CellAt(first + k), pixels + cellPixels * static_cast<std::size_t>(k), cellPixels * sizeof(std::uint32_t));
  Notify(TImageListChangeKind::Added, first, cells);
  return first;
}

void TImageList::ReserveCells(int cells) {
  if (cells > INT_MAX - count_) throw EOutOfResources(texts::OutOfSystemResources);
  // Room for every new cell first, so a failed allocation changes no cell.
  const std::int64_t cellPixels = std::int64_t{width_} * height_;
  const std::size_t chunksNeeded = static_cast<std::size_t>((std::int64_t{count_} + cells + cellsPerChunk_ - 1) / cellsPerChunk_);
  try {
    while (chunks_.size() < chunksNeeded) {
      std::unique_ptr<std::uint32_t[], ChunkFree> chunk(AllocateChunk(cellPixels * cellsPerChunk_));
      chunks_.push_back(std::move(chunk));
    }
  } catch (const std::bad_alloc&) {
    throw EOutOfResources(texts::OutOfSystemResources);
  }
}

void TImageList::Replace(int index, const TBitmap& image) {
  CheckImageSize(image);
  std::uint32_t* cell = CellAt(index);
  if (!cell) throw EInvalidOperation(texts::UnableToReplaceImage);
  CopyIntoCells([cell](int) { return cell; }, 1, width_, height_, image.Image().Surface());
  KeepAlphaOf(index, 1, image);
  Notify(TImageListChangeKind::Replaced, index, 1);
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index) const {
  const std::uint32_t* cell = CellAt(index);
  if (!cell) return;
  // The cell as a device-dependent image, drawn like any other image at scale 1.
  TBitmapImage description;  // the device-dependent format
  description.Width = width_;
  description.Height = height_;
  auto store = NewStore(description);
  std::memcpy(store->Bits.data(), cell, store->Bits.size());
  TBitmap image;
  image.ReplaceImage(std::move(store));
  canvas.Draw(x, y, &image);
}

void TImageList::Clear() {
  if (count_ == 0) return;
  const int dropped = count_;
  Reset(width_, height_);
  Notify(TImageListChangeKind::Cleared, 0, dropped);
}

raster::Surface TImageList::Cell(int index) const {
  raster::Surface s;
  std::uint32_t* cell = CellAt(index);
  if (!cell) return s;
  s.Bits = reinterpret_cast<std::uint8_t*>(cell);
  s.Width = width_;
  s.Height = height_;
  s.Stride = static_cast<std::ptrdiff_t>(width_) * 4;
  s.BottomUp = false;
  s.BitCount = 32;
  return s;
}

const std::uint32_t* TImageList::CellPixels(int index) const { return CellAt(index); }

void TImageList::AddListener(IImageListListener* listener) {
  if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
    listeners_.push_back(listener);
}

void TImageList::RemoveListener(IImageListListener* listener) {
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void TImageList::Notify(TImageListChangeKind kind, int first, int count) {
  const TImageListChange change{kind, first, count};
  // A copy, so a listener may unregister itself while being told.
  const std::vector<IImageListListener*> listeners = listeners_;
  for (IImageListListener* listener : listeners) listener->ImageListChanged(change);
}

void AttachCellAlpha(const TImageList& list, std::span<const int> cells, const TEncodeOptions& keys, TBitmap& strip) {
  bool any = false;
  for (const int cell : cells) any = any || list.CellAlphaPixels(cell) != nullptr;
  const int w = list.Width(), h = list.Height();
  if (!any || strip.Empty() || strip.Height() != h || strip.Width() < w * static_cast<int>(cells.size())) return;
  TEncodeOptions cut = keys;
  cut.GlyphSize = h;
  std::vector<std::uint32_t> pixels = KeyPixelsWithAlpha(strip.Image().Surface(), cut);
  const auto width = static_cast<std::size_t>(strip.Width());
  for (std::size_t k = 0; k < cells.size(); ++k) {
    const std::uint32_t* own = list.CellAlphaPixels(cells[k]);
    if (!own) continue;
    for (int y = 0; y < h; ++y)
      std::copy_n(own + static_cast<std::size_t>(y) * w, w, pixels.data() + static_cast<std::size_t>(y) * width + k * static_cast<std::size_t>(w));
  }
  strip.SetAlphaPixels(std::move(pixels));
}

}  // namespace gliffo
