#include "platform/text/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <list>
#include <map>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "platform/late_library.h"
#include "platform/raster/blit.h"
#include "platform/strings.h"

namespace gliffo::text {

namespace {

// FreeType is opened on the first font asked for, not at start.
const TLateLibrary FreeType("libfreetype.so.6", "Fonts");
GLIFFO_LATE(FreeType, FT_Done_Face);
GLIFFO_LATE(FreeType, FT_Get_Char_Index);
GLIFFO_LATE(FreeType, FT_Get_Sfnt_Table);
GLIFFO_LATE(FreeType, FT_Init_FreeType);
GLIFFO_LATE(FreeType, FT_Load_Char);
GLIFFO_LATE(FreeType, FT_Load_Glyph);
GLIFFO_LATE(FreeType, FT_New_Face);
GLIFFO_LATE(FreeType, FT_Outline_EmboldenXY);
GLIFFO_LATE(FreeType, FT_Render_Glyph);
GLIFFO_LATE(FreeType, FT_Select_Charmap);
GLIFFO_LATE(FreeType, FT_Select_Size);
GLIFFO_LATE(FreeType, FT_Set_Pixel_Sizes);
GLIFFO_LATE(FreeType, FT_Set_Transform);

// Bytes 0x80-0x9F of Windows-1252; 0 marks the five bytes the code page leaves unassigned.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Fonts and faces kept for reuse. The editor uses a handful; the bounds only stop a long
// session of font changes from growing without end.
constexpr std::size_t MaxCachedFonts = 64;
constexpr std::size_t MaxCachedFaces = 16;
// Rendered glyphs kept per face instance, in bitmap bytes; beyond it the glyph cache restarts.
constexpr std::size_t MaxGlyphBytes = 32u << 20;

std::mutex g_mutex;  // guards the font and face caches

struct Counters {
  std::atomic<long> FaceMatches{0}, FontsCreated{0}, FacesCreated{0}, GlyphsRendered{0};
};
Counters g_stats;

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library lib = nullptr;
    return FT_Init_FreeType(&lib) == 0 ? lib : nullptr;
  }();
  if (library == nullptr) ThrowOutOfResources();
  return library;
}

int RoundToInt(double v) { return static_cast<int>(std::lround(v)); }
int ToInt(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

}  // namespace

char32_t AnsiToUnicode(unsigned char c) {
  if (c >= 0x80 && c <= 0x9F && Cp1252High[c - 0x80] != 0) return Cp1252High[c - 0x80];
  return c;
}

// One face file opened at one em size with its synthetic styles, and the glyphs rendered from it.
struct Glyph {
  int Left = 0;     // from the pen position to the bitmap's left column
  int Top = 0;      // from the baseline up to the bitmap's top row
  int Width = 0;
  int Rows = 0;
  int Pitch = 0;    // bytes per packed row, most significant bit first
  int Advance = 0;  // whole pixels
  std::vector<std::uint8_t> Bits;
};

class FaceInstance {
 public:
  struct Key {
    std::string File;
    int Index = 0;
    int Em = 0;
    int BoldStrength = 0;  // pixels of synthetic emboldening, 0 for none
    bool Oblique = false;
    friend bool operator==(const Key&, const Key&) = default;
  };

