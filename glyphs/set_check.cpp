#include "glyphs/set_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "formats/bitmap_image.h"
#include "formats/transparency.h"
#include "glyphs/dark_theme.h"
#include "glyphs/icon_set.h"
#include "glyphs/icon_set_file.h"

namespace gliffo {

namespace {

// The light toolbar a glyph is drawn on when the set file names none (a theme named dark is
// drawn on the dark theme's toolbar).
constexpr raster::ColorRef LightToolbar = raster::MakeColorRef(0xEF, 0xEF, 0xEF);
// WCAG's least contrast for graphics.
constexpr double LeastContrast = 3.0;

std::string Hex(raster::ColorRef c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", raster::RedOf(c), raster::GreenOf(c), raster::BlueOf(c));
  return text;
}

std::string At(int x, int y) {
  char text[32];
  std::snprintf(text, sizeof text, "(%d, %d)", x, y);
  return text;
}

struct TBox {
  int Left = 0, Top = 0, Right = -1, Bottom = -1;  // inclusive; Right < Left: nothing drawn
  bool Drawn() const { return Right >= Left; }
  // Twice the drawing's offset from the cell's centre, so that half pixels stay whole.
  int TwiceDx(int size) const { return Left + Right + 1 - size; }
  int TwiceDy(int size) const { return Top + Bottom + 1 - size; }
  bool Centred(int size) const { return std::abs(TwiceDx(size)) <= 2 && std::abs(TwiceDy(size)) <= 2; }
};

TBox BoxOf(const std::vector<std::uint32_t>& pixels, int size) {
  TBox box{size, size, -1, -1};
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      if (AlphaOf(pixels[static_cast<std::size_t>(y * size + x)]) > 0) {
        box.Left = std::min(box.Left, x), box.Right = std::max(box.Right, x);
        box.Top = std::min(box.Top, y), box.Bottom = std::max(box.Bottom, y);
      }
  return box;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", u);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

double RelativeLuminance(int red, int green, int blue) {
  return 0.2126 * SrgbToLinear(red) + 0.7152 * SrgbToLinear(green) + 0.0722 * SrgbToLinear(blue);
}

double ContrastRatio(double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); }

std::string_view ProblemKindName(TProblemKind kind) {
  switch (kind) {
    case TProblemKind::EmptyCell: return "empty";
    case TProblemKind::BadName: return "bad-name";
    case TProblemKind::RepeatedName: return "repeated-name";
    case TProblemKind::SamePictures: return "same-pictures";
    case TProblemKind::SoftPixel: return "soft-pixel";
    case TProblemKind::KeyInAlpha: return "key-colour";
    case TProblemKind::OffCentre: return "off-centre";
    case TProblemKind::LowContrast: return "contrast";
  }
  return "";
}

std::vector<TSetProblem> CheckIconSet(const TIconSet& set) {
  const int icons = set.IconCount(), columns = set.ColumnCount();
  // Every cell as the writers with alpha see it; empty for an empty cell.
  std::vector<std::vector<std::vector<std::uint32_t>>> rgba(static_cast<std::size_t>(icons));
  for (int i = 0; i < icons; ++i) {
    rgba[static_cast<std::size_t>(i)].resize(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c)
      if (!set.CellEmpty(i, c))
        rgba[static_cast<std::size_t>(i)][static_cast<std::size_t>(c)] =
            PixelsWithAlpha(*set.CellImage(i, c), set.Options().Glyphs(set.Column(c).Size));
  }
  std::vector<double> background(set.Themes().size());
  std::vector<std::string> backgroundText(set.Themes().size());
  for (std::size_t t = 0; t < set.Themes().size(); ++t) {
    const std::string& theme = set.Themes()[t];
    const raster::ColorRef c =
        set.Toolbar(theme, theme.find("dark") != std::string::npos ? DarkToolbar : LightToolbar);
    background[t] = RelativeLuminance(raster::RedOf(c), raster::GreenOf(c), raster::BlueOf(c));
    backgroundText[t] = Hex(c);
  }
  const raster::ColorRef key = set.Options().Decode.Key;

  std::vector<TSetProblem> problems;
  std::map<std::string, int> firstNamed;
  std::map<std::vector<std::vector<std::uint32_t>>, int> firstDrawn;
  for (int i = 0; i < icons; ++i) {
    const std::string& name = set.Icons()[static_cast<std::size_t>(i)];
    const auto whole = [&](TProblemKind kind, std::string message) {
      problems.push_back({kind, i, -1, name, 0, "", std::move(message)});
    };
    if (!ValidIconName(name)) whole(TProblemKind::BadName, "the name breaks the naming rules (lower-case letters, digits, -, _ and ., starting with a letter or digit)");
    const auto [named, freshName] = firstNamed.emplace(name, i);
    if (!freshName) whole(TProblemKind::RepeatedName, "the name is icon " + std::to_string(named->second) + "'s too");
    const auto& cells = rgba[static_cast<std::size_t>(i)];
    if (std::any_of(cells.begin(), cells.end(), [](const auto& p) { return !p.empty(); })) {
      const auto [drawn, freshDrawing] = firstDrawn.emplace(cells, i);
      if (!freshDrawing)
        whole(TProblemKind::SamePictures, "the same pictures at every size as " + set.Icons()[static_cast<std::size_t>(drawn->second)]);
    }

    for (int c = 0; c < columns; ++c) {
      const TSetColumn& column = set.Column(c);
      const int size = column.Size;
      const std::string& theme = set.Themes()[static_cast<std::size_t>(column.Theme)];
      const auto cell = [&](TProblemKind kind, std::string message) {
        problems.push_back({kind, i, c, name, size, theme, std::move(message)});
      };
      const std::vector<std::uint32_t>& pixels = cells[static_cast<std::size_t>(c)];
      if (pixels.empty()) {
        cell(TProblemKind::EmptyCell, "empty cell");
        continue;
      }
      const TCellRef stored = set.Cell(i, c);
      if (stored && !stored->Alpha.empty()) {
        // A glyph with a soft edge has many soft pixels; a hard-edged one with a few has a slip.
        int soft = 0, firstSoft = -1, keyed = 0, firstKeyed = -1;
        for (std::size_t p = 0; p < pixels.size(); ++p) {
          const int a = AlphaOf(pixels[p]);
          if (a > 0 && a < 255 && soft++ == 0) firstSoft = static_cast<int>(p);
          if (a == 255 && ColorOfAlphaPixel(pixels[p]) == key && keyed++ == 0) firstKeyed = static_cast<int>(p);
        }
        if (soft > 0 && soft <= std::max(1, size / 8))
          cell(TProblemKind::SoftPixel, "a stray semi-transparent pixel at " + At(firstSoft % size, firstSoft / size) + " (alpha " +
                                            std::to_string(AlphaOf(pixels[static_cast<std::size_t>(firstSoft)])) + ")" +
                                            (soft > 1 ? " and " + std::to_string(soft - 1) + " more" : "") +
                                            " in a glyph otherwise opaque or transparent");
        if (keyed > 0)
          cell(TProblemKind::KeyInAlpha, "the key colour " + Hex(key) + " drawn at " + At(firstKeyed % size, firstKeyed / size) +
                                             (keyed > 1 ? " and " + std::to_string(keyed - 1) + " more pixels" : "") +
                                             " in a glyph with alpha");
      }

      const TBox box = BoxOf(pixels, size);
      if (box.Drawn() && !box.Centred(size)) {
        // Off-centre only against the icon's other sizes: a glyph drawn to one side at every
        // size is drawn so on purpose.
        bool othersCentred = true, anyOther = false;
        for (int o = 0; o < columns; ++o) {
          if (o == c || set.Column(o).Theme != column.Theme) continue;
          const auto& other = cells[static_cast<std::size_t>(o)];
          if (other.empty()) continue;
          const TBox b = BoxOf(other, set.Column(o).Size);
          if (!b.Drawn()) continue;
          anyOther = true;
          othersCentred = othersCentred && b.Centred(set.Column(o).Size);
        }
        if (anyOther && othersCentred) {
          char offset[64];
          std::snprintf(offset, sizeof offset, "%+.1f, %+.1f", box.TwiceDx(size) / 2.0, box.TwiceDy(size) / 2.0);
          cell(TProblemKind::OffCentre, std::string("the drawing is ") + offset + " pixels off the cell's centre; the other sizes are centred");
        }
      }

      // The drawing's average luminance, each pixel weighted by its alpha.
      double sum = 0, weight = 0;
      for (const std::uint32_t p : pixels) {
        const int a = AlphaOf(p);
        if (a == 0) continue;
        const raster::ColorRef colour = ColorOfAlphaPixel(p);
        sum += a * RelativeLuminance(raster::RedOf(colour), raster::GreenOf(colour), raster::BlueOf(colour));
        weight += a;
      }
      if (weight > 0) {
        const double ratio = ContrastRatio(sum / weight, background[static_cast<std::size_t>(column.Theme)]);
        if (ratio < LeastContrast) {
          char text[32];
          std::snprintf(text, sizeof text, "%.2f:1", std::floor(ratio * 100) / 100);
          cell(TProblemKind::LowContrast, std::string("contrast ") + text + " against the toolbar " +
                                              backgroundText[static_cast<std::size_t>(column.Theme)] + ", below 3:1");
        }
      }
    }
  }
  return problems;
}

std::string ProblemLine(const TSetProblem& p) {
  return p.Name + " " + (p.Column < 0 ? "-" : std::to_string(p.Size)) + " " + (p.Column < 0 ? "-" : p.Theme) + ": " + p.Message;
}

std::string ProblemsJson(const std::vector<TSetProblem>& problems) {
  std::string out = "[";
  for (std::size_t k = 0; k < problems.size(); ++k) {
    const TSetProblem& p = problems[k];
    out += k ? ",\n " : "\n ";
    out += "{\"icon\": " + JsonString(p.Name) + ", \"size\": " + (p.Column < 0 ? "null" : std::to_string(p.Size)) +
           ", \"theme\": " + (p.Column < 0 ? "null" : JsonString(p.Theme)) + ", \"problem\": \"" +
           std::string(ProblemKindName(p.Kind)) + "\", \"message\": " + JsonString(p.Message) + "}";
  }
  return out + (problems.empty() ? "]\n" : "\n]\n");
}

}  // namespace gliffo
