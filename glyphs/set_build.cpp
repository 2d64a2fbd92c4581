#include "glyphs/set_build.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "formats/bitmap_image.h"
#include "formats/bmp_file.h"
#include "formats/ico_codec.h"
#include "formats/png_codec.h"
#include "formats/transparency.h"
#include "glyphs/colors.h"
#include "glyphs/icon_set.h"
#include "glyphs/scaling.h"
#include "platform/strings.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"

namespace gliffo {

namespace {

// What a build remembers of its outputs, in the output folder.
constexpr const char* RecordName = ".gliffo-build";
constexpr const char* RecordHeader = "gliffo-build 1";
// Part of every output's fingerprint: raised whenever the bytes made from the same cells change,
// so that a newer program rewrites what an older one made.
constexpr std::uint64_t MakerVersion = 2;

// A 64-bit fingerprint, word by word: builds compare it with the last build's, nothing more.
class THash {
 public:
  THash& Add(std::uint64_t v) {
    value_ = (value_ ^ v) * 0x100000001B3ull;
    value_ ^= value_ >> 29;
    return *this;
  }
  THash& Add(std::string_view text) {
    Add(text.size());
    for (const char c : text) value_ = (value_ ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    return *this;
  }
  THash& Add(const std::vector<std::uint32_t>& words) {
    Add(words.size());
    std::uint64_t h = value_;
    for (const std::uint32_t w : words) h = (h ^ w) * 0x100000001B3ull;
    value_ = h;
    return Add(std::uint64_t{0x9E3779B97F4A7C15ull});
  }
  std::uint64_t Value() const { return value_; }

 private:
  std::uint64_t value_ = 0xCBF29CE484222325ull;
};

// A build writes thousands of PNG files: zlib's usual level, not its slowest.
TEncodeOptions QuickPng() {
  TEncodeOptions options;
  options.Quick = true;
  return options;
}

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// An alpha picture for the writers that carry alpha (PNG, ICO, the 32-bit BMP with alpha): they
// read its own pixels, so its store is left as allocated.
std::shared_ptr<TBitmapImage> AlphaPicture(int width, int height, std::vector<std::uint32_t> pixels) {
  TBitmapImage d;
  d.DeviceDependent = false;
  d.BitCount = 32;
  d.Height = -height;
  d.Width = width;
  std::shared_ptr<TBitmapImage> image = NewStore(d);
  image->AlphaPixels = std::move(pixels);
  return image;
}

// The set's cells as the outputs take them: every cell's fingerprint at once (cheap), its
// pixels only when an output that holds it has to be made.
class TCells {
 public:
  explicit TCells(const TIconSet& set) : set_(set) {
    const int icons = set.IconCount(), columns = set.ColumnCount();
    fingerprints_.resize(static_cast<std::size_t>(icons) * static_cast<std::size_t>(columns));
    rgba_.resize(fingerprints_.size());
    png_.resize(fingerprints_.size());
    rgbaOnce_ = std::make_unique<std::once_flag[]>(fingerprints_.size());
    pngOnce_ = std::make_unique<std::once_flag[]>(fingerprints_.size());
    for (int c = 0; c < columns; ++c) {
      const int size = set.Column(c).Size;
      // The column's format decides what its stored values mean.
      THash column;
      column.Add(MakerVersion).Add(static_cast<std::uint64_t>(size)).Add(set.Options().Encode.Opaque ? 1u : 0u);
      column.Add(PixelsWithAlpha(*set.PictureOf(nullptr, c), set.Options().Glyphs(size)));
      const std::shared_ptr<TBitmapImage> probe = set.PictureOf(nullptr, c);
      column.Add(probe->BitCount).Add(probe->ColorTable.size());
      for (const raster::Rgb& e : probe->ColorTable)
        column.Add(static_cast<std::uint64_t>(raster::ToColorRef(e)));
      for (int i = 0; i < icons; ++i) {
        const TCellRef cell = set.Cell(i, c);
        THash h = column;
        if (cell && !cell->Empty) h.Add(cell->Values).Add(cell->Alpha);
        else h.Add(std::string_view("empty"));
        fingerprints_[Index(i, c)] = h.Value();
      }
    }
  }

  std::uint64_t Fingerprint(int icon, int column) const { return fingerprints_[Index(icon, column)]; }
  bool Empty(int icon, int column) const { return set_.CellEmpty(icon, column); }