  explicit FaceInstance(const Key& key) : key_(key) {
    if (FT_New_Face(Library(), key.File.c_str(), key.Index, &face_) != 0) {
      face_ = nullptr;
      ThrowOutOfResources();
    }
    if (face_->charmap == nullptr || face_->charmap->encoding != FT_ENCODING_UNICODE) {
      // Symbol fonts map their characters through the symbol table, at 0xF000 + byte.
      if (FT_Select_Charmap(face_, FT_ENCODING_MS_SYMBOL) == 0) symbol_ = true;
    }
    if (FT_IS_SCALABLE(face_)) {
      if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(key.Em)) != 0) Fail();
    } else if (face_->num_fixed_sizes > 0) {
      // A bitmap-only face offers fixed sizes: take the one nearest the em.
      int best = 0;
      for (int i = 1; i < face_->num_fixed_sizes; ++i) {
        if (std::abs(face_->available_sizes[i].height - key.Em) < std::abs(face_->available_sizes[best].height - key.Em))
          best = i;
      }
      if (FT_Select_Size(face_, best) != 0) Fail();
    } else {
      Fail();
    }
    if (key.Oblique) {
      FT_Matrix shear{0x10000, 0x3333, 0, 0x10000};  // x += 0.2 y
      FT_Set_Transform(face_, &shear, nullptr);
    }
    byteToGlyph_.fill(-1);
    em_ = key.Em;
    family_ = face_->family_name ? face_->family_name : "";
    ReadDesignMetrics();
  }
  ~FaceInstance() {
    if (face_) FT_Done_Face(face_);
  }
  FaceInstance(const FaceInstance&) = delete;
  FaceInstance& operator=(const FaceInstance&) = delete;

  const Key& GetKey() const { return key_; }
  bool Scalable() const { return FT_IS_SCALABLE(face_); }
  // The em in pixels: the requested one, or the fixed size a bitmap-only face offers.
  int Em() const { return em_; }
  const std::string& Family() const { return family_; }

  // Design metrics in font units (scalable faces) or pixels (bitmap faces, UnitsPerEm == Em).
  double UnitsPerEm = 1;
  double WinAscent = 0;
  double WinDescent = 0;
  double UnderlinePosition = 0;  // centre of the line, negative below the baseline
  double UnderlineThickness = 0;
  double StrikeOutPosition = 0;  // top of the stroke above the baseline
  double StrikeOutSize = 0;
  double XHeight = 0;

  std::shared_ptr<const Glyph> GlyphFor(unsigned char c) {
    std::lock_guard lock(mutex_);
    if (byteToGlyph_[c] < 0) byteToGlyph_[c] = static_cast<int>(GlyphIndex(c));
    const auto index = static_cast<FT_UInt>(byteToGlyph_[c]);
    auto found = glyphs_.find(index);
    if (found != glyphs_.end()) return found->second;
    auto glyph = Render(index);
    if (glyphBytes_ + glyph->Bits.size() > MaxGlyphBytes) {
      glyphs_.clear();
      glyphBytes_ = 0;
    }
    glyphBytes_ += glyph->Bits.size();
    glyphs_.emplace(index, glyph);
    return glyph;
  }

 private:
  [[noreturn]] void Fail() {
    FT_Done_Face(face_);
    face_ = nullptr;
    ThrowOutOfResources();
  }

  FT_UInt GlyphIndex(unsigned char c) const {
    if (symbol_) {
      FT_UInt i = FT_Get_Char_Index(face_, 0xF000u + c);
      return i != 0 ? i : FT_Get_Char_Index(face_, c);
    }
    return FT_Get_Char_Index(face_, AnsiToUnicode(c));  // 0, the notdef glyph, when missing
  }

  void ReadDesignMetrics() {
    if (!FT_IS_SCALABLE(face_)) {
      const FT_Size_Metrics& m = face_->size->metrics;
      UnitsPerEm = std::max<double>(1.0, m.y_ppem);
      WinAscent = m.ascender / 64.0;
      WinDescent = -m.descender / 64.0;
      if (WinAscent + WinDescent <= 0) {
        WinAscent = UnitsPerEm * 0.8;
        WinDescent = UnitsPerEm * 0.2;
      }
      UnderlinePosition = -UnitsPerEm / 10;
      UnderlineThickness = UnitsPerEm / 20;
      XHeight = UnitsPerEm / 2;
      // Bitmap faces are never resized, so their metrics are those of the em they offer.
      em_ = static_cast<int>(UnitsPerEm);
      return;
    }
    UnitsPerEm = face_->units_per_EM > 0 ? face_->units_per_EM : 1000;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    const bool hasOs2 = os2 != nullptr && os2->version != 0xFFFFu;
    if (hasOs2 && os2->usWinAscent + os2->usWinDescent > 0) {
      WinAscent = os2->usWinAscent;
      WinDescent = os2->usWinDescent;
    } else if (face_->ascender - face_->descender > 0) {
      WinAscent = face_->ascender;
      WinDescent = -face_->descender;
    } else if (face_->bbox.yMax - face_->bbox.yMin > 0) {
      WinAscent = face_->bbox.yMax;
      WinDescent = -face_->bbox.yMin;
    } else {
      WinAscent = UnitsPerEm * 0.8;
      WinDescent = UnitsPerEm * 0.2;
    }
    UnderlinePosition = face_->underline_position;
    UnderlineThickness = face_->underline_thickness;
    if (UnderlineThickness <= 0) {
      UnderlinePosition = -UnitsPerEm / 10;
      UnderlineThickness = UnitsPerEm / 20;
    }
    if (hasOs2 && os2->yStrikeoutSize > 0 && os2->yStrikeoutPosition > 0) {
      StrikeOutPosition = os2->yStrikeoutPosition;
      StrikeOutSize = os2->yStrikeoutSize;
    }
    if (hasOs2 && os2->version >= 2 && os2->sxHeight > 0) {
      XHeight = os2->sxHeight;
    } else if (FT_Load_Char(face_, 'x', FT_LOAD_NO_SCALE) == 0 && face_->glyph->metrics.height > 0) {
      XHeight = static_cast<double>(face_->glyph->metrics.height);
    } else {
      XHeight = UnitsPerEm / 2;
    }
  }

  std::shared_ptr<Glyph> Render(FT_UInt index) {
    auto glyph = std::make_shared<Glyph>();
    ++g_stats.GlyphsRendered;
    const FT_Int32 flags = FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO;
    if (FT_Load_Glyph(face_, index, flags) != 0 && (index == 0 || FT_Load_Glyph(face_, 0, flags) != 0)) {
      return glyph;  // a glyph that cannot be loaded draws nothing and takes no room
    }
    FT_GlyphSlot slot = face_->glyph;
    FT_Pos advance = slot->advance.x;
    if (key_.BoldStrength > 0 && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      FT_Outline_EmboldenXY(&slot->outline, key_.BoldStrength * 64, 0);
      advance += key_.BoldStrength * 64;
    }
    glyph->Advance = static_cast<int>((advance + 32) >> 6);
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return glyph;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.width == 0 || bm.rows == 0) return glyph;
    glyph->Left = slot->bitmap_left;
    glyph->Top = slot->bitmap_top;
    glyph->Width = static_cast<int>(bm.width);
    glyph->Rows = static_cast<int>(bm.rows);
    glyph->Pitch = (glyph->Width + 7) / 8;
    glyph->Bits.assign(static_cast<std::size_t>(glyph->Pitch) * glyph->Rows, 0);
    for (int r = 0; r < glyph->Rows; ++r) {
      const unsigned char* src = bm.buffer + static_cast<std::ptrdiff_t>(bm.pitch) * r;
      std::uint8_t* dst = glyph->Bits.data() + static_cast<std::size_t>(glyph->Pitch) * r;
      for (int c = 0; c < glyph->Width; ++c) {
        bool on = false;
        switch (bm.pixel_mode) {
          case FT_PIXEL_MODE_MONO: on = (src[c >> 3] & (0x80 >> (c & 7))) != 0; break;
          case FT_PIXEL_MODE_GRAY: on = src[c] >= (bm.num_grays > 1 ? bm.num_grays / 2 : 1); break;
          case FT_PIXEL_MODE_BGRA: on = src[c * 4 + 3] >= 128; break;
          default: break;
        }
        if (on) dst[c >> 3] |= static_cast<std::uint8_t>(0x80 >> (c & 7));
      }
    }
    return glyph;
  }

  Key key_;
  int em_ = 0;
  std::string family_;
  FT_Face face_ = nullptr;
  bool symbol_ = false;
  std::mutex mutex_;
  std::array<int, 256> byteToGlyph_{};
  std::unordered_map<FT_UInt, std::shared_ptr<const Glyph>> glyphs_;
  std::size_t glyphBytes_ = 0;
};

