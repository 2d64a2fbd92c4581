#pragma once
// Raster images: the image TBitmap that refers to a pixel store (glyphs/bitmap_image.h) and owns
// its canvas, and the picture holder TPicture.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "formats/bitmap_image.h"
#include "formats/image_options.h"
#include "glyphs/colors.h"
#include "platform/raster/pixels.h"

namespace gliffo {

class TCanvas;
class TBitmapCanvas;

class TBitmap final : public IImageSource {
 public:
  TBitmap();
  ~TBitmap();
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  int Width() const;
  int Height() const;
  void SetWidth(int value);
  void SetHeight(int value);
  TPixelFormat PixelFormat() const;
  void SetPixelFormat(TPixelFormat value);
  bool Empty() const;

  // Shares the other image's store (no pixel copy); nullptr makes this image empty.
  void Assign(const TBitmap* source);

  // Created on first use; the same object for the image's whole life.
  TCanvas& Canvas();

  // Through the image-format table: the format is recognised by the file's first bytes, and
  // chosen for saving by the file name. Callers pass their run's options (the classic BMP
  // files need none).
  void LoadFromFile(const std::string& fileName, const TDecodeOptions& options = {});
  void SaveToFile(const std::string& fileName, const TEncodeOptions& options = {});
  // The same over bytes in memory; a failure leaves the image as it was.
  void LoadFromBytes(std::span<const std::uint8_t> bytes, const TDecodeOptions& options = {});
  std::vector<std::uint8_t> SaveToBytes() const;

  // Copies the whole image at its own size onto the canvas at (x, y).
  void Draw(TCanvas& canvas, int x, int y) const;

  const TBitmapImage& Image() const { return *image_; }
  std::shared_ptr<const TBitmapImage> SharedImage() const override { return image_; }
  // Replaces the store by a finished one (a loaded file); the canvas and its state stay.
  void ReplaceImage(std::shared_ptr<TBitmapImage> image);
  // Makes the store private when it is shared, then gives a view for writing. The store alone
  // is written through it: an alpha picture becomes a key-colour one.
  raster::Surface WritableSurface();
  // Makes the image an alpha picture with these pixels beside its store (Width × Height
  // values 0xAARRGGBB, top row first), or a key-colour one for none. Raises EInvalidGraphic
  // for a count that does not fit.
  void SetAlphaPixels(std::vector<std::uint32_t> pixels);
  bool HasAlpha() const { return image_->HasAlpha(); }

  // Change notification: raised after every drawing operation and every change of the store.
  std::function<void()> OnChange;
  void Changed();

 private:
  void Recreate(const TBitmapImage& target);
  void MakePrivate();

  std::shared_ptr<TBitmapImage> image_;
  std::unique_ptr<TBitmapCanvas> canvas_;
};

// Holds at most one image; asking for the bitmap makes one when there is none.
class TPicture {
 public:
  TBitmap& Bitmap();
  // A picture that holds no image writes nothing and creates no file.
  void SaveToFile(const std::string& fileName, const TEncodeOptions& options = {});

 private:
  std::unique_ptr<TBitmap> bitmap_;
};

}  // namespace gliffo