  // The cell's pixels as every writer with alpha writes them, top row first (0xAARRGGBB).
  const std::vector<std::uint32_t>& Rgba(int icon, int column) {
    const std::size_t at = Index(icon, column);
    std::call_once(rgbaOnce_[at], [&] {
      rgba_[at] = PixelsWithAlpha(*set_.CellImage(icon, column), set_.Options().Glyphs(set_.Column(column).Size));
    });
    return rgba_[at];
  }
  // The cell as a PNG file, made once however many targets take it (a 32-pixel cell is a theme's
  // 32x32 and 16x16@2 icon, Qt's @2x and percent's _200).
  const std::vector<std::uint8_t>& Png(int icon, int column) {
    const std::size_t at = Index(icon, column);
    std::call_once(pngOnce_[at], [&] { png_[at] = png::Encode(*Picture(icon, column), QuickPng()); });
    return png_[at];
  }
  std::shared_ptr<TBitmapImage> Picture(int icon, int column) {
    const int size = set_.Column(column).Size;
    return AlphaPicture(size, size, Rgba(icon, column));
  }
  // The cell of this column scaled by the factor, as gliffo-tool scale makes it.
  std::shared_ptr<TBitmapImage> Scaled(int icon, int column, TScaleFactor factor) {
    const int size = set_.Column(column).Size;
    const std::shared_ptr<TBitmapImage> scaled =
        ScaleStrip(*set_.CellImage(icon, column), size, factor, DefaultScaleMethod(factor));
    const int to = scaled->AbsHeight();
    return AlphaPicture(to, to, PixelsWithAlpha(*scaled, set_.Options().Glyphs(to)));
  }

 private:
  std::size_t Index(int icon, int column) const {
    return static_cast<std::size_t>(column) * static_cast<std::size_t>(set_.IconCount()) + static_cast<std::size_t>(icon);
  }
  const TIconSet& set_;
  std::vector<std::uint64_t> fingerprints_;
  std::vector<std::vector<std::uint32_t>> rgba_;
  std::vector<std::vector<std::uint8_t>> png_;
  // Outputs are made on several threads at once; each cell's pixels and PNG are made once.
  std::unique_ptr<std::once_flag[]> rgbaOnce_, pngOnce_;
};

struct TOutput {
  std::string Path;  // under the output folder
  std::uint64_t Fingerprint = 0;
  std::function<std::vector<std::uint8_t>()> Make;
  TBuildTarget Target = TBuildTarget::Hicolor;
};

// Builds the list of outputs, target by target.
class TPlan {
 public:
  TPlan(const TIconSet& set, TCells& cells) : set_(set), cells_(cells) {
    stem_ = set.Name();
    for (char& ch : stem_)
      if (!((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_' || ch == '-'))
        ch = '-';
    if (stem_.empty() || stem_[0] == '-') stem_ = "icons" + stem_;
    for (const int s : set.Sizes()) sorted_.push_back(s);
    std::sort(sorted_.begin(), sorted_.end());
  }

  void Add(TBuildTarget target) {
    const std::size_t from = outputs_.size();
    switch (target) {
      case TBuildTarget::Hicolor: Hicolor(); break;
      case TBuildTarget::Qrc: Qrc(); break;
      case TBuildTarget::Percent: Percent(); break;
      case TBuildTarget::Strips: Strips(); break;
      case TBuildTarget::Ico: Ico(); break;
      case TBuildTarget::Sheet: Sheet(); break;
    }
    for (std::size_t k = from; k < outputs_.size(); ++k) outputs_[k].Target = target;
  }
  std::vector<TOutput>& Outputs() { return outputs_; }

 private:
  const std::string& Icon(int i) const { return set_.Icons()[static_cast<std::size_t>(i)]; }
  int ThemeCount() const { return static_cast<int>(set_.Themes().size()); }
  const std::string& Theme(int t) const { return set_.Themes()[static_cast<std::size_t>(t)]; }

  void Text(std::string path, std::string text) {
    const std::uint64_t fp = THash().Add(MakerVersion).Add(text).Value();
    outputs_.push_back({std::move(path), fp, [text = std::move(text)] { return Bytes(text); }});
  }
  void CellPng(std::string path, int icon, int column) {
    outputs_.push_back({std::move(path), THash().Add(std::string_view("png")).Add(cells_.Fingerprint(icon, column)).Value(),
                        [this, icon, column] { return cells_.Png(icon, column); }});
  }
  void ScaledPng(std::string path, int icon, int column, TScaleFactor factor) {
    outputs_.push_back({std::move(path),
                        THash().Add(std::string_view("scaled png")).Add(static_cast<std::uint64_t>(factor)).Add(cells_.Fingerprint(icon, column)).Value(),
                        [this, icon, column, factor] { return png::Encode(*cells_.Scaled(icon, column, factor), QuickPng()); }});
  }
  std::uint64_t ColumnFingerprint(std::string_view kind, int column) const {
    THash h;
    h.Add(kind);
    for (int i = 0; i < set_.IconCount(); ++i) h.Add(cells_.Fingerprint(i, column));
    return h.Value();
  }

  // OUTDIR/hicolor/16x16/actions/NAME.png, .../16x16@2/... where the set has twice the size,
  // an index.theme; each further theme a theme of its own beside it that inherits the first.
  void Hicolor() {
    const std::string context = set_.Context();
    std::string contextTitle = context;
    contextTitle[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(contextTitle[0])));
    for (int t = 0; t < ThemeCount(); ++t) {
      const std::string root = t == 0 ? "hicolor" : "hicolor-" + Theme(t);
      std::vector<std::string> directories;
      std::string sections;
      const auto directory = [&](int size, int scale) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size) + (scale > 1 ? "@" + std::to_string(scale) : "") + "/" + context;
        directories.push_back(name);
        sections += "\n[" + name + "]\nSize=" + std::to_string(size) + "\nScale=" + std::to_string(scale) +
                    "\nContext=" + contextTitle + "\nType=Fixed\n";
        return root + "/" + name + "/";
      };
      for (const int size : sorted_) {
        const int column = set_.ColumnOf(size, t);
        const std::string folder = directory(size, 1);
        for (int i = 0; i < set_.IconCount(); ++i)
          if (!cells_.Empty(i, column)) CellPng(folder + Icon(i) + ".png", i, column);
        const int twice = set_.ColumnOf(size * 2, t);
        if (twice < 0) continue;
        const std::string scaled = directory(size, 2);
        for (int i = 0; i < set_.IconCount(); ++i)
          if (!cells_.Empty(i, twice)) CellPng(scaled + Icon(i) + ".png", i, twice);
      }
      std::string index = "[Icon Theme]\nName=" + set_.Name() + (t == 0 ? "" : " " + Theme(t)) +
                          "\nComment=" + set_.Name() + " icons" + (t == 0 ? "" : ", " + Theme(t) + " theme") + "\n";
      if (t > 0) index += "Inherits=hicolor\n";
      index += "Directories=";
      for (std::size_t d = 0; d < directories.size(); ++d) index += (d ? "," : "") + directories[d];
      index += "\n" + sections;
      Text(root + "/index.theme", index);
    }
  }