namespace {

// Most recently used first.
std::list<std::pair<FontRequest, std::shared_ptr<const Font>>> g_fonts;
std::list<std::shared_ptr<FaceInstance>> g_faces;

// The em size and the cell a request asks for, from the face's design metrics.
struct Sizing {
  int Em = 0;
  int CellHeight = 0;  // 0 when the cell follows from the em
};

Sizing SizingFor(int height, double unitsPerEm, double winAscent, double winDescent) {
  if (height == 0) height = DefaultCellHeight;
  if (height < 0) return Sizing{static_cast<int>(std::min<long long>(-static_cast<long long>(height), MaxFontPixels)), 0};
  const int cell = std::min(height, MaxFontPixels);
  const int em = std::max(1, RoundToInt(cell * unitsPerEm / (winAscent + winDescent)));
  return Sizing{em, cell};
}

std::shared_ptr<FaceInstance> FaceFor(const FaceInstance::Key& key) {
  for (auto it = g_faces.begin(); it != g_faces.end(); ++it) {
    if ((*it)->GetKey() == key) {
      g_faces.splice(g_faces.begin(), g_faces, it);
      return g_faces.front();
    }
  }
  auto face = std::make_shared<FaceInstance>(key);
  ++g_stats.FacesCreated;
  g_faces.push_front(face);
  if (g_faces.size() > MaxCachedFaces) g_faces.pop_back();
  return face;
}

// Reads the design metrics the em size depends on, without keeping the face.
struct DesignProbe {
  bool Scalable = true;
  double UnitsPerEm = 1, WinAscent = 0, WinDescent = 0;
};

std::map<std::pair<std::string, int>, DesignProbe> g_designs;

DesignProbe Probe(const std::string& file, int index) {
  const auto found = g_designs.find({file, index});
  if (found != g_designs.end()) return found->second;
  // A face opened at a nominal size gives the design metrics; FaceInstance holds the logic.
  FaceInstance probe(FaceInstance::Key{file, index, 16, 0, false});
  const DesignProbe design{probe.Scalable(), probe.UnitsPerEm, probe.WinAscent, probe.WinDescent};
  if (g_designs.size() < MaxCachedFonts) g_designs.emplace(std::make_pair(file, index), design);
  return design;
}

std::shared_ptr<const Font> MakeFont(const std::string& file, int index, bool faceIsBold, bool faceIsItalic,
                                     const FontRequest& request, bool cached) {
  const DesignProbe design = Probe(file, index);
  const Sizing sizing = SizingFor(request.Height, design.UnitsPerEm, design.WinAscent, design.WinDescent);
  FaceInstance::Key key{file, index, sizing.Em, 0, false};
  if (request.Weight >= 600 && !faceIsBold) key.BoldStrength = std::max(1, RoundToInt(sizing.Em / 32.0));
  key.Oblique = request.Italic && !faceIsItalic;
  std::shared_ptr<FaceInstance> face;
  if (cached) {
    face = FaceFor(key);
  } else {
    face = std::make_shared<FaceInstance>(key);
    ++g_stats.FacesCreated;
  }
  FontRequest effective = request;
  if (sizing.CellHeight > 0 && design.Scalable) effective.Height = sizing.CellHeight;
  auto font = std::make_shared<const Font>(face, effective);
  ++g_stats.FontsCreated;
  return font;
}

}  // namespace

