#include "glyphs/bitmap.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "glyphs/canvas.h"
#include "formats/image_formats.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/raster/blit.h"

namespace gliffo {

// The canvas of a raster image: draws into the image's pixel store.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap& bitmap) : bitmap_(bitmap) {}

 protected:
  raster::Surface BeginDraw() override;
  void EndDraw() override;
  raster::Surface ReadSurface() const override;

 private:
  TBitmap& bitmap_;
};

raster::Surface TBitmapCanvas::BeginDraw() {
  // An empty image has nothing to draw on: operations on it paint nothing.
  return bitmap_.WritableSurface();
}

void TBitmapCanvas::EndDraw() { bitmap_.Changed(); }

raster::Surface TBitmapCanvas::ReadSurface() const { return bitmap_.Image().Surface(); }

namespace {

std::vector<raster::Rgb> BlackAndWhite() {
  return {raster::Rgb{0, 0, 0, 0}, raster::Rgb{0xFF, 0xFF, 0xFF, 0}};
}

// A halftone table for 8-bit requests: the 16 system colours, then a 6 × 6 × 6 colour cube.
std::vector<raster::Rgb> HalftoneTable() {
  std::vector<raster::Rgb> table(SystemPalette16().begin(), SystemPalette16().end());
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        table.push_back(raster::Rgb{static_cast<std::uint8_t>(b * 51), static_cast<std::uint8_t>(g * 51),
                                    static_cast<std::uint8_t>(r * 51), 0});
  return table;
}

std::int64_t StoreBytes(const TBitmapImage& d) {
  const std::int64_t stride = d.DeviceDependent ? std::int64_t{d.Width} * 4 : raster::DibStride(d.Width, d.BitCount);
  if (stride < 0 || raster::TooManyPixels(d.Width, d.AbsHeight())) return -1;
  const std::int64_t h = d.AbsHeight();
  if (h != 0 && stride > MaxStoreBytes / h) return -1;
  return stride * h;
}

void AllocateBits(TBitmapImage& target) { AllocateStoreBits(target.Bits, StoreBytes(target)); }

bool SameIndexedLayout(const raster::Surface& a, const raster::Surface& b) {
  return a.BitCount == b.BitCount && a.Indexed() && a.TableSize == b.TableSize &&
         std::equal(a.Table, a.Table + a.TableSize, b.Table);
}

// Copies the top-left (w × h) area of src to (0, 0) of dst, converting colours.
void CopyConverted(const raster::Surface& dst, const raster::Surface& src, int w, int h) {
  if (SameIndexedLayout(dst, src)) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) raster::WriteValue(dst, x, y, raster::ReadValue(src, x, y));
    return;
  }
  raster::ColorEncoder encoder(dst);
  if (w == dst.Width && w == src.Width) {
    std::vector<raster::ColorRef> row(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
      raster::ReadRowColors(src, y, row.data());
      raster::WriteRowColors(dst, y, row.data(), encoder);
    }
    return;
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) raster::WriteValue(dst, x, y, encoder.Encode(raster::ValueToColor(src, raster::ReadValue(src, x, y))));
}

}  // namespace

TBitmap::TBitmap() : image_(std::make_shared<TBitmapImage>()) {}
TBitmap::~TBitmap() = default;

int TBitmap::Width() const { return image_->Width; }
int TBitmap::Height() const { return image_->AbsHeight(); }
bool TBitmap::Empty() const { return !image_->HasPixels(); }
TPixelFormat TBitmap::PixelFormat() const { return image_->PixelFormat(); }

