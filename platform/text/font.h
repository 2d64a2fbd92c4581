#pragma once
// Fonts and text: the stand-ins for the platform's font creation, text output and text
// measurement. Glyphs are rendered in one bit per pixel (no smoothing), so every pixel text
// touches takes exactly the text colour and mix-mode arithmetic elsewhere stays exact.
//
// Metric rules (the font mapper's, made exact for our renderer):
// - Height < 0 asks for a character height without internal leading: the em square is -Height
//   pixels. Ascent and descent are the face's Windows metrics (OS/2 usWinAscent/usWinDescent,
//   else the horizontal header) scaled to that em, each rounded to the nearest pixel; the cell
//   height is their sum.
// - Height > 0 asks for a cell height including internal leading: the em is
//   Height × unitsPerEm / (winAscent + winDescent), rounded to whole pixels, and the cell is
//   exactly Height pixels, split as ascent = round(Height × winAscent / (winAscent + winDescent)).
// - Height 0 means the mapper's default, a 16-pixel cell. Heights beyond MaxFontPixels either
//   way are drawn at MaxFontPixels, which bounds the memory one glyph can take.
// - Advance widths are the hinted advances, whole pixels; the text width is their sum, without
//   kerning. The text height is the cell height.
// - Bold asks for a bold face; when the family has none the outlines are thickened by
//   max(1, round(em / 32)) pixels and each advance grows by the same amount. Italic asks for an
//   italic face; when the family has none the outlines are slanted (x += 0.2 y, about 11°) and
//   advances stay as they are.
// - Underline: the face's underline position and thickness (at least one pixel), kept within the
//   cell and at least one row below the baseline. Strike-out: the face's OS/2 strike-out
//   position and size when the face has them, else a line of the underline's thickness centred
//   at half the x-height (or a quarter of the em when even that is unknown). Both run across the
//   whole text width in the text colour.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/raster/pixels.h"
#include "platform/text/face_match.h"

namespace gliffo::text {

inline constexpr int MaxFontPixels = 4096;
inline constexpr int DefaultCellHeight = 16;

// What a font is made from: the platform's logical-font values that matter to us.
struct FontRequest {
  int Height = 0;
  int Weight = 400;  // 700 for bold
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  int Charset = 1;
  Pitch PitchRequest = Pitch::Default;
  std::string FaceName;
  friend bool operator==(const FontRequest&, const FontRequest&) = default;
};

struct TextSize {
  int Width = 0;
  int Height = 0;
};

// Unicode code point of an 8-bit character, read as Windows-1252 (bytes 0x80-0x9F through the
// code page's table, its five unassigned bytes and all other bytes as Latin-1).
char32_t AnsiToUnicode(unsigned char c);

class FaceInstance;

// A realised font: one face at one pixel size with its style. Made through GetFont and shared.
class Font {
 public:
  Font(std::shared_ptr<FaceInstance> face, const FontRequest& request);

  int Ascent() const { return ascent_; }
  int Descent() const { return descent_; }
  int CellHeight() const { return ascent_ + descent_; }
  int EmPixels() const;
  const std::string& Family() const;
  bool SyntheticBold() const;
  bool SyntheticItalic() const;
  bool Underline() const { return request_.Underline; }
  bool StrikeOut() const { return request_.StrikeOut; }

  // Width of the whole text (sum of advances) and the cell height.
  TextSize Extent(std::string_view text) const;

  // Draws the text with the top-left of its cell at (x, y), clipped to the surface. With
  // `opaque` the cell (x .. x + width, y .. y + cell height) is first painted in `background`;
  // otherwise only the glyph pixels change. Colours are encoded for the surface (indexed
  // surfaces take the nearest table entry). Returns the text width.
  int Draw(const raster::Surface& surface, int x, int y, std::string_view text, raster::ColorRef color, bool opaque,
           raster::ColorRef background) const;

  // Rows of the underline and strike-out relative to the cell top: [top, top + thickness).
  int UnderlineTop() const { return underlineTop_; }
  int UnderlineThickness() const { return underlineThickness_; }
  int StrikeOutTop() const { return strikeTop_; }
  int StrikeOutThickness() const { return strikeThickness_; }

 private:
  std::shared_ptr<FaceInstance> face_;
  FontRequest request_;
  int ascent_ = 0;
  int descent_ = 0;
  int underlineTop_ = 0;
  int underlineThickness_ = 1;
  int strikeTop_ = 0;
  int strikeThickness_ = 1;
};

// The font for a request, made on first use and reused for every later equal request. Requests
// that resolve to the same face file, pixel size and synthetic styles share one face instance
// and its rendered glyphs. Raises EOutOfResources when no font can be made.
std::shared_ptr<const Font> GetFont(const FontRequest& request);

// Like GetFont for a face file chosen by the caller (no name matching, no caching).
std::shared_ptr<const Font> OpenFontFile(const std::string& file, int index, const FontRequest& request);

// How many platform objects have been made so far, so that reuse can be checked.
struct TextStatistics {
  long FaceMatches = 0;     // face-name look-ups
  long FontsCreated = 0;    // Font objects
  long FacesCreated = 0;    // face instances (one face file at one size and style)
  long GlyphsRendered = 0;  // glyph bitmaps rendered
};
TextStatistics Statistics();

// Drops every cached font, face and glyph (fonts still held elsewhere stay valid).
void ClearFontCache();

}  // namespace gliffo::text
