#include "glyphs/icon_set_import.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "formats/image_formats.h"
#include "platform/errors.h"
#include "platform/raster/pixels.h"

namespace gliffo {

namespace fs = std::filesystem;

std::optional<TSetLayout> ParseSetLayout(const std::string& text) {
  if (text == "hicolor") return TSetLayout::Hicolor;
  if (text == "qt") return TSetLayout::Qt;
  if (text == "percent") return TSetLayout::Percent;
  if (text == "strips") return TSetLayout::Strips;
  return std::nullopt;
}

namespace {

// One picture found for a name at a size; Rank orders two files giving the same cell (a
// theme tree's 32x32 before its 16x16@2).
struct TFound {
  std::string File;
  int Rank = 0;
};
using TFoundCells = std::map<std::string, std::map<int, TFound>>;  // name -> size -> file

bool IsPng(const fs::path& p) {
  std::string ext = p.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".png";
}

std::vector<fs::path> SortedEntries(const fs::path& folder) {
  std::vector<fs::path> entries;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) entries.push_back(it->path());
  if (error) throw EInvalidOperation(folder.string() + ": the folder cannot be read");
  std::sort(entries.begin(), entries.end());
  return entries;
}

bool ParseCount(const std::string& text, int& value) {
  if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::stoi(text);
  return value > 0;
}

void Note(TFoundCells& found, const std::string& name, int size, const std::string& file, int rank,
          std::vector<std::string>& warnings) {
  if (!ValidIconName(name)) {
    warnings.push_back(file + ": \"" + name + "\" is not a valid icon name; left out");
    return;
  }
  if (size < 1 || size > MaxSetSize) {
    warnings.push_back(file + ": no glyph size of a set; left out");
    return;
  }
  TFound& cell = found[name][size];
  if (!cell.File.empty() && cell.Rank <= rank) {
    warnings.push_back(file + ": " + name + " at " + std::to_string(size) + " is taken from " + cell.File + "; left out");
    return;
  }
  if (!cell.File.empty()) warnings.push_back(cell.File + ": " + name + " at " + std::to_string(size) + " is taken from " + file + "; left out");
  cell = {file, rank};
}

// SOURCE/16x16/actions/NAME.png, SOURCE/16x16@2/actions/NAME.png (32 pixels).
void FindHicolor(const fs::path& source, TFoundCells& found, std::vector<std::string>& warnings) {
  for (const fs::path& dir : SortedEntries(source)) {
    if (!fs::is_directory(dir)) continue;
    const std::string folder = dir.filename().string();
    const std::size_t x = folder.find('x'), at = folder.find('@');
    int width = 0, height = 0, scale = 1;
    if (x == std::string::npos || !ParseCount(folder.substr(0, x), width) ||
        !ParseCount(folder.substr(x + 1, at == std::string::npos ? std::string::npos : at - x - 1), height) ||
        width != height || (at != std::string::npos && !ParseCount(folder.substr(at + 1), scale)))
      continue;  // "scalable", "symbolic" and other folders hold no pictures of one size
    for (const fs::path& context : SortedEntries(dir)) {
      if (!fs::is_directory(context)) continue;
      for (const fs::path& file : SortedEntries(context))
        if (IsPng(file) && fs::is_regular_file(file))
          Note(found, file.stem().string(), width * scale, file.string(), scale, warnings);
    }
  }
}

// NAME.png at the folder's one size, NAME@2x.png (Qt) or NAME_200.png (percent) at a multiple.
void FindScaled(const fs::path& source, bool qt, const TImageOptions& options, TFoundCells& found,
                std::vector<std::string>& warnings) {
  struct TFile {
    std::string Name, File;
    int Percent = 100;
  };
  std::vector<TFile> files;
  int base = 0;
  for (const fs::path& file : SortedEntries(source)) {
    if (!IsPng(file) || !fs::is_regular_file(file)) continue;
    std::string name = file.stem().string();
    int percent = 100;
    if (qt) {
      const std::size_t at = name.rfind('@');
      int times = 0;
      if (at != std::string::npos && name.ends_with('x') && ParseCount(name.substr(at + 1, name.size() - at - 2), times)) {
        percent = times * 100;
        name.resize(at);
      }
    } else {
      const std::size_t underscore = name.rfind('_');
      int value = 0;
      if (underscore != std::string::npos && ParseCount(name.substr(underscore + 1), value) && value >= 100 &&
          name.size() - underscore - 1 == 3) {
        percent = value;
        name.resize(underscore);
      }
    }
    if (percent == 100 && base == 0) {
      const std::shared_ptr<TBitmapImage> picture = AboutFile(file.string(), [&] { return LoadImageFile(file.string(), options.Decode); });
      if (picture && picture->HasPixels()) base = picture->AbsHeight();
    }
    files.push_back({name, file.string(), percent});
  }
  if (base == 0) throw EInvalidOperation(source.string() + ": no NAME.png gives the set's smallest size");
  for (const TFile& f : files) {
    if (base * f.Percent % 100 != 0) {
      warnings.push_back(f.File + ": " + std::to_string(f.Percent) + " % of " + std::to_string(base) + " pixels is no whole size; left out");
      continue;
    }
    Note(found, f.Name, base * f.Percent / 100, f.File, 0, warnings);
  }
}

std::shared_ptr<TBitmapImage> GlyphOf(const TBitmapImage& strip, int index, int size) {
  TBitmapImage d = strip;
  d.Bits.clear();
  d.AlphaPixels.clear();
  d.SizeImage = 0;
  d.Width = size;
  std::shared_ptr<TBitmapImage> glyph = NewStore(d);
  const raster::Surface from = strip.Surface(), to = glyph->Surface();
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) raster::WriteValue(to, x, y, raster::ReadValue(from, index * size + x, y));
  if (strip.HasAlpha()) glyph->AlphaPixels = AlphaPixelsOfArea(strip, index * size, 0, size, size);
  return glyph;
}

}  // namespace