Font::Font(std::shared_ptr<FaceInstance> face, const FontRequest& request) : face_(std::move(face)), request_(request) {
  const FaceInstance& f = *face_;
  const double em = f.Em();
  const double scale = em / f.UnitsPerEm;
  if (request.Height > 0 && f.Scalable()) {
    // A cell height was asked for: the cell is exactly that, split in the face's proportions.
    const int cell = request.Height;
    ascent_ = RoundToInt(cell * f.WinAscent / (f.WinAscent + f.WinDescent));
    descent_ = cell - ascent_;
  } else {
    ascent_ = RoundToInt(f.WinAscent * scale);
    descent_ = RoundToInt(f.WinDescent * scale);
  }
  const int cell = ascent_ + descent_;

  underlineThickness_ = std::max(1, RoundToInt(f.UnderlineThickness * scale));
  const double centreBelow = -f.UnderlinePosition * scale;
  underlineTop_ = ascent_ + RoundToInt(centreBelow - underlineThickness_ / 2.0);
  underlineTop_ = std::max(underlineTop_, ascent_ + 1);
  underlineTop_ = std::min(underlineTop_, cell - underlineThickness_);
  underlineTop_ = std::max(underlineTop_, 0);

  if (f.StrikeOutSize > 0) {
    strikeThickness_ = std::max(1, RoundToInt(f.StrikeOutSize * scale));
    strikeTop_ = ascent_ - RoundToInt(f.StrikeOutPosition * scale);
  } else {
    strikeThickness_ = underlineThickness_;
    strikeTop_ = ascent_ - RoundToInt(f.XHeight * scale / 2 + strikeThickness_ / 2.0);
  }
  strikeTop_ = std::clamp(strikeTop_, 0, std::max(0, cell - strikeThickness_));
}

int Font::EmPixels() const { return face_->Em(); }
const std::string& Font::Family() const { return face_->Family(); }
bool Font::SyntheticBold() const { return face_->GetKey().BoldStrength > 0; }
bool Font::SyntheticItalic() const { return face_->GetKey().Oblique; }

