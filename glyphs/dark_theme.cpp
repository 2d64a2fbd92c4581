#include "glyphs/dark_theme.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "formats/bitmap_image.h"
#include "formats/transparency.h"
#include "glyphs/icon_set.h"
#include "platform/errors.h"
#include "platform/late_math.h"

namespace gliffo {

namespace {

int FromLinear(double c) {
  c = std::clamp(c, 0.0, 1.0);
  const double v = c <= 0.0031308 ? c * 12.92 : 1.055 * math::Pow(c, 1 / 2.4) - 0.055;
  return static_cast<int>(std::lround(v * 255));
}

double Luminance(raster::ColorRef c) {
  return 0.2126 * SrgbToLinear(raster::RedOf(c)) + 0.7152 * SrgbToLinear(raster::GreenOf(c)) +
         0.0722 * SrgbToLinear(raster::BlueOf(c));
}

struct TLab {
  double L, A, B;
};
struct TLinear {
  double R, G, B;
};

// Björn Ottosson's OKLab, from and to linear sRGB.
TLab ToOkLab(const TLinear& c) {
  const double l = math::Cbrt(0.4122214708 * c.R + 0.5363325363 * c.G + 0.0514459929 * c.B);
  const double m = math::Cbrt(0.2119034982 * c.R + 0.6806995451 * c.G + 0.1073969566 * c.B);
  const double s = math::Cbrt(0.0883024619 * c.R + 0.2817188376 * c.G + 0.6299787005 * c.B);
  return {0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s, 1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s,
          0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s};
}

TLinear FromOkLab(const TLab& c) {
  const double l = math::Pow(c.L + 0.3963377774 * c.A + 0.2158037573 * c.B, 3);
  const double m = math::Pow(c.L - 0.1055613458 * c.A - 0.0638541728 * c.B, 3);
  const double s = math::Pow(c.L - 0.0894841775 * c.A - 1.2914855480 * c.B, 3);
  return {4.0767416621 * l - 3.3077115913 * m + 0.2309699292 * s, -1.2684380046 * l + 2.6097574011 * m - 0.3413193965 * s,
          -0.0041960863 * l - 0.7034186147 * m + 1.7076147010 * s};
}

bool InGamut(const TLinear& c) {
  constexpr double e = 1e-6;
  return c.R >= -e && c.R <= 1 + e && c.G >= -e && c.G <= 1 + e && c.B >= -e && c.B <= 1 + e;
}

}  // namespace

double SrgbToLinear(int channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : math::Pow((c + 0.055) / 1.055, 2.4);
}

double ContrastRatio(raster::ColorRef a, raster::ColorRef b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

namespace {

// The colour of a lightness with the chroma of (a, b): a saturated dark colour turned light may
// lie outside what a screen shows, and then its chroma is reduced, never its lightness or its
// hue, until it fits.
raster::ColorRef Realise(double lightness, double a, double b) {
  TLab lab{lightness, a, b};
  if (!InGamut(FromOkLab(lab))) {
    double low = 0, high = 1;
    for (int step = 0; step < 24; ++step) {
      const double mid = (low + high) / 2;
      (InGamut(FromOkLab({lightness, a * mid, b * mid})) ? low : high) = mid;
    }
    lab = {lightness, a * low, b * low};
  }
  const TLinear out = FromOkLab(lab);
  return raster::MakeColorRef(FromLinear(out.R), FromLinear(out.G), FromLinear(out.B));
}

}  // namespace

raster::ColorRef DarkColor(raster::ColorRef color, raster::ColorRef background) {
  if (ContrastRatio(color, background) >= KeptContrast) return color;
  const TLab lab = ToOkLab({SrgbToLinear(raster::RedOf(color)), SrgbToLinear(raster::GreenOf(color)), SrgbToLinear(raster::BlueOf(color))});
  const double turned = 1 - lab.L;
  raster::ColorRef out = Realise(turned, lab.A, lab.B);
  if (ContrastRatio(out, background) >= KeptContrast) return out;
  // A colour of middle lightness turned over stays as dim as it was (or grows dimmer): it is
  // lightened just enough to stand out, hue and chroma kept as before.
  double low = std::max(turned, lab.L), high = 1;
  for (int step = 0; step < 24; ++step) {
    const double mid = (low + high) / 2;
    (ContrastRatio(Realise(mid, lab.A, lab.B), background) >= KeptContrast ? high : low) = mid;
  }
  return Realise(high, lab.A, lab.B);
}

int MakeDarkTheme(TIconSet& set, const std::string& to, const std::string& from) {
  const auto themeOf = [&](const std::string& name) {
    const auto& themes = set.Themes();
    const auto found = std::find(themes.begin(), themes.end(), name);
    if (found == themes.end())
      throw EInvalidOperation("the set has no theme " + name + " (a theme is added to the set file's themes list)");
    return static_cast<int>(found - themes.begin());
  };
  const int toTheme = themeOf(to), fromTheme = themeOf(from);
  if (toTheme == fromTheme) throw EInvalidOperation("a theme is not made from itself");
  std::vector<int> columns;
  for (int c = 0; c < set.ColumnCount(); ++c)
    if (set.Column(c).Theme == toTheme && set.ColumnOf(set.Column(c).Size, fromTheme) >= 0) columns.push_back(c);

  // The theme's own toolbar where the set file names one.
  const raster::ColorRef toolbar = set.Toolbar(to, DarkToolbar);
  std::unordered_map<raster::ColorRef, raster::ColorRef> turned;
  return set.FillDerived(columns, [&](int icon, int column) -> std::shared_ptr<TBitmapImage> {
    const int size = set.Column(column).Size;
    const int source = set.ColumnOf(size, fromTheme);
    if (set.CellEmpty(icon, source)) return nullptr;
    const std::shared_ptr<TBitmapImage> light = set.CellImage(icon, source);
    const raster::Surface in = light->Surface();
    TBitmapImage d;
    d.Width = size;
    d.Height = size;
    std::shared_ptr<TBitmapImage> dark = NewStore(d);
    const raster::Surface out = dark->Surface();
    const auto turn = [&](raster::ColorRef c) {
      const auto found = turned.find(c);
      return found != turned.end() ? found->second : turned.emplace(c, DarkColor(c, toolbar)).first->second;
    };
    if (light->HasAlpha()) {
      // Each pixel keeps its alpha; the store shows the new pixels as a key-colour reader
      // sees them.
      const TAlphaRule rule(set.Options().Decode);
      dark->AlphaPixels = OwnPixels(*light);
      for (std::size_t k = 0; k < dark->AlphaPixels.size(); ++k) {
        std::uint32_t& p = dark->AlphaPixels[k];
        if (AlphaOf(p) != 0) p = AlphaPixelOf(turn(ColorOfAlphaPixel(p)), AlphaOf(p));
        raster::WriteValue(out, static_cast<int>(k) % size, static_cast<int>(k) / size,
                           raster::ColorToValue(out, rule.Flatten(p)));
      }
      return dark;
    }
    // The glyph's transparent colour, its bottom-left pixel's, stays; no drawn colour may
    // become it.
    const raster::ColorRef key = raster::GetPixel(in, 0, size - 1);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const raster::ColorRef c = raster::GetPixel(in, x, y);
        raster::ColorRef d2 = key;
        if (c != key) {
          d2 = turn(c);
          if (d2 == key) d2 ^= 0x000100;
        }
        raster::WriteValue(out, x, y, raster::ColorToValue(out, d2));
      }
    return dark;
  });
}

}  // namespace gliffo