  // OUTDIR/qt/NAME.png and NAME@2x.png, further themes under qt/THEME/, and OUTDIR/SET.qrc with
  // one resource prefix per theme.
  void Qrc() {
    const int base = sorted_.front();
    std::string qrc = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n";
    for (int t = 0; t < ThemeCount(); ++t) {
      const std::string folder = t == 0 ? "qt/" : "qt/" + Theme(t) + "/";
      qrc += t == 0 ? "<qresource prefix=\"/\">\n" : "<qresource prefix=\"/" + Theme(t) + "\">\n";
      const int column = set_.ColumnOf(base, t), twice = set_.ColumnOf(base * 2, t);
      for (int i = 0; i < set_.IconCount(); ++i) {
        if (!cells_.Empty(i, column)) {
          CellPng(folder + Icon(i) + ".png", i, column);
          qrc += "  <file alias=\"icons/" + Icon(i) + ".png\">" + folder + Icon(i) + ".png</file>\n";
        }
        if (twice >= 0 && !cells_.Empty(i, twice)) {
          CellPng(folder + Icon(i) + "@2x.png", i, twice);
          qrc += "  <file alias=\"icons/" + Icon(i) + "@2x.png\">" + folder + Icon(i) + "@2x.png</file>\n";
        }
      }
      qrc += "</qresource>\n";
    }
    qrc += "</RCC>\n";
    Text(stem_ + ".qrc", qrc);
  }

  // OUTDIR/percent/NAME.png, NAME_150.png, NAME_200.png, as variants names them: the set's own
  // cells where it has those sizes, else the smallest size scaled as variants scales it.
  void Percent() {
    const int base = sorted_.front();
    for (int t = 0; t < ThemeCount(); ++t) {
      const std::string folder = t == 0 ? "percent/" : "percent/" + Theme(t) + "/";
      const int column = set_.ColumnOf(base, t);
      const int x15 = base % 2 == 0 ? set_.ColumnOf(base / 2 * 3, t) : -1, x2 = set_.ColumnOf(base * 2, t);
      for (int i = 0; i < set_.IconCount(); ++i) {
        if (cells_.Empty(i, column)) continue;
        CellPng(folder + Icon(i) + ".png", i, column);
        if (x15 >= 0) {
          if (!cells_.Empty(i, x15)) CellPng(folder + Icon(i) + "_150.png", i, x15);
        } else if (base % 2 == 0) {
          ScaledPng(folder + Icon(i) + "_150.png", i, column, TScaleFactor::By1_5);
        }
        if (x2 >= 0) {
          if (!cells_.Empty(i, x2)) CellPng(folder + Icon(i) + "_200.png", i, x2);
        } else {
          ScaledPng(folder + Icon(i) + "_200.png", i, column, TScaleFactor::By2);
        }
      }
    }
  }

