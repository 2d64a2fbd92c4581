// Text output and measurement of the canvas, over the platform's fonts.
#include <memory>

#include "glyphs/canvas.h"
#include "platform/text/font.h"

namespace gliffo {

namespace {

text::Pitch PitchOf(TFontPitch pitch) {
  switch (pitch) {
    case TFontPitch::fpFixed: return text::Pitch::Fixed;
    case TFontPitch::fpVariable: return text::Pitch::Variable;
    case TFontPitch::fpDefault: break;
  }
  return text::Pitch::Default;
}

// The platform font for the canvas's font values; the platform keeps one per distinct request,
// so a run of text operations with unchanged values makes nothing new.
std::shared_ptr<const text::Font> PlatformFont(const TFont& font) {
  text::FontRequest request;
  request.Height = font.Height();
  request.Weight = font.Style().contains(TFontStyle::fsBold) ? 700 : 400;
  request.Italic = font.Style().contains(TFontStyle::fsItalic);
  request.Underline = font.Style().contains(TFontStyle::fsUnderline);
  request.StrikeOut = font.Style().contains(TFontStyle::fsStrikeOut);
  request.Charset = font.Charset();
  request.PitchRequest = PitchOf(font.Pitch());
  request.FaceName = text::PlatformFaceName(font.Name());
  return text::GetFont(request);
}

}  // namespace

void TCanvas::TextOut(int x, int y, const std::string& text) {
  // The font first: a font that cannot be made leaves the image untouched and shared.
  const std::shared_ptr<const text::Font> font = PlatformFont(Font());
  const raster::Surface surface = BeginDraw();
  // Text takes the font colour as it is; the pen's mix mode plays no part. Only a solid brush
  // paints the cell behind the letters.
  const int width = font->Draw(surface, x, y, text, ColorToRGB(Font().Color()),
                               Brush().Style() == TBrushStyle::bsSolid, ColorToRGB(Brush().Color()));
  EndDraw();
  penPos_ = TPoint{x + width, y};
}

TSize TCanvas::TextExtent(const std::string& text) {
  const text::TextSize size = PlatformFont(Font())->Extent(text);
  return TSize{size.Width, size.Height};
}

}  // namespace gliffo