TIconSet ImportIconSet(const std::string& setFile, const TSetImport& import, const TImageOptions& options,
                       std::vector<std::string>& warnings) {
  if (import.Layout == TSetLayout::Strips) {
    std::ifstream in(import.NamesFile);
    if (!in) throw EFOpenError(import.NamesFile + ": the names file cannot be opened");
    std::vector<std::string> names;
    for (std::string line; std::getline(in, line);) {
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
      const std::size_t first = line.find_first_not_of(" \t");
      if (first == std::string::npos || line[first] == '#') continue;
      names.push_back(line.substr(first));
    }
    if (names.empty()) throw EInvalidOperation(import.NamesFile + ": the file names no icon");
    std::vector<std::shared_ptr<TBitmapImage>> strips;
    std::vector<int> sizes;
    for (const std::string& file : import.Strips) {
      std::shared_ptr<TBitmapImage> strip = AboutFile(file, [&] { return LoadImageFile(file, options.Decode); });
      if (!strip || !strip->HasPixels()) ThrowAboutFile(file, EInvalidOperation("the file is empty"));
      const int size = strip->AbsHeight();
      if (std::find(sizes.begin(), sizes.end(), size) != sizes.end())
        ThrowAboutFile(file, EInvalidOperation("another strip is " + std::to_string(size) + " pixels high too"));
      if (strip->Width / size < static_cast<int>(names.size()))
        warnings.push_back(file + ": " + std::to_string(strip->Width / size) + " glyphs for " + std::to_string(names.size()) +
                           " names; the last icons are empty at " + std::to_string(size));
      if (strip->Width / size > static_cast<int>(names.size()))
        warnings.push_back(file + ": the glyphs past the " + std::to_string(names.size()) + " names are left out");
      sizes.push_back(size);
      strips.push_back(std::move(strip));
    }
    if (strips.empty()) throw EInvalidOperation("no strip given");
    TIconSet set = TIconSet::New(setFile, sizes, {}, options);
    for (const std::string& name : names) set.Add(name, set.IconCount());
    for (std::size_t s = 0; s < strips.size(); ++s) {
      const int glyphs = std::min(strips[s]->Width / sizes[s], set.IconCount());
      for (int g = 0; g < glyphs; ++g) set.SetCell(g, static_cast<int>(s), *GlyphOf(*strips[s], g, sizes[s]));
    }
    return set;
  }

  TFoundCells found;
  const fs::path source(import.Source);
  if (!fs::is_directory(source)) throw EFOpenError(import.Source + ": no such folder");
  if (import.Layout == TSetLayout::Hicolor)
    FindHicolor(source, found, warnings);
  else
    FindScaled(source, import.Layout == TSetLayout::Qt, options, found, warnings);

  // Every picture read first, so one of the wrong size is left out before the sizes are known.
  std::map<std::string, std::map<int, std::shared_ptr<TBitmapImage>>> pictures;
  std::set<int> sizes;
  for (const auto& [name, cells] : found) {
    for (const auto& [edge, cell] : cells) {
      // Named anew: a lambda may not capture a structured binding (before C++20 in clang).
      const int size = edge;
      const std::string file = cell.File;
      std::shared_ptr<TBitmapImage> picture = AboutFile(file, [&] { return LoadImageFile(file, options.DecodeAt(size)); });
      if (!picture || picture->Width != size || picture->AbsHeight() != size) {
        warnings.push_back(file + ": not " + std::to_string(size) + "x" + std::to_string(size) + " pixels; left out");
        continue;
      }
      pictures[name][size] = std::move(picture);
      sizes.insert(size);
    }
  }
  if (sizes.empty()) throw EInvalidOperation(import.Source + ": no icon found");
  const std::vector<int> sizeList(sizes.begin(), sizes.end());
  TIconSet set = TIconSet::New(setFile, sizeList, {}, options);
  for (const auto& [name, cells] : pictures) {
    const int icon = set.IconCount();
    set.Add(name, icon);
    for (const auto& [size, picture] : cells) set.SetCell(icon, set.ColumnOf(size, 0), *picture);
  }
  return set;
}

}  // namespace gliffo