  // One BMP strip per size and theme: 4 bits over the 16 system colours where every cell is a
  // key-colour cell in those colours, else 32 bits with alpha. NAMES.txt names glyph k.
  void Strips() {
    std::string names;
    for (int i = 0; i < set_.IconCount(); ++i) names += Icon(i) + "\n";
    Text("strips/NAMES.txt", names);
    if (set_.IconCount() == 0) return;
    for (int c = 0; c < set_.ColumnCount(); ++c) {
      outputs_.push_back({"strips/" + stem_ + "-" + set_.Column(c).Key + ".bmp", ColumnFingerprint("strip", c),
                          [this, c] { return Strip(c); }});
    }
  }
  std::vector<std::uint8_t> Strip(int column) {
    const int size = set_.Column(column).Size, count = set_.IconCount();
    const auto& palette = SystemPalette16();
    bool fits = true;
    std::vector<std::shared_ptr<TBitmapImage>> pictures;
    for (int i = 0; i < count; ++i) {
      const TCellRef cell = set_.Cell(i, column);
      if (cell && !cell->Alpha.empty()) fits = false;
      pictures.push_back(set_.CellImage(i, column));
    }
    std::vector<std::uint8_t> index(static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * static_cast<std::size_t>(count));
    for (int i = 0; i < count && fits; ++i) {
      const raster::Surface s = pictures[static_cast<std::size_t>(i)]->Surface();
      for (int y = 0; y < size && fits; ++y)
        for (int x = 0; x < size && fits; ++x) {
          const raster::ColorRef colour = raster::GetPixel(s, x, y);
          const auto at = std::find_if(palette.begin(), palette.end(), [&](const raster::Rgb& e) { return raster::ToColorRef(e) == colour; });
          if (at == palette.end()) fits = false;
          else index[(static_cast<std::size_t>(y) * static_cast<std::size_t>(count) + static_cast<std::size_t>(i)) * static_cast<std::size_t>(size) + static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(at - palette.begin());
        }
    }
    if (fits) {
      TBitmapImage d;
      d.DeviceDependent = false;
      d.BitCount = 4;
      d.ColorTable.assign(palette.begin(), palette.end());
      d.ClrUsed = 16;
      d.Width = size * count;
      d.Height = size;
      const std::shared_ptr<TBitmapImage> strip = NewStore(d);
      const raster::Surface s = strip->Surface();
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < d.Width; ++x)
          raster::WriteValue(s, x, y, index[static_cast<std::size_t>(y) * static_cast<std::size_t>(d.Width) + static_cast<std::size_t>(x)]);
      return bmp::Encode(*strip);
    }
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      const std::vector<std::uint32_t>& cell = cells_.Rgba(i, column);
      for (int y = 0; y < size; ++y)
        std::copy_n(cell.begin() + static_cast<std::ptrdiff_t>(y) * size, size,
                    pixels.begin() + (static_cast<std::ptrdiff_t>(y) * count + i) * size);
    }
    return bmp::EncodeWithAlpha(*AlphaPicture(size * count, size, std::move(pixels)), set_.Options().Glyphs(size));
  }

  // OUTDIR/ico/NAME.ico with every size the icon is drawn at; further themes under ico/THEME/.
  void Ico() {
    for (int t = 0; t < ThemeCount(); ++t) {
      const std::string folder = t == 0 ? "ico/" : "ico/" + Theme(t) + "/";
      for (int i = 0; i < set_.IconCount(); ++i) {
        std::vector<int> columns;
        THash h;
        h.Add(std::string_view("ico"));
        for (const int size : sorted_) {
          const int c = set_.ColumnOf(size, t);
          if (cells_.Empty(i, c)) continue;
          columns.push_back(c);
          h.Add(cells_.Fingerprint(i, c));
        }
        if (columns.empty()) continue;
        outputs_.push_back({folder + Icon(i) + ".ico", h.Value(), [this, i, columns] {
                              std::vector<std::shared_ptr<TBitmapImage>> pictures;
                              std::vector<const TBitmapImage*> entries;
                              for (const int c : columns) {
                                pictures.push_back(cells_.Picture(i, c));
                                entries.push_back(pictures.back().get());
                              }
                              return ico::Encode(entries);
                            }});
      }
    }
  }