void TBitmap::Recreate(const TBitmapImage& description) {
  // Build the whole new store aside; only a finished store replaces the old one.
  auto target = std::make_shared<TBitmapImage>();
  TBitmapImage& t = *target;
  t.DeviceDependent = description.DeviceDependent;
  t.Width = description.Width;
  t.Height = description.Height;
  t.BitCount = description.DeviceDependent ? static_cast<std::uint16_t>(DeviceBitCount) : description.BitCount;
  t.Compression = description.DeviceDependent ? BI_RGB : description.Compression;
  t.RedMask = description.RedMask;
  t.GreenMask = description.GreenMask;
  t.BlueMask = description.BlueMask;
  t.CoreHeader = image_->CoreHeader;
  const TBitmapImage& source = *image_;
  const bool sourceHasPixels = source.HasPixels();
  if (!t.DeviceDependent && t.BitCount <= 8) {
    if (t.BitCount == 1 && (!sourceHasPixels || source.DeviceDependent)) t.ColorTable = BlackAndWhite();
    else if (!description.ColorTable.empty()) t.ColorTable = description.ColorTable;
    else t.ColorTable = source.ColorTable;
    if (t.ColorTable.size() > 256) t.ColorTable.resize(256);
  }
  if (t.Width == 0 || t.Height == 0) {
    // Empty: remember the format for the storage a later size change creates.
    image_ = target;
    return;
  }
  const std::int64_t stride = t.Stride();
  t.SizeImage = t.DeviceDependent ? 0 : static_cast<std::uint32_t>(std::min<std::int64_t>(stride * t.AbsHeight(), 0xFFFFFFFF));
  t.ClrUsed = (!t.DeviceDependent && t.BitCount <= 8) ? static_cast<std::uint32_t>(t.ColorTable.size()) : 0;
  AllocateBits(t);

  const raster::Surface dst = t.Surface();
  const raster::Surface src = source.Surface();
  const bool deep = t.DeviceDependent || t.BitCount > 8;
  if (sourceHasPixels && deep && source.Width == t.Width && source.AbsHeight() == t.AbsHeight()) {
    CopyConverted(dst, src, t.Width, t.AbsHeight());
  } else if (sourceHasPixels && source.Width >= t.Width && source.AbsHeight() >= t.AbsHeight() &&
             !(canvas_ && !t.DeviceDependent && t.BitCount == 1)) {
    // The copy covers the whole new store, so the fill would be overwritten anyway.
    CopyConverted(dst, src, t.Width, t.AbsHeight());
  } else {
    if (canvas_) {
      if (!t.DeviceDependent && t.BitCount == 1) {
        t.ColorTable[0] = raster::ToRgb(ColorToRGB(canvas_->Font().Color()));
        t.ColorTable[1] = raster::ToRgb(ColorToRGB(canvas_->Brush().Color()));
      }
      FillWithBrush(t.Surface(), canvas_->Brush());
    } else {
      raster::FillSolid(dst, raster::Box{0, 0, t.Width, t.AbsHeight()}, raster::MakeColorRef(0xFF, 0xFF, 0xFF));
    }
    if (sourceHasPixels)
      CopyConverted(t.Surface(), src, std::min(t.Width, source.Width), std::min(t.AbsHeight(), source.AbsHeight()));
  }
  image_ = target;
}

void TBitmap::SetWidth(int value) {
  if (value == Width()) return;
  if (value < 0) throw EInvalidGraphic(texts::BitmapImageIsNotValid);
  TBitmapImage d = *image_;
  d.Bits.clear();
  d.Width = value;
  Recreate(d);
  Changed();
}