TextSize Font::Extent(std::string_view text) const {
  long long width = 0;
  for (char ch : text) width += face_->GlyphFor(static_cast<unsigned char>(ch))->Advance;
  return TextSize{static_cast<int>(std::min<long long>(width, INT_MAX)), CellHeight()};
}

int Font::Draw(const raster::Surface& surface, int x, int y, std::string_view text, raster::ColorRef color, bool opaque,
               raster::ColorRef background) const {
  const int width = Extent(text).Width;
  if (surface.Empty()) return width;
  // Text may start anywhere an int reaches; the boxes are clipped to the surface anyway.
  auto band = [&](long long top, long long bottom) {
    return raster::Box{x, ToInt(y + top), ToInt(static_cast<long long>(x) + width), ToInt(y + bottom)};
  };
  if (opaque) raster::FillSolid(surface, band(0, CellHeight()), background);

  const std::uint32_t value = raster::ColorToValue(surface, color);
  const long long baseline = static_cast<long long>(y) + ascent_;
  long long penX = x;
  for (char ch : text) {
    if (penX >= surface.Width) break;  // every later glyph starts further right
    const auto glyph = face_->GlyphFor(static_cast<unsigned char>(ch));
    const long long left = penX + glyph->Left;
    const long long top = baseline - glyph->Top;
    penX += glyph->Advance;
    if (glyph->Bits.empty() || left >= surface.Width || left + glyph->Width <= 0 || top >= surface.Height ||
        top + glyph->Rows <= 0) {
      continue;
    }
    const int r0 = static_cast<int>(std::max(0LL, -top));
    const int r1 = static_cast<int>(std::min<long long>(glyph->Rows, surface.Height - top));
    const int c0 = static_cast<int>(std::max(0LL, -left));
    const int c1 = static_cast<int>(std::min<long long>(glyph->Width, surface.Width - left));
    for (int r = r0; r < r1; ++r) {
      const std::uint8_t* bits = glyph->Bits.data() + static_cast<std::size_t>(glyph->Pitch) * r;
      const int py = static_cast<int>(top + r);
      if (surface.BitCount == 32) {
        // The device store: whole 32-bit values, no packing to respect.
        std::uint8_t* row = surface.Row(py) + 4 * (left + c0);
        for (int c = c0; c < c1; ++c, row += 4) {
          if (bits[c >> 3] & (0x80 >> (c & 7))) std::memcpy(row, &value, 4);
        }
        continue;
      }
      for (int c = c0; c < c1; ++c) {
        if (bits[c >> 3] & (0x80 >> (c & 7))) raster::WriteValue(surface, static_cast<int>(left + c), py, value);
      }
    }
  }
  if (request_.Underline) raster::FillSolid(surface, band(underlineTop_, underlineTop_ + underlineThickness_), color);
  if (request_.StrikeOut) raster::FillSolid(surface, band(strikeTop_, strikeTop_ + strikeThickness_), color);
  return width;
}

std::shared_ptr<const Font> GetFont(const FontRequest& request) {
  std::lock_guard lock(g_mutex);
  for (auto it = g_fonts.begin(); it != g_fonts.end(); ++it) {
    if (it->first == request) {
      g_fonts.splice(g_fonts.begin(), g_fonts, it);
      return g_fonts.front().second;
    }
  }
  ++g_stats.FaceMatches;
  const FaceMatch match = MatchFace(request.FaceName, request.Weight, request.Italic, request.PitchRequest);
  auto font = MakeFont(match.File, match.Index, match.Bold, match.Italic, request, true);
  g_fonts.emplace_front(request, font);
  if (g_fonts.size() > MaxCachedFonts) g_fonts.pop_back();
  return font;
}

std::shared_ptr<const Font> OpenFontFile(const std::string& file, int index, const FontRequest& request) {
  std::lock_guard lock(g_mutex);
  return MakeFont(file, index, false, false, request, false);
}

TextStatistics Statistics() {
  return TextStatistics{g_stats.FaceMatches.load(), g_stats.FontsCreated.load(), g_stats.FacesCreated.load(),
                        g_stats.GlyphsRendered.load()};
}

void ClearFontCache() {
  std::lock_guard lock(g_mutex);
  g_fonts.clear();
  g_faces.clear();
  g_designs.clear();
}

}  // namespace gliffo::text
