#pragma once
// The canvas of a raster image, with its pen, brush and font. The image owns its canvas
// (TBitmapCanvas, glyphs/bitmap.cpp); the canvas only sees the surface it is given.
#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "formats/bitmap_image.h"
#include "glyphs/colors.h"
#include "glyphs/types.h"
#include "platform/raster/mix.h"
#include "platform/raster/objects.h"
#include "platform/raster/pixels.h"

namespace gliffo {

enum class TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
enum class TFontPitch { fpDefault, fpVariable, fpFixed };
enum class TFillStyle { fsSurface, fsBorder };

using TFontStyles = std::set<TFontStyle>;

// Raster-operation codes of image copies (the canvas's CopyMode).
inline constexpr std::uint32_t cmBlackness = 0x00000042;
inline constexpr std::uint32_t cmDstInvert = 0x00550009;
inline constexpr std::uint32_t cmMergeCopy = 0x00C000CA;
inline constexpr std::uint32_t cmMergePaint = 0x00BB0226;
inline constexpr std::uint32_t cmNotSrcCopy = 0x00330008;
inline constexpr std::uint32_t cmNotSrcErase = 0x001100A6;
inline constexpr std::uint32_t cmPatCopy = 0x00F00021;
inline constexpr std::uint32_t cmPatInvert = 0x005A0049;
inline constexpr std::uint32_t cmPatPaint = 0x00FB0A09;
inline constexpr std::uint32_t cmSrcAnd = 0x008800C6;
inline constexpr std::uint32_t cmSrcCopy = 0x00CC0020;
inline constexpr std::uint32_t cmSrcErase = 0x00440328;
inline constexpr std::uint32_t cmSrcInvert = 0x00660046;
inline constexpr std::uint32_t cmSrcPaint = 0x00EE0086;
inline constexpr std::uint32_t cmWhiteness = 0x00FF0062;

// The screen's vertical logical pixels per inch, reported once at start-up (96 until then).
int ScreenPixelsPerInch();
void SetScreenPixelsPerInch(int value);

// Multiplies in 64 bits and rounds the quotient to the nearest integer (halves away from zero);
// -1 when the divisor is 0.
int MulDiv(int number, int numerator, int denominator);

class TPen {
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor value) { color_ = value; }
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode value) { mode_ = value; }
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle value) { style_ = value; }
  int Width() const { return width_; }
  // A negative width is ignored.
  void SetWidth(int value) { if (value >= 0) width_ = value; }
  void Assign(const TPen& other) { *this = other; }

 private:
  TColor color_ = clBlack;
  TPenMode mode_ = TPenMode::pmCopy;
  TPenStyle style_ = TPenStyle::psSolid;
  int width_ = 1;
};

class TBrush {
 public:
  TColor Color() const { return color_; }
  // Setting a colour on a clear brush makes it solid.
  void SetColor(TColor value) {
    color_ = value;
    if (style_ == TBrushStyle::bsClear) style_ = TBrushStyle::bsSolid;
  }
  TBrushStyle Style() const { return style_; }
  // Setting the clear style makes the colour white; other styles leave the colour alone.
  void SetStyle(TBrushStyle value) {
    style_ = value;
    if (value == TBrushStyle::bsClear) color_ = clWhite;
  }
  void Assign(const TBrush& other) { *this = other; }

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = TBrushStyle::bsSolid;
};

class TFont {
 public:
  TFont();
  TColor Color() const { return color_; }
  void SetColor(TColor value) { color_ = value; }
  int Height() const { return height_; }
  void SetHeight(int value) { height_ = value; }
  // Size in points: Height = -MulDiv(Size, PixelsPerInch, 72); Size = -MulDiv(Height, 72, PixelsPerInch).
  int Size() const;
  void SetSize(int value);
  const std::string& Name() const { return name_; }
  void SetName(const std::string& value) { name_ = value; }
  const TFontStyles& Style() const { return style_; }
  void SetStyle(const TFontStyles& value) { style_ = value; }
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch value) { pitch_ = value; }
  int Charset() const { return charset_; }
  void SetCharset(int value) { charset_ = value; }
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int value) { pixelsPerInch_ = value; }
  // Copies every value; between different resolutions the size in points is carried over.
  void Assign(const TFont& other);

 private:
  TColor color_ = clWindowText;
  int height_;
  std::string name_ = "MS Sans Serif";
  TFontStyles style_;
  TFontPitch pitch_ = TFontPitch::fpDefault;
  int charset_ = 1;  // default character set
  int pixelsPerInch_;
};

struct TSize {
  int cx = 0;
  int cy = 0;
};

// A canvas with no image behind it keeps its attributes and measures text, but every drawing
// operation raises EInvalidOperation "Canvas does not allow drawing". The canvas of an image
// always draws; on an empty image (no pixels) the operations paint nothing.
class TCanvas {
 public:
  virtual ~TCanvas() = default;

  TPen& Pen() { return pen_; }
  TBrush& Brush() { return brush_; }
  TFont& Font() { return font_; }
  const TPen& Pen() const { return pen_; }
  const TBrush& Brush() const { return brush_; }
  const TFont& Font() const { return font_; }
  std::uint32_t CopyMode() const { return copyMode_; }
  void SetCopyMode(std::uint32_t value) { copyMode_ = value; }
  TPoint PenPos() const { return penPos_; }
  void SetPenPos(TPoint value) { penPos_ = value; }

  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Rectangle(int x1, int y1, int x2, int y2);
  void RoundRect(int x1, int y1, int x2, int y2, int w, int h);
  void Ellipse(int x1, int y1, int x2, int y2);
  void FillRect(const TRect& rect);
  void FloodFill(int x, int y, TColor color, TFillStyle fillStyle);
  // The colour at (x, y) as 0x00BBGGRR; 0xFFFFFFFF outside the image.
  TColor Pixel(int x, int y);
  void TextOut(int x, int y, const std::string& text);
  TSize TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }
  // Copies an image (a TBitmap) at its own size, or stretched onto rect; nothing for none.
  void Draw(int x, int y, const IImageSource* image);
  void StretchDraw(const TRect& rect, const IImageSource* image);
  // Only the part `source` of the image (clipped to it), stretched onto rect.
  void StretchDraw(const TRect& rect, const IImageSource* image, const TRect& source);

  // The realised pens and brushes of this canvas, made once per distinct set of values.
  const raster::DeviceObjects& Objects() const { return objects_; }

 protected:
  // The surface to draw on, made private first; raises EInvalidOperation when there is none.
  virtual raster::Surface BeginDraw();
  // Raises the change notification after a drawing operation.
  virtual void EndDraw() {}
  // The surface for reading only (may be empty).
  virtual raster::Surface ReadSurface() const { return {}; }

 private:
  TPen pen_;
  TBrush brush_;
  TFont font_;
  std::uint32_t copyMode_ = cmSrcCopy;
  TPoint penPos_;
  raster::DeviceObjects objects_;
};

// The platform mix mode behind a pen mode.
raster::MixMode MixModeOf(TPenMode mode);

// Paints a whole surface with a brush, as a new store is filled when an image is resized.
// A clear brush paints nothing.
void FillWithBrush(const raster::Surface& surface, const TBrush& brush);

}  // namespace gliffo