void TBitmap::SetHeight(int value) {
  if (value == Height()) return;
  if (value < 0) throw EInvalidGraphic(texts::BitmapImageIsNotValid);
  TBitmapImage d = *image_;
  d.Bits.clear();
  d.Height = value;  // stored positive: bottom row first
  Recreate(d);
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value == PixelFormat()) return;
  if (value == TPixelFormat::pfCustom) throw EInvalidGraphic(texts::InvalidPixelFormat);
  TBitmapImage d;
  d.Width = image_->Width;
  d.Height = image_->Height;
  d.DeviceDependent = value == TPixelFormat::pfDevice;
  d.Compression = BI_RGB;
  switch (value) {
    case TPixelFormat::pf1bit: d.BitCount = 1; d.ColorTable = BlackAndWhite(); break;
    case TPixelFormat::pf4bit:
      d.BitCount = 4;
      d.ColorTable.assign(SystemPalette16().begin(), SystemPalette16().end());
      break;
    case TPixelFormat::pf8bit: d.BitCount = 8; d.ColorTable = HalftoneTable(); break;
    case TPixelFormat::pf15bit: d.BitCount = 16; break;
    case TPixelFormat::pf16bit:
      d.BitCount = 16;
      d.Compression = BI_BITFIELDS;
      d.RedMask = 0xF800;
      d.GreenMask = 0x07E0;
      d.BlueMask = 0x001F;
      break;
    case TPixelFormat::pf24bit: d.BitCount = 24; break;
    case TPixelFormat::pf32bit: d.BitCount = 32; break;
    default: d.BitCount = DeviceBitCount; break;
  }
  if (d.Height < 0 && d.DeviceDependent) d.Height = -d.Height;
  Recreate(d);
  Changed();
}

void TBitmap::Assign(const TBitmap* source) {
  if (source == this) return;
  image_ = source ? source->image_ : std::make_shared<TBitmapImage>();
  Changed();
}

TCanvas& TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TBitmapCanvas>(*this);
  return *canvas_;
}

void TBitmap::ReplaceImage(std::shared_ptr<TBitmapImage> image) {
  image_ = image ? std::move(image) : std::make_shared<TBitmapImage>();
  Changed();
}

void TBitmap::MakePrivate() {
  if (image_.use_count() > 1) image_ = std::make_shared<TBitmapImage>(*image_);
}

raster::Surface TBitmap::WritableSurface() {
  // Drawing changes the store alone, so an alpha picture's own pixels no longer agree with
  // it: what is drawn on is a key-colour picture from here on.
  MakePrivate();
  std::vector<std::uint32_t>().swap(image_->AlphaPixels);
  image_->OpaqueAlpha = false;
  return image_->Surface();
}

void TBitmap::SetAlphaPixels(std::vector<std::uint32_t> pixels) {
  if (!pixels.empty() && (Empty() || pixels.size() != static_cast<std::size_t>(Width()) * static_cast<std::size_t>(Height())))
    throw EInvalidGraphic(texts::BitmapImageIsNotValid);
  if (pixels.empty() && !image_->HasAlpha()) return;
  MakePrivate();
  image_->AlphaPixels = std::move(pixels);
  image_->OpaqueAlpha = false;
  Changed();
}

void TBitmap::Changed() {
  if (OnChange) OnChange();
}

void TBitmap::LoadFromBytes(std::span<const std::uint8_t> bytes, const TDecodeOptions& options) {
  ReplaceImage(DecodeImage(bytes, options));
}

std::vector<std::uint8_t> TBitmap::SaveToBytes() const { return EncodeImage(*image_, {}, {}); }

void TBitmap::LoadFromFile(const std::string& fileName, const TDecodeOptions& options) {
  ReplaceImage(AboutFile(fileName, [&] { return LoadImageFile(fileName, options); }));
}

void TBitmap::SaveToFile(const std::string& fileName, const TEncodeOptions& options) {
  AboutFile(fileName, [&] { SaveImageFile(*image_, fileName, options); });
}

void TBitmap::Draw(TCanvas& canvas, int x, int y) const {
  if (Empty()) return;
  canvas.StretchDraw(Rect(x, y, x + Width(), y + Height()), this);
}

TBitmap& TPicture::Bitmap() {
  if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
  return *bitmap_;
}

void TPicture::SaveToFile(const std::string& fileName, const TEncodeOptions& options) {
  if (bitmap_) bitmap_->SaveToFile(fileName, options);
}

}  // namespace gliffo