  // OUTDIR/SET-16.png (SET-16-dark.png, ...): the cells in a grid, row by row, and beside it
  // SET-16.json with each icon's rectangle as Aseprite's --data writes a hash of frames.
  void Sheet() {
    const int count = set_.IconCount();
    if (count == 0) return;
    const int across = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
    const int down = (count + across - 1) / across;
    for (int c = 0; c < set_.ColumnCount(); ++c) {
      const int size = set_.Column(c).Size;
      const std::string name = stem_ + "-" + set_.Column(c).Key;
      outputs_.push_back({name + ".png", ColumnFingerprint("sheet", c), [this, c, size, across, down, count] {
                            std::vector<std::uint32_t> pixels(static_cast<std::size_t>(across) * static_cast<std::size_t>(down) *
                                                              static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
                            const std::size_t width = static_cast<std::size_t>(across) * static_cast<std::size_t>(size);
                            for (int i = 0; i < count; ++i) {
                              const std::vector<std::uint32_t>& cell = cells_.Rgba(i, c);
                              const std::size_t left = static_cast<std::size_t>(i % across) * static_cast<std::size_t>(size);
                              const std::size_t top = static_cast<std::size_t>(i / across) * static_cast<std::size_t>(size);
                              for (int y = 0; y < size; ++y)
                                std::copy_n(cell.begin() + static_cast<std::ptrdiff_t>(y) * size, size,
                                            pixels.begin() + static_cast<std::ptrdiff_t>((top + static_cast<std::size_t>(y)) * width + left));
                            }
                            return png::Encode(*AlphaPicture(across * size, down * size, std::move(pixels)), QuickPng());
                          }});
      std::ostringstream json;
      json << "{ \"frames\": {\n";
      for (int i = 0; i < count; ++i) {
        const int x = i % across * size, y = i / across * size;
        json << "  \"" << Icon(i) << "\": {\n"
             << "    \"frame\": { \"x\": " << x << ", \"y\": " << y << ", \"w\": " << size << ", \"h\": " << size << " },\n"
             << "    \"rotated\": false,\n    \"trimmed\": false,\n"
             << "    \"spriteSourceSize\": { \"x\": 0, \"y\": 0, \"w\": " << size << ", \"h\": " << size << " },\n"
             << "    \"sourceSize\": { \"w\": " << size << ", \"h\": " << size << " },\n"
             << "    \"duration\": 100\n  }" << (i + 1 < count ? "," : "") << "\n";
      }
      json << " },\n \"meta\": {\n  \"app\": \"gliffo-tool\",\n  \"image\": \"" << name << ".png\",\n"
           << "  \"format\": \"RGBA8888\",\n  \"size\": { \"w\": " << across * size << ", \"h\": " << down * size << " },\n"
           << "  \"scale\": \"1\"\n }\n}\n";
      Text(name + ".json", json.str());
    }
  }

  const TIconSet& set_;
  TCells& cells_;
  std::string stem_;
  std::vector<int> sorted_;
  std::vector<TOutput> outputs_;
};

struct TRecord {
  std::uint64_t Fingerprint = 0;
  std::uint64_t Size = 0;
  std::int64_t Time = 0;  // modification time in nanoseconds
  bool Stale = false;     // made by an earlier build, not by the last one of its target
  std::string Target;
};

// What the last build left: its outputs, and the fingerprint of what it was built from.
struct TRecords {
  std::map<std::string, TRecord> Files;
  std::uint64_t Inputs = 0;  // 0: not known
  std::string Text;
};

// A record is a file anyone may have edited, and a clean removes what it lists: only paths that
// stay inside the output folder are taken from it.
bool InsideFolder(const std::string& path) {
  if (path.empty() || path[0] == '/') return false;
  std::size_t from = 0;
  while (true) {
    const std::size_t slash = path.find('/', from);
    const std::string part = path.substr(from, slash == std::string::npos ? std::string::npos : slash - from);
    if (part.empty() || part == "." || part == "..") return false;
    if (slash == std::string::npos) return true;
    from = slash + 1;
  }
}

// Whether every folder on the way to the file is a real folder, not a link that could lead a
// removal out of the output folder.
bool NoLinkOnTheWay(const std::string& folder, const std::string& path) {
  for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    struct stat info {};
    if (::lstat((folder + path.substr(0, slash)).c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  }
  return true;
}

TRecords ReadRecords(const std::string& file) {
  TRecords records;
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return records;
  try {
    const std::vector<std::uint8_t> bytes = files::ReadWholeFile(file);
    records.Text.assign(bytes.begin(), bytes.end());
  } catch (const std::exception&) {
    return records;  // unreadable: every output is checked against the file itself
  }
  // One line a file: fingerprint, size, time, + (made by the last build of its target) or -
  // (stale), the target, the path.
  const std::string& text = records.Text;
  std::size_t at = text.find('\n');
  if (at == std::string::npos || text.compare(0, at, RecordHeader) != 0) return {{}, 0, records.Text};
  while (at != std::string::npos && at + 1 < text.size()) {
    const std::size_t from = at + 1;
    at = text.find('\n', from);
    const std::string line = text.substr(from, at == std::string::npos ? std::string::npos : at - from);
    if (line.starts_with("inputs ")) {
      records.Inputs = std::strtoull(line.c_str() + 7, nullptr, 16);
      continue;
    }
    TRecord r;
    char* end = nullptr;
    r.Fingerprint = std::strtoull(line.c_str(), &end, 16);
    r.Size = std::strtoull(end, &end, 10);
    r.Time = std::strtoll(end, &end, 10);
    if (*end != ' ' || (end[1] != '+' && end[1] != '-') || end[2] != ' ') continue;
    r.Stale = end[1] == '-';
    const std::string rest(end + 3);
    const std::size_t space = rest.find(' ');
    if (space == std::string::npos || space == 0 || space + 1 == rest.size()) continue;
    r.Target = rest.substr(0, space);
    std::string path = rest.substr(space + 1);
    if (InsideFolder(path)) records.Files[std::move(path)] = r;
  }
  return records;
}

std::string RecordsText(const std::map<std::string, TRecord>& records, std::uint64_t inputs) {
  std::ostringstream out;
  out << RecordHeader << "\n";
  if (inputs != 0) out << "inputs " << std::hex << inputs << std::dec << "\n";
  for (const auto& [path, r] : records)
    out << std::hex << r.Fingerprint << std::dec << " " << r.Size << " " << r.Time << (r.Stale ? " - " : " + ") << r.Target << " " << path << "\n";
  return out.str();
}

std::optional<TRecord> StatOf(const std::string& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  TRecord r;
  r.Size = static_cast<std::uint64_t>(info.st_size);
  r.Time = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return r;
}

// Runs work(0) .. work(count - 1) on up to as many threads as the machine has cores.
void MakeAll(std::size_t count, const std::function<void(std::size_t)>& work) {
  const std::size_t threads = std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), 8);
  std::atomic<std::size_t> next{0};
  const auto run = [&] {
    for (std::size_t k = next++; k < count; k = next++) work(k);
  };
  std::vector<std::thread> helpers;
  for (std::size_t t = 1; t < threads && t * 16 < count; ++t) helpers.emplace_back(run);
  run();
  for (std::thread& helper : helpers) helper.join();
}

void MakeFolder(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
    ThrowAboutFile(folder, EFCreateError(FormatMessage(texts::CannotCreateFile, folder)));
}

}  // namespace

const std::vector<TBuildTarget>& AllBuildTargets() {
  static const std::vector<TBuildTarget> all{TBuildTarget::Hicolor, TBuildTarget::Qrc, TBuildTarget::Percent,
                                             TBuildTarget::Strips, TBuildTarget::Ico, TBuildTarget::Sheet};
  return all;
}

std::string_view BuildTargetName(TBuildTarget target) {
  switch (target) {
    case TBuildTarget::Hicolor: return "hicolor";
    case TBuildTarget::Qrc: return "qrc";
    case TBuildTarget::Percent: return "percent";
    case TBuildTarget::Strips: return "strips";
    case TBuildTarget::Ico: return "ico";
    case TBuildTarget::Sheet: return "sheet";
  }
  return "";
}

std::optional<TBuildTarget> ParseBuildTarget(std::string_view name) {
  for (const TBuildTarget t : AllBuildTargets())
    if (BuildTargetName(t) == name) return t;
  return std::nullopt;
}

namespace {

std::string FolderOf(const std::string& outDir) {
  return outDir.empty() ? "./" : outDir.ends_with('/') ? outDir : outDir + "/";
}

TBuildResult Build(const TIconSet& set, const std::string& outDir, const TBuildChoices& choices, std::uint64_t inputs) {
  TCells cells(set);
  TPlan plan(set, cells);
  for (const TBuildTarget t : choices.Targets.empty() ? AllBuildTargets() : choices.Targets) plan.Add(t);
  std::vector<TOutput>& outputs = plan.Outputs();

  const std::string folder = FolderOf(outDir);
  MakeFolder(outDir.empty() ? "." : outDir);
  const std::string recordFile = folder + RecordName;
  const TRecords last = ReadRecords(recordFile);
  const std::map<std::string, TRecord>& old = last.Files;
  std::map<std::string, TRecord> records;

  TBuildResult result;
  std::map<std::string, const TOutput*> waiting;  // the files given to the batch
  // Only the targets built now say which of their old files are stale.
  std::set<std::string> built;
  for (const TOutput& output : outputs) built.emplace(BuildTargetName(output.Target));
  for (const TBuildTarget t : choices.Targets.empty() ? AllBuildTargets() : choices.Targets) built.emplace(BuildTargetName(t));
  std::set<std::string> folders;  // known to exist
  files::TSafeFileBatch batch([&](const std::string& file) {
    const std::string path = file.substr(folder.size());
    TRecord r = StatOf(file).value_or(TRecord{});
    r.Fingerprint = waiting.at(path)->Fingerprint;
    r.Target = BuildTargetName(waiting.at(path)->Target);
    records[path] = r;
    result.Written.push_back(path);
  });
  // Whatever happens, the record says what the folder now holds.
  // A build that failed keeps no fingerprint of its inputs: the next one must not take the
  // outputs it never made for made.
  // A clean that did not run (the build failed first) forgets nothing either.
  const auto saveRecords = [&](std::uint64_t inputsSeen, bool cleaned) {
    if (!cleaned)
      for (const auto& [path, r] : old)
        if (!records.count(path) && !waiting.count(path)) {
          TRecord& kept = records.emplace(path, r).first->second;
          if (built.count(kept.Target)) kept.Stale = true;
        }
    const std::string text = RecordsText(records, inputsSeen);
    if (text != last.Text) AboutFile(recordFile, [&] { files::WriteWholeFile(recordFile, Bytes(text)); });
  };
  // The set's own files are never written over: a build into the set's folder could otherwise
  // put a sheet in place of a strip of the same name.
  std::set<std::pair<dev_t, ino_t>> sources;
  std::vector<std::string> sourceFiles{set.FileName()};
  for (int c = 0; c < set.ColumnCount(); ++c)
    if (!set.Column(c).FullPath.empty()) sourceFiles.push_back(set.Column(c).FullPath);
  for (const std::string& file : sourceFiles) {
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0) sources.emplace(info.st_dev, info.st_ino);
  }
  std::vector<std::optional<TRecord>> stats;
  stats.reserve(outputs.size());
  // Nor does a link in the output folder lead a build's files anywhere else.
  std::map<std::string, bool> realFolder;
  const auto refuseLink = [](const std::string& file) {
    ThrowAboutFile(file, EInvalidOperation("the name is a link; a build writes only inside its folder"));
  };
  for (const TOutput& output : outputs) {
    const std::string file = folder + output.Path;
    for (std::size_t slash = output.Path.find('/'); slash != std::string::npos; slash = output.Path.find('/', slash + 1)) {
      const std::string sub = folder + output.Path.substr(0, slash);
      const auto known = realFolder.find(sub);
      bool linked = false;
      if (known != realFolder.end()) {
        linked = !known->second;
      } else {
        struct stat info {};
        linked = ::lstat(sub.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
        realFolder.emplace(sub, !linked);
      }
      if (linked) refuseLink(sub);
    }
    struct stat info {};
    if (::lstat(file.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) refuseLink(file);
    if (::stat(file.c_str(), &info) == 0 && sources.count({info.st_dev, info.st_ino}))
      ThrowAboutFile(file, EInvalidOperation("the file is one of the set's own; the build writes nothing over it"));
    stats.push_back(StatOf(file));
  }
  try {
    // Which outputs the record shows as made already; the rest are made on every core at once
    // (encoding is most of a build), then compared and saved here in their order.
    std::vector<std::size_t> wanted;
    for (std::size_t n = 0; n < outputs.size(); ++n) {
      const TOutput& output = outputs[n];
      const std::optional<TRecord>& now = stats[n];
      const auto before = old.find(output.Path);
      if (now && before != old.end() && before->second.Fingerprint == output.Fingerprint &&
          before->second.Size == now->Size && before->second.Time == now->Time) {
        records[output.Path] = before->second;
        records[output.Path].Stale = false;
        records[output.Path].Target = BuildTargetName(output.Target);
        ++result.Unchanged;
        continue;
      }
      wanted.push_back(n);
    }
    std::vector<std::vector<std::uint8_t>> made(wanted.size());
    std::vector<std::exception_ptr> failures(wanted.size());
    MakeAll(wanted.size(), [&](std::size_t k) {
      try {
        made[k] = outputs[wanted[k]].Make();
      } catch (...) {
        failures[k] = std::current_exception();
      }
    });
    for (std::size_t k = 0; k < wanted.size(); ++k) {
      const std::size_t n = wanted[k];
      const TOutput& output = outputs[n];
      const std::string file = folder + output.Path;
      const std::optional<TRecord>& now = stats[n];
      if (failures[k]) AboutFile(file, [&] { std::rethrow_exception(failures[k]); });
      const std::vector<std::uint8_t> bytes = std::move(made[k]);
      if (now && now->Size == bytes.size()) {
        std::vector<std::uint8_t> held;
        try {
          held = files::ReadWholeFile(file);
        } catch (const std::exception&) {
        }
        if (held == bytes) {
          TRecord r = *now;
          r.Fingerprint = output.Fingerprint;
          r.Target = BuildTargetName(output.Target);
          records[output.Path] = r;
          ++result.Unchanged;
          continue;
        }
      }
      for (std::size_t slash = output.Path.find('/'); slash != std::string::npos; slash = output.Path.find('/', slash + 1)) {
        const std::string sub = folder + output.Path.substr(0, slash);
        if (folders.insert(sub).second) MakeFolder(sub);
      }
      waiting[output.Path] = &output;
      batch.Save(file, bytes);
    }
    batch.Commit();
  } catch (...) {
    try {
      batch.Commit();
    } catch (...) {
    }
    try {
      saveRecords(0, false);
    } catch (...) {
    }
    throw;
  }
  std::optional<std::pair<std::string, std::string>> failed;
  if (choices.Clean) {
    for (const auto& [path, r] : old) {
      if (records.count(path)) continue;
      if (!built.count(r.Target)) {
        records.emplace(path, r);  // another target's: not this build's to judge
        continue;
      }
      const std::string file = folder + path;
      if (!NoLinkOnTheWay(folder, path)) continue;  // forgotten, not followed
      if (::unlink(file.c_str()) == 0 || errno == ENOENT) {
        result.Removed.push_back(path);
      } else {
        // Kept in the record, so that a later clean tries it again.
        if (!failed) failed.emplace(file, "the file cannot be removed: " + std::string(std::strerror(errno)));
        records.emplace(path, r).first->second.Stale = true;
      }
    }
  }
  saveRecords(failed ? 0 : inputs, choices.Clean);
  if (failed) ThrowAboutFile(failed->first, EFCreateError(failed->second));
  return result;
}

// What a build is made from, by the identity of its files (device, inode, size, modification
// time: a save that replaces a strip changes them) and the build's choices.
std::uint64_t InputsOf(const std::string& setFile, const TBuildChoices& choices, const TImageOptions& options) {
  THash h;
  h.Add(MakerVersion);
  std::vector<std::string> inputs{setFile};
  for (std::string& strip : TIconSet::StripFiles(setFile)) inputs.push_back(std::move(strip));
  for (const std::string& file : inputs) {
    h.Add(file);
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
      h.Add(std::string_view("missing"));
      continue;
    }
    h.Add(static_cast<std::uint64_t>(info.st_dev)).Add(static_cast<std::uint64_t>(info.st_ino));
    h.Add(static_cast<std::uint64_t>(info.st_size)).Add(static_cast<std::uint64_t>(info.st_mtim.tv_sec));
    h.Add(static_cast<std::uint64_t>(info.st_mtim.tv_nsec));
  }
  for (const TBuildTarget t : choices.Targets.empty() ? AllBuildTargets() : choices.Targets) h.Add(static_cast<std::uint64_t>(t) + 1);
  h.Add(options.Decode.Key).Add(options.Decode.Matte).Add(options.Encode.Opaque ? 1u : 0u);
  const std::uint64_t value = h.Value();
  return value == 0 ? 1 : value;
}

}  // namespace

TBuildResult BuildIconSet(const TIconSet& set, const std::string& outDir, const TBuildChoices& choices) {
  return Build(set, outDir, choices, 0);
}

TBuildResult BuildIconSetFile(const std::string& setFile, const std::string& outDir, const TBuildChoices& choices,
                              const TImageOptions& options) {
  // Taken before anything is read: a strip saved while the build runs is seen by the next one.
  const std::uint64_t inputs = InputsOf(setFile, choices, options);
  if (!choices.Clean) {
    const std::string folder = FolderOf(outDir);
    const TRecords last = ReadRecords(folder + RecordName);
    if (last.Inputs == inputs && !last.Files.empty()) {
      TBuildResult result;
      bool same = true;
      for (const auto& [path, r] : last.Files) {
        const std::optional<TRecord> now = StatOf(folder + path);
        if (!r.Stale && (!now || now->Size != r.Size || now->Time != r.Time)) {
          same = false;
          break;
        }
        if (!r.Stale) ++result.Unchanged;
      }
      if (same) return result;
    }
  }
  const TIconSet set = TIconSet::Open(setFile, options);
  return Build(set, outDir, choices, inputs);
}

}  // namespace gliffo
