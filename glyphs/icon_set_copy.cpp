// The recovery copy of an icon set: the set written whole into a folder of the recovery copy,
// and brought back from there at its own set file.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <set>

#include "formats/image_formats.h"
#include "glyphs/icon_set.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"

namespace gliffo {

namespace fs = std::filesystem;

namespace {

// The copy's own set file, naming the copy's strips, and the set's file as last read or saved.
constexpr const char* CopySetName = "set.glyphset";
constexpr const char* BaseSetName = "base.glyphset";
// Beside a strip with alpha cells, their own pixels (KEY-alpha.bmp, a BMP with alpha); the
// strip itself holds every cell's stored values, which a BMP with alpha would not give back.
constexpr const char* AlphaSuffix = "-alpha.bmp";

// A cell's letter in the description: no glyph, made from others, any other; upper case for a
// cell with alpha.
char KindOf(const TCellRef& cell) {
  if (!cell) return '.';
  const char kind = cell->Derived ? 'd' : 'c';
  return cell->Alpha.empty() ? kind : static_cast<char>(kind - 'a' + 'A');
}

std::span<const std::uint8_t> BytesOf(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

std::shared_ptr<const TIconSet> TIconSet::Snapshot() const {
  std::shared_ptr<TIconSet> copy(new TIconSet());
  // In full: the copy is read by a later run, wherever that one starts.
  copy->fileName_ = fs::absolute(fs::path(fileName_)).lexically_normal().string();
  copy->file_ = file_;
  copy->data_ = data_;
  copy->options_ = options_;
  copy->columns_ = columns_;
  copy->strips_ = strips_;
  copy->state_ = state_;
  copy->saved_ = saved_;
  copy->changes_ = changes_;
  return copy;
}

TSetCopyInfo TIconSet::WriteCopy(const std::string& folder) const {
  TSetCopyInfo info;
  info.File = fileName_;
  info.NewSet = file_.Text().empty();
  info.Modified = Modified();
  info.Icons = IconCount();
  info.Origins = state_.Origins;
  TSetFileData data;
  data.Name = data_.Name;
  data.Sizes = data_.Sizes;
  data.Themes = data_.Themes;
  data.Icons = state_.Icons;
  for (int c = 0; c < ColumnCount(); ++c) {
    std::string kinds;
    for (const TCellRef& cell : state_.Cells[static_cast<std::size_t>(c)]) {
      kinds += KindOf(cell);
      if (cell && !cell->Empty) ++info.Cells;
    }
    // The strip's glyphs past the last icon follow, so their alpha comes back too.
    for (const TCellRef& cell : strips_[static_cast<std::size_t>(c)].Extra) kinds += KindOf(cell);
    info.Kinds.push_back(std::move(kinds));
    // A column without a glyph has no strip; its cells come back empty.
    if (Layout(c).empty()) continue;
    const TSetColumn& column = Column(c);
    // A BMP holds the strip's store as it is (its bits per pixel, its colour table) and takes
    // a fraction of a PNG's time to write, so the copy keeps up with a large set.
    const std::string name = column.Key + ".bmp";
    const std::string path = (fs::path(folder) / name).string();
    const std::shared_ptr<TBitmapImage> image = StripImage(c);
    // Every pixel opaque: a glyph's transparent colour would come back as the key colour, and
    // the copy must give back the very values the set holds.
    AboutFile(path, [&] { files::WriteWholeFile(path, EncodeImage(*image, path, OpaqueEncodeOptions())); });
    if (image->HasAlpha()) {
      const std::string alphaPath = (fs::path(folder) / (column.Key + AlphaSuffix)).string();
      TEncodeOptions withAlpha;
      withAlpha.AlphaBmp = true;
      AboutFile(alphaPath, [&] { files::WriteWholeFile(alphaPath, EncodeImage(*image, alphaPath, withAlpha)); });
    }
    data.Strips.emplace_back(column.Key, name);
  }
  if (!file_.Text().empty()) files::WriteWholeFile((fs::path(folder) / BaseSetName).string(), BytesOf(file_.Text()));
  // Written last: without it the folder holds no set.
  files::WriteWholeFile((fs::path(folder) / CopySetName).string(), BytesOf(TSetFileText().Render(data, {})));
  return info;
}

TIconSet TIconSet::Recover(const std::string& folder, const TSetCopyInfo& info, const TImageOptions& options) {
  const std::string copyFile = (fs::path(folder) / CopySetName).string();
  const TIconSet copy = Open(copyFile, options);
  const auto misfit = [&](const std::string& what) {
    return EInvalidOperation(FormatMessage(texts::RecoveryUnreadable, folder) + ": " + what);
  };
  if (info.File.empty()) throw misfit("it names no set file");

  TIconSet set;
  set.fileName_ = info.File;
  set.options_ = options;
  const std::string base = (fs::path(folder) / BaseSetName).string();
  if (Exists(base)) {
    const std::vector<std::uint8_t> bytes = AboutFile(base, [&] { return files::ReadWholeFile(base); });
    set.file_ = TSetFileText(std::string(bytes.begin(), bytes.end()), info.File);
    set.data_ = set.file_.Data();
  } else {
    set.data_.Name = copy.data_.Name;
    set.data_.Sizes = copy.data_.Sizes;
    set.data_.Themes = copy.data_.Themes;
  }
  if (set.data_.Sizes != copy.data_.Sizes || set.data_.Themes != copy.data_.Themes)
    throw misfit("its sizes and themes are not its set file's");
  set.BuildColumns();

  // What the strips on disk hold counts as saved. One that no longer reads as its column (a
  // file changed or gone meanwhile) counts as holding nothing, so Save writes it whole.
  for (int c = 0; c < set.ColumnCount(); ++c) {
    const auto at = static_cast<std::size_t>(c);
    try {
      set.LoadStrip(c);
    } catch (const Exception&) {
      set.strips_[at] = TStrip{};
      set.strips_[at].Description = copy.strips_[at].Description;
      set.strips_[at].Fill = copy.strips_[at].Fill;
      std::fill(set.state_.Cells[at].begin(), set.state_.Cells[at].end(), nullptr);
    }
    // Without a strip on disk, the copy's says what format a save writes.
    if (set.strips_[at].Saved.empty() && !copy.strips_[at].Saved.empty()) {
      set.strips_[at].Description = copy.strips_[at].Description;
      set.strips_[at].Fill = copy.strips_[at].Fill;
    }
  }
  set.saved_.Icons = set.data_.Icons;
  set.saved_.Origins.resize(set.data_.Icons.size());
  std::iota(set.saved_.Origins.begin(), set.saved_.Origins.end(), 0);
  set.saved_.Cells = set.state_.Cells;

  // The copy's names and cells; a cell the disk holds alike stays the disk's, so a column
  // nobody changed is not written again.
  const int icons = copy.IconCount();
  set.state_.Icons = copy.state_.Icons;
  set.state_.Origins.assign(static_cast<std::size_t>(icons), -1);
  std::set<int> taken;
  for (int k = 0; k < icons && static_cast<std::size_t>(k) < info.Origins.size(); ++k) {
    const int origin = info.Origins[static_cast<std::size_t>(k)];
    if (origin >= 0 && origin < static_cast<int>(set.data_.Icons.size()) && taken.insert(origin).second)
      set.state_.Origins[static_cast<std::size_t>(k)] = origin;
  }
  for (int c = 0; c < set.ColumnCount(); ++c) {
    const auto at = static_cast<std::size_t>(c);
    const std::vector<TCellRef>& saved = set.strips_[at].Saved;
    const std::string kinds = at < info.Kinds.size() ? info.Kinds[at] : std::string();
    const int size = set.Column(c).Size;
    // The alpha cells' own pixels, where the copy has them.
    std::shared_ptr<TBitmapImage> alphaStrip;
    if (kinds.find_first_of("CD") != std::string::npos) {
      const std::string alphaPath = (fs::path(folder) / (copy.Column(c).Key + AlphaSuffix)).string();
      alphaStrip = AboutFile(alphaPath, [&] { return LoadImageFile(alphaPath, options.DecodeAt(size)); });
      if (!alphaStrip->HasAlpha() || alphaStrip->AbsHeight() != size) throw misfit(alphaPath + " holds no alpha strip");
    }
    const auto withAlpha = [&](const TCellRef& cell, int k) -> TCellRef {
      if (!alphaStrip || (static_cast<std::int64_t>(k) + 1) * size > alphaStrip->Width) throw misfit("a cell with alpha has no pixels");
      return set.MakeCell(c, cell->Values, AlphaPixelsOfArea(*alphaStrip, k * size, 0, size, size));
    };
    const auto same = [&](const TCellRef& cell, std::size_t place) -> TCellRef {
      if (cell && place < saved.size() && saved[place] && saved[place]->Values == cell->Values &&
          saved[place]->Alpha == cell->Alpha)
        return saved[place];
      return cell;
    };
    std::vector<TCellRef>& cells = set.state_.Cells[at];
    cells.assign(static_cast<std::size_t>(icons), nullptr);
    for (int k = 0; k < icons; ++k) {
      const auto place = static_cast<std::size_t>(k);
      const char kind = place < kinds.size() ? kinds[place] : 'c';
      TCellRef cell = copy.state_.Cells[at][place];
      if (kind == '.' || !cell) continue;
      if (kind == 'C' || kind == 'D') cell = withAlpha(cell, k);
      if (kind == 'd' || kind == 'D') {
        auto derived = std::make_shared<TSetCell>(*cell);
        derived->Derived = true;
        cells[place] = std::move(derived);
      } else {
        cells[place] = same(cell, place);
      }
    }
    std::vector<TCellRef>& extra = set.strips_[at].Extra;
    extra.clear();
    for (std::size_t j = 0; j < copy.strips_[at].Extra.size(); ++j) {
      const std::size_t place = static_cast<std::size_t>(icons) + j;
      TCellRef cell = copy.strips_[at].Extra[j];
      const char kind = place < kinds.size() ? kinds[place] : 'c';
      if (cell && (kind == 'C' || kind == 'D')) cell = withAlpha(cell, static_cast<int>(place));
      extra.push_back(same(cell, place));
    }
  }
  set.Touch();
  return set;
}

}  // namespace gliffo
