#include "glyphs/icon_set.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <map>
#include <numeric>
#include <set>
#include <tuple>

#include "formats/image_formats.h"
#include "formats/transparency.h"
#include "glyphs/scaling.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"
#include "platform/raster/pixels.h"

namespace gliffo {

namespace fs = std::filesystem;

namespace {

// A set file is a short list of names; anything near this is not one.
constexpr std::size_t MaxSetFileBytes = std::size_t{16} << 20;
// Steps of the set's history; each holds only names and shared cells.
constexpr std::size_t MaxSetSteps = 200;

[[noreturn]] void Refuse(const std::string& message) { throw EInvalidOperation(message); }

std::string KeyOf(int size, const std::string& theme, bool firstTheme) {
  return firstTheme ? std::to_string(size) : std::to_string(size) + "-" + theme;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

// The path with every link on the way followed, also where its last parts do not exist yet
// (a strip to be written, a link to nothing): that is where a save would write.
fs::path FollowLinks(const fs::path& start) {
  std::vector<fs::path> pending(start.begin(), start.end());
  std::reverse(pending.begin(), pending.end());
  fs::path result = "/";
  int hops = 0;
  while (!pending.empty()) {
    const fs::path part = pending.back();
    pending.pop_back();
    if (part == "/" || part.empty() || part == ".") continue;
    if (part == "..") {
      result = result.parent_path();
      continue;
    }
    const fs::path candidate = result / part;
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(candidate, error))) {
      if (++hops > 40) Refuse(candidate.string() + ": too many links");
      const fs::path target = fs::read_symlink(candidate, error);
      if (error) Refuse(candidate.string() + ": the link cannot be read");
      if (target.is_absolute()) result = "/";
      std::vector<fs::path> parts(target.begin(), target.end());
      for (auto it = parts.rbegin(); it != parts.rend(); ++it) pending.push_back(*it);
      continue;
    }
    result = candidate;
  }
  return result;
}

fs::path SetFolder(const std::string& setFile) {
  return FollowLinks(fs::absolute(fs::path(setFile)).parent_path());
}

std::shared_ptr<TBitmapImage> DescriptionOf(const TBitmapImage& strip, int size) {
  auto d = std::make_shared<TBitmapImage>();
  d->DeviceDependent = strip.DeviceDependent;
  d->BitCount = strip.BitCount;
  d->Compression = strip.Compression;
  d->ClrUsed = strip.ClrUsed;
  d->ClrImportant = strip.ClrImportant;
  d->XPelsPerMeter = strip.XPelsPerMeter;
  d->YPelsPerMeter = strip.YPelsPerMeter;
  d->RedMask = strip.RedMask, d->GreenMask = strip.GreenMask, d->BlueMask = strip.BlueMask;
  d->ColorTable = strip.ColorTable;
  d->CoreHeader = strip.CoreHeader;
  d->Width = 0;
  d->Height = strip.Height < 0 ? -size : size;
  return d;
}

std::shared_ptr<TBitmapImage> StoreOf(const TBitmapImage& description, int width) {
  TBitmapImage d = description;
  d.Width = width;
  d.Bits.clear();
  d.SizeImage = 0;
  return NewStore(d);
}

std::optional<TScaleFactor> FactorBetween(int from, int to) {
  if (to == from * 2) return TScaleFactor::By2;
  if (to == from * 3) return TScaleFactor::By3;
  if (to == from * 4) return TScaleFactor::By4;
  if (from % 2 == 0 && to == from / 2 * 3) return TScaleFactor::By1_5;
  return std::nullopt;
}

}  // namespace

std::string ResolveSetPath(const std::string& setFile, const std::string& path) {
  const fs::path relative(path);
  if (path.empty()) Refuse("a strip of the set names no file");
  const std::string outside = FormatMessage(texts::SetPathOutside, path);
  if (relative.is_absolute()) Refuse(outside);
  for (const fs::path& part : relative)
    if (part == "..") Refuse(outside);
  const fs::path folder = SetFolder(setFile);
  const fs::path target = FollowLinks(folder / relative);
  const std::string f = folder.string(), t = target.string();
  const std::string prefix = f.ends_with('/') ? f : f + "/";
  if (!t.starts_with(prefix) || t.size() == prefix.size()) Refuse(outside);
  return (fs::path(setFile).parent_path() / relative).string();
}

bool IsSetFile(const std::string& fileName) {
  std::string lower = fileName;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower.ends_with(texts::SetExtensionDot);
}

std::optional<std::pair<std::string, std::string>> SplitCellStripName(const std::string& name) {
  const std::size_t colon = name.rfind(':');
  if (colon == std::string::npos || colon == 0) return std::nullopt;
  std::string setFile = name.substr(0, colon), key = name.substr(colon + 1);
  if (!IsSetFile(setFile) || !ParseStripKey(key)) return std::nullopt;
  struct stat info {};
  if (::stat(setFile.c_str(), &info) != 0) return std::nullopt;
  return std::make_pair(std::move(setFile), std::move(key));
}

std::string CellStripFile(const std::string& name) {
  const auto cell = SplitCellStripName(name);
  return cell ? TIconSet::StripFile(cell->first, cell->second) : name;
}

TIconSet::TIconSet(TIconSet&&) noexcept = default;
TIconSet& TIconSet::operator=(TIconSet&&) noexcept = default;
TIconSet::~TIconSet() = default;

TIconSet TIconSet::ReadSetFile(const std::string& setFile, bool anyIconNames) {
  TIconSet set;
  set.fileName_ = setFile;
  const files::TInputFile input(setFile);
  if (input.RegularSize().value_or(0) > MaxSetFileBytes) ThrowOutOfResources();
  const std::vector<std::uint8_t> bytes = input.ReadAll(input.RegularSize().value_or(0));
  if (bytes.size() > MaxSetFileBytes) ThrowOutOfResources();
  set.file_ = TSetFileText(std::string(bytes.begin(), bytes.end()), setFile, anyIconNames);
  set.data_ = set.file_.Data();
  set.BuildColumns();
  return set;
}

TIconSet TIconSet::Open(const std::string& setFile, const TImageOptions& options, bool anyIconNames) {
  TIconSet set = AboutFile(setFile, [&] { return ReadSetFile(setFile, anyIconNames); });
  set.options_ = options;
  // Every path is judged before any strip is read.
  for (int c = 0; c < set.ColumnCount(); ++c) set.LoadStrip(c);
  const int count = static_cast<int>(set.data_.Icons.size());
  set.state_.Icons = set.data_.Icons;
  set.state_.Origins.resize(static_cast<std::size_t>(count));
  std::iota(set.state_.Origins.begin(), set.state_.Origins.end(), 0);
  // Cells the file says were derived are marked so; a note about a strip or an icon the
  // set no longer has is left out (it goes at the next save).
  for (const auto& [key, names] : set.data_.Derived) {
    const int column = set.ColumnOf(key);
    if (column < 0) continue;
    for (const std::string& name : names) {
      const int icon = set.IndexOf(name);
      if (icon < 0) continue;
      const TCellRef& cell = set.state_.Cells[static_cast<std::size_t>(column)][static_cast<std::size_t>(icon)];
      // Not shared with anything yet but the strip's own list of what the file holds.
      if (cell && !cell->Empty) std::const_pointer_cast<TSetCell>(cell)->Derived = true;
    }
  }
  set.saved_ = set.state_;
  set.Touch();
  return set;
}

std::string TIconSet::StripFile(const std::string& setFile, const std::string& key) {
  return AboutFile(setFile, [&] {
    const TIconSet set = ReadSetFile(setFile, false);
    const int column = set.ColumnOf(key);
    if (column < 0) Refuse("the set has no size and theme \"" + key + "\"");
    if (set.Column(column).Path.empty()) Refuse("the set has no strip for \"" + key + "\"");
    return set.Column(column).FullPath;
  });
}

std::vector<std::string> TIconSet::StripFiles(const std::string& setFile) {
  return AboutFile(setFile, [&] {
    const TIconSet set = ReadSetFile(setFile, true);
    std::vector<std::string> files;
    for (const TSetColumn& c : set.columns_)
      if (!c.FullPath.empty()) files.push_back(c.FullPath);
    return files;
  });
}

TIconSet TIconSet::New(const std::string& setFile, const std::vector<int>& sizes,
                       const std::vector<std::string>& themes, const TImageOptions& options) {
  TIconSet set;
  set.fileName_ = setFile;
  set.options_ = options;
  set.data_.Name = fs::path(setFile).stem().string();
  if (sizes.empty()) Refuse("a set needs at least one size");
  for (const int size : sizes) {
    if (size < 1 || size > MaxSetSize)
      Refuse("a size must be a whole number from 1 to " + std::to_string(MaxSetSize));
    if (std::count(sizes.begin(), sizes.end(), size) > 1) Refuse("the size " + std::to_string(size) + " is named twice");
  }
  set.data_.Sizes = sizes;
  set.data_.Themes = themes.empty() ? std::vector<std::string>{"light"} : themes;
  for (const std::string& theme : set.data_.Themes) {
    if (!ValidIconName(theme)) Refuse(FormatMessage(texts::InvalidIconName, theme));
    if (std::count(set.data_.Themes.begin(), set.data_.Themes.end(), theme) > 1)
      Refuse("the theme " + theme + " is named twice");
  }
  set.BuildColumns();
  for (int c = 0; c < set.ColumnCount(); ++c) set.LoadStrip(c);
  set.Touch();
  return set;
}

void TIconSet::BuildColumns() {
  columns_.clear();
  for (std::size_t t = 0; t < data_.Themes.size(); ++t)
    for (const int size : data_.Sizes)
      columns_.push_back({size, static_cast<int>(t), KeyOf(size, data_.Themes[t], t == 0), "", ""});
  std::map<std::string, std::string> keyOfFile;
  for (const auto& [key, path] : data_.Strips) {
    const auto parsed = ParseStripKey(key);
    int column = -1;
    if (parsed) {
      const auto theme = parsed->second.empty()
                             ? data_.Themes.begin()
                             : std::find(data_.Themes.begin(), data_.Themes.end(), parsed->second);
      if (theme != data_.Themes.end()) column = ColumnOf(parsed->first, static_cast<int>(theme - data_.Themes.begin()));
    }
    if (column < 0) Refuse("the strip \"" + key + "\" is no size and theme of the set");
    TSetColumn& c = columns_[static_cast<std::size_t>(column)];
    if (!c.Path.empty()) Refuse("the strips \"" + c.Key + "\" and \"" + key + "\" are one strip");
    const std::string full = ResolveSetPath(fileName_, path);
    const std::string real = FollowLinks(fs::absolute(full)).string();
    const auto [other, fresh] = keyOfFile.emplace(real, key);
    if (!fresh) Refuse("the strips \"" + other->second + "\" and \"" + key + "\" both name " + path);
    c.Path = path;
    c.FullPath = full;
  }
  strips_.assign(columns_.size(), TStrip{});
  state_.Cells.assign(columns_.size(), std::vector<TCellRef>(data_.Icons.size()));
}

void TIconSet::LoadStrip(int column) {
  const TSetColumn& c = columns_[static_cast<std::size_t>(column)];
  TStrip& strip = strips_[static_cast<std::size_t>(column)];
  std::shared_ptr<TBitmapImage> image;
  if (!c.FullPath.empty() && Exists(c.FullPath))
    image = AboutFile(c.FullPath, [&] { return LoadImageFile(c.FullPath, options_.DecodeAt(c.Size)); });
  if (image && image->HasPixels()) {
    if (image->AbsHeight() != c.Size || image->Width < c.Size)
      ThrowAboutFile(c.FullPath, EInvalidOperation("the picture is " + std::to_string(image->Width) + "x" +
                                                   std::to_string(image->AbsHeight()) + ", not a row of " +
                                                   std::to_string(c.Size) + "x" + std::to_string(c.Size) + " glyphs"));
    strip.Description = DescriptionOf(*image, c.Size);
  } else {
    auto d = std::make_shared<TBitmapImage>();
    d->Height = c.Size;
    strip.Description = d;
    image.reset();
  }
  // An empty cell is drawn in the strip's own transparent colour where it has one.
  const std::shared_ptr<TBitmapImage> probe = StoreOf(*strip.Description, 1);
  strip.Fill = raster::ColorToValue(probe->Surface(), options_.Decode.Key);
  if (!image) return;
  const raster::Surface s = image->Surface();
  const int glyphs = image->Width / c.Size;
  strip.Fill = raster::ReadValue(s, 0, c.Size - 1);
  std::vector<TCellRef>& cells = state_.Cells[static_cast<std::size_t>(column)];
  const bool alpha = image->HasAlpha();
  for (int g = 0; g < glyphs; ++g) {
    std::vector<std::uint32_t> values(static_cast<std::size_t>(c.Size) * static_cast<std::size_t>(c.Size));
    for (int y = 0; y < c.Size; ++y)
      for (int x = 0; x < c.Size; ++x)
        values[static_cast<std::size_t>(y) * static_cast<std::size_t>(c.Size) + static_cast<std::size_t>(x)] =
            raster::ReadValue(s, g * c.Size + x, y);
    TCellRef cell =
        MakeCell(column, std::move(values), alpha ? AlphaPixelsOfArea(*image, g * c.Size, 0, c.Size, c.Size) : std::vector<std::uint32_t>{});
    strip.Saved.push_back(cell);
    if (static_cast<std::size_t>(g) < cells.size())
      cells[static_cast<std::size_t>(g)] = cell;
    else
      strip.Extra.push_back(cell);
  }
}

TCellRef TIconSet::MakeCell(int column, std::vector<std::uint32_t> values, std::vector<std::uint32_t> alpha) const {
  auto cell = std::make_shared<TSetCell>();
  const int size = columns_[static_cast<std::size_t>(column)].Size;
  if (!alpha.empty()) {
    // Nothing shows where every alpha is 0; a faint pixel is a drawing.
    cell->Empty = std::all_of(alpha.begin(), alpha.end(), [](std::uint32_t p) { return AlphaOf(p) == 0; });
  } else {
    // Every pixel the colour of the bottom-left one: a speed button draws none of it.
    const std::uint32_t key = values[static_cast<std::size_t>(size - 1) * static_cast<std::size_t>(size)];
    cell->Empty = std::all_of(values.begin(), values.end(), [&](std::uint32_t v) { return v == key; });
  }
  cell->Values = std::move(values);
  cell->Alpha = std::move(alpha);
  return cell;
}

std::string TIconSet::Background(const std::string& theme) const {
  for (const auto& [name, colour] : data_.Backgrounds)
    if (name == theme) return colour;
  return "";
}

raster::ColorRef TIconSet::Toolbar(const std::string& theme, raster::ColorRef otherwise) const {
  const std::string given = Background(theme);  // "#RRGGBB", as the set file's reader let it in
  if (given.size() != 7) return otherwise;
  const unsigned long v = std::stoul(given.substr(1), nullptr, 16);
  return raster::MakeColorRef(static_cast<int>(v >> 16), static_cast<int>((v >> 8) & 0xFF), static_cast<int>(v & 0xFF));
}

std::string TIconSet::Name() const { return data_.Name.empty() ? fs::path(fileName_).stem().string() : data_.Name; }

int TIconSet::IndexOf(const std::string& name) const {
  const auto found = std::find(state_.Icons.begin(), state_.Icons.end(), name);
  return found == state_.Icons.end() ? -1 : static_cast<int>(found - state_.Icons.begin());
}

int TIconSet::ColumnOf(int size, int theme) const {
  for (std::size_t c = 0; c < columns_.size(); ++c)
    if (columns_[c].Size == size && columns_[c].Theme == theme) return static_cast<int>(c);
  return -1;
}

int TIconSet::ColumnOf(const std::string& key) const {
  const auto parsed = ParseStripKey(key);
  if (!parsed) return -1;
  if (parsed->second.empty()) return ColumnOf(parsed->first, 0);
  const auto theme = std::find(data_.Themes.begin(), data_.Themes.end(), parsed->second);
  return theme == data_.Themes.end() ? -1 : ColumnOf(parsed->first, static_cast<int>(theme - data_.Themes.begin()));
}

TCellRef TIconSet::Cell(int icon, int column) const {
  return state_.Cells.at(static_cast<std::size_t>(column)).at(static_cast<std::size_t>(icon));
}

bool TIconSet::CellEmpty(int icon, int column) const {
  const TCellRef cell = Cell(icon, column);
  return !cell || cell->Empty;
}

std::shared_ptr<TBitmapImage> TIconSet::CellImage(int icon, int column) const {
  return PictureOf(Cell(icon, column).get(), column);
}

std::shared_ptr<TBitmapImage> TIconSet::PictureOf(const TSetCell* cell, int column) const {
  const int size = Column(column).Size;
  const TStrip& strip = strips_[static_cast<std::size_t>(column)];
  std::shared_ptr<TBitmapImage> image = StoreOf(*strip.Description, size);
  const raster::Surface s = image->Surface();
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      raster::WriteValue(s, x, y, cell ? cell->Values[static_cast<std::size_t>(y * size + x)] : strip.Fill);
  if (cell && !cell->Alpha.empty()) image->AlphaPixels = cell->Alpha;
  return image;
}

std::vector<TCellRef> TIconSet::Layout(int column) const {
  std::vector<TCellRef> cells = state_.Cells[static_cast<std::size_t>(column)];
  const TStrip& strip = strips_[static_cast<std::size_t>(column)];
  cells.insert(cells.end(), strip.Extra.begin(), strip.Extra.end());
  while (!cells.empty() && !cells.back()) cells.pop_back();
  return cells;
}

std::shared_ptr<TBitmapImage> TIconSet::StripImage(int column) const {
  const int size = Column(column).Size;
  const TStrip& strip = strips_[static_cast<std::size_t>(column)];
  const std::vector<TCellRef> cells = Layout(column);
  if (static_cast<std::int64_t>(cells.size()) * size > 0x7FFFFFFF) ThrowOutOfResources();
  std::shared_ptr<TBitmapImage> image = StoreOf(*strip.Description, static_cast<int>(cells.size()) * size);
  const raster::Surface s = image->Surface();
  for (std::size_t g = 0; g < cells.size(); ++g)
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        raster::WriteValue(s, static_cast<int>(g) * size + x, y,
                           cells[g] ? cells[g]->Values[static_cast<std::size_t>(y * size + x)] : strip.Fill);
  // A strip with one alpha cell is an alpha strip: the key-colour cells' keys become alpha 0, as
  // a writer with alpha would give them, and the alpha cells keep their own pixels.
  if (std::any_of(cells.begin(), cells.end(), [](const TCellRef& cell) { return cell && !cell->Alpha.empty(); })) {
    image->AlphaPixels = KeyPixelsWithAlpha(s, options_.Glyphs(size));
    const auto width = static_cast<std::size_t>(image->Width);
    for (std::size_t g = 0; g < cells.size(); ++g)
      if (cells[g] && !cells[g]->Alpha.empty())
        for (int y = 0; y < size; ++y)
          std::copy_n(cells[g]->Alpha.begin() + static_cast<std::ptrdiff_t>(y * size), size,
                      image->AlphaPixels.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * width + g * static_cast<std::size_t>(size)));
  }
  return image;
}

void TIconSet::CheckName(const std::string& name, int except) const {
  if (!ValidIconName(name)) Refuse(FormatMessage(texts::InvalidIconName, name));
  const int at = IndexOf(name);
  if (at >= 0 && at != except) Refuse(FormatMessage(texts::IconNameTaken, name));
}

void TIconSet::Record() {
  undo_.push_back(state_);
  if (undo_.size() > MaxSetSteps) undo_.pop_front();
  redo_.clear();
  Touch();
}

void TIconSet::Touch() {
  // One count for every set of the program: a set opened in another's place never repeats
  // the number its predecessor had.
  static std::atomic<std::uint64_t> counter{0};
  changes_ = ++counter;
}

void TIconSet::Add(const std::string& name, int at) {
  CheckName(name, -1);
  at = std::clamp(at, 0, IconCount());
  Record();
  state_.Icons.insert(state_.Icons.begin() + at, name);
  state_.Origins.insert(state_.Origins.begin() + at, -1);
  for (std::vector<TCellRef>& cells : state_.Cells) cells.insert(cells.begin() + at, nullptr);
}

void TIconSet::Rename(int icon, const std::string& newName) {
  if (icon < 0 || icon >= IconCount()) Refuse("no such icon");
  if (state_.Icons[static_cast<std::size_t>(icon)] == newName) return;
  CheckName(newName, icon);
  Record();
  state_.Icons[static_cast<std::size_t>(icon)] = newName;
}

namespace {
template <class T>
void MoveItem(std::vector<T>& items, int from, int to) {
  T item = std::move(items[static_cast<std::size_t>(from)]);
  items.erase(items.begin() + from);
  items.insert(items.begin() + to, std::move(item));
}
}  // namespace

void TIconSet::Move(int icon, int to) {
  if (icon < 0 || icon >= IconCount()) Refuse("no such icon");
  if (to < 0 || to >= IconCount()) Refuse("the place " + std::to_string(to) + " is not within 0.." + std::to_string(IconCount() - 1));
  if (icon == to) return;
  Record();
  MoveItem(state_.Icons, icon, to);
  MoveItem(state_.Origins, icon, to);
  for (std::vector<TCellRef>& cells : state_.Cells) MoveItem(cells, icon, to);
}

void TIconSet::Remove(int icon) {
  if (icon < 0 || icon >= IconCount()) Refuse("no such icon");
  Record();
  state_.Icons.erase(state_.Icons.begin() + icon);
  state_.Origins.erase(state_.Origins.begin() + icon);
  for (std::vector<TCellRef>& cells : state_.Cells) cells.erase(cells.begin() + icon);
}

void TIconSet::SetCell(int icon, int column, const TBitmapImage& picture) {
  if (icon < 0 || icon >= IconCount() || column < 0 || column >= ColumnCount()) Refuse("no such cell");
  const int size = Column(column).Size;
  if (picture.Width != size || picture.AbsHeight() != size || !picture.HasPixels())
    Refuse("the picture is " + std::to_string(picture.Width) + "x" + std::to_string(picture.AbsHeight()) +
           "; the cells of this column are " + std::to_string(size) + "x" + std::to_string(size));
  // The picture's colours in the strip's format: a 4-bit strip gets its nearest colours.
  const std::shared_ptr<TBitmapImage> target = StoreOf(*strips_[static_cast<std::size_t>(column)].Description, size);
  const raster::Surface to = target->Surface(), from = picture.Surface();
  std::vector<std::uint32_t> values(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      values[static_cast<std::size_t>(y * size + x)] = raster::ColorToValue(to, raster::GetPixel(from, x, y));
  Record();
  state_.Cells[static_cast<std::size_t>(column)][static_cast<std::size_t>(icon)] =
      MakeCell(column, std::move(values), picture.HasAlpha() ? OwnPixels(picture) : std::vector<std::uint32_t>{});
}

int TIconSet::FillFromSize(int from, int to) {
  if (from < 0 || from >= ColumnCount() || to < 0 || to >= ColumnCount()) Refuse("no such size");
  const int fromSize = Column(from).Size, toSize = Column(to).Size;
  const std::optional<TScaleFactor> factor = FactorBetween(fromSize, toSize);
  if (!factor)
    Refuse(FormatMessage(FormatMessage(texts::CannotFillSize, fromSize), toSize));
  const TScaleMethod method = DefaultScaleMethod(*factor);
  const std::shared_ptr<TBitmapImage> target = StoreOf(*strips_[static_cast<std::size_t>(to)].Description, toSize);
  const raster::Surface dst = target->Surface();
  std::vector<std::pair<int, TCellRef>> filled;
  for (int icon = 0; icon < IconCount(); ++icon) {
    if (!CellEmpty(icon, to) || CellEmpty(icon, from)) continue;
    const std::shared_ptr<TBitmapImage> scaled = ScaleStrip(*CellImage(icon, from), fromSize, *factor, method);
    const raster::Surface src = scaled->Surface();
    std::vector<std::uint32_t> values(static_cast<std::size_t>(toSize) * static_cast<std::size_t>(toSize));
    for (int y = 0; y < toSize; ++y)
      for (int x = 0; x < toSize; ++x)
        values[static_cast<std::size_t>(y * toSize + x)] = raster::ColorToValue(dst, raster::GetPixel(src, x, y));
    TCellRef made = MakeCell(to, std::move(values), scaled->HasAlpha() ? OwnPixels(*scaled) : std::vector<std::uint32_t>{});
    std::const_pointer_cast<TSetCell>(made)->Derived = true;
    filled.emplace_back(icon, std::move(made));
  }
  if (filled.empty()) return 0;
  Record();
  for (auto& [icon, cell] : filled) state_.Cells[static_cast<std::size_t>(to)][static_cast<std::size_t>(icon)] = std::move(cell);
  return static_cast<int>(filled.size());
}

int TIconSet::FillDerived(const std::vector<int>& columns,
                          const std::function<std::shared_ptr<TBitmapImage>(int icon, int column)>& make) {
  for (const int column : columns)
    if (column < 0 || column >= ColumnCount()) Refuse("no such size");
  std::vector<std::tuple<int, int, TCellRef>> filled;
  for (const int column : columns) {
    const int size = Column(column).Size;
    const std::shared_ptr<TBitmapImage> target = StoreOf(*strips_[static_cast<std::size_t>(column)].Description, size);
    const raster::Surface dst = target->Surface();
    for (int icon = 0; icon < IconCount(); ++icon) {
      if (!CellEmpty(icon, column)) continue;
      const std::shared_ptr<TBitmapImage> picture = make(icon, column);
      if (!picture) continue;
      if (picture->Width != size || picture->AbsHeight() != size || !picture->HasPixels()) Refuse("no such cell");
      const raster::Surface src = picture->Surface();
      std::vector<std::uint32_t> values(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
          values[static_cast<std::size_t>(y * size + x)] = raster::ColorToValue(dst, raster::GetPixel(src, x, y));
      TCellRef made =
          MakeCell(column, std::move(values), picture->HasAlpha() ? OwnPixels(*picture) : std::vector<std::uint32_t>{});
      std::const_pointer_cast<TSetCell>(made)->Derived = true;
      filled.emplace_back(icon, column, std::move(made));
    }
  }
  if (filled.empty()) return 0;
  Record();
  for (auto& [icon, column, cell] : filled)
    state_.Cells[static_cast<std::size_t>(column)][static_cast<std::size_t>(icon)] = std::move(cell);
  return static_cast<int>(filled.size());
}

bool TIconSet::Undo() {
  if (undo_.empty()) return false;
  redo_.push_back(std::move(state_));
  state_ = std::move(undo_.back());
  undo_.pop_back();
  Touch();
  return true;
}

bool TIconSet::Redo() {
  if (redo_.empty()) return false;
  undo_.push_back(std::move(state_));
  state_ = std::move(redo_.back());
  redo_.pop_back();
  Touch();
  return true;
}

std::vector<int> TIconSet::ChangedColumns() const {
  std::vector<int> changed;
  for (int c = 0; c < ColumnCount(); ++c)
    if (Layout(c) != strips_[static_cast<std::size_t>(c)].Saved) changed.push_back(c);
  return changed;
}

bool TIconSet::Modified() const {
  return state_.Icons != saved_.Icons || !ChangedColumns().empty() || !Exists(fileName_);
}

namespace {

// One file of a save: its bytes written beside it, and what it held before.
struct TPendingFile {
  std::string Path;
  std::vector<std::uint8_t> Bytes;
  std::unique_ptr<files::TSafeFileWriter> Writer;
  bool Existed = false;
  std::vector<std::uint8_t> Before;
};

// Puts back what a file held before a save that failed after it was renamed.
void PutBack(const TPendingFile& file) noexcept {
  try {
    if (file.Existed)
      files::WriteWholeFile(file.Path, file.Before);
    else
      ::unlink(file.Path.c_str());
  } catch (...) {
  }
}

}  // namespace

std::vector<std::string> TIconSet::Save() {
  TSetFileData data = data_;
  data.Icons = state_.Icons;
  data.Derived.clear();
  for (int c = 0; c < ColumnCount(); ++c) {
    std::vector<std::string> names;
    for (int icon = 0; icon < IconCount(); ++icon)
      if (const TCellRef cell = Cell(icon, c); cell && cell->Derived && !cell->Empty)
        names.push_back(state_.Icons[static_cast<std::size_t>(icon)]);
    if (!names.empty()) data.Derived.emplace_back(columns_[static_cast<std::size_t>(c)].Key, std::move(names));
  }
  std::vector<TSetColumn> columns = columns_;
  std::vector<TPendingFile> pending;
  std::set<std::string> taken;
  for (const TSetColumn& c : columns) taken.insert(c.Path);
  const std::vector<int> changed = ChangedColumns();
  for (const int column : changed) {
    TSetColumn& c = columns[static_cast<std::size_t>(column)];
    if (c.Path.empty()) {
      // A strip the set had no file for, beside the set file.
      // The set's name may be any text; its file names keep to the letters of icon names.
      std::string stem = Name();
      for (char& ch : stem)
        if (!((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_' || ch == '-'))
          ch = '-';
      std::string path = stem + "-" + c.Key + ".png";
      for (int n = 2; taken.count(path) || Exists((fs::path(fileName_).parent_path() / path).string()); ++n)
        path = stem + "-" + c.Key + "-" + std::to_string(n) + ".png";
      taken.insert(path);
      c.Path = path;
      c.FullPath = ResolveSetPath(fileName_, path);
      data.Strips.emplace_back(c.Key, path);
    }
    const std::shared_ptr<TBitmapImage> image = StripImage(column);
    TPendingFile file;
    file.Path = c.FullPath;
    file.Bytes = AboutFile(c.FullPath, [&] { return EncodeImage(*image, c.FullPath, options_.Glyphs(c.Size)); });
    pending.push_back(std::move(file));
  }
  // The set file last: it may name a strip written just before it.
  const std::string text = file_.Render(data, state_.Origins);
  std::vector<std::uint8_t> oldText;
  const bool setExists = Exists(fileName_);
  if (setExists) oldText = AboutFile(fileName_, [&] { return files::ReadWholeFile(fileName_); });
  if (!setExists || std::string(oldText.begin(), oldText.end()) != text) {
    TPendingFile file;
    file.Path = fileName_;
    file.Bytes.assign(text.begin(), text.end());
    pending.push_back(std::move(file));
  }

  // Everything written beside its target first; the destructors drop it all on a failure.
  for (TPendingFile& file : pending) {
    AboutFile(file.Path, [&] {
      file.Existed = Exists(file.Path);
      if (file.Existed) file.Before = files::ReadWholeFile(file.Path);
      file.Writer = std::make_unique<files::TSafeFileWriter>(file.Path);
      file.Writer->Write(file.Bytes);
    });
  }
  for (std::size_t i = 0; i < pending.size(); ++i) {
    try {
      AboutFile(pending[i].Path, [&] { pending[i].Writer->Commit(); });
    } catch (...) {
      for (std::size_t j = 0; j < i; ++j) PutBack(pending[j]);
      throw;
    }
  }

  // The set now is what the files hold.
  columns_ = std::move(columns);
  for (const int column : changed) strips_[static_cast<std::size_t>(column)].Saved = Layout(column);
  file_ = TSetFileText(text, fileName_);
  data_ = file_.Data();
  // Icons are known by their new places in the file; the history follows.
  std::map<int, int> place;
  for (std::size_t k = 0; k < state_.Origins.size(); ++k)
    if (state_.Origins[k] >= 0) place[state_.Origins[k]] = static_cast<int>(k);
  const auto renumber = [&](TState& s) {
    for (int& origin : s.Origins) {
      const auto found = origin >= 0 ? place.find(origin) : place.end();
      origin = found == place.end() ? -1 : found->second;
    }
  };
  for (TState& s : undo_) renumber(s);
  for (TState& s : redo_) renumber(s);
  std::iota(state_.Origins.begin(), state_.Origins.end(), 0);
  saved_ = state_;
  Touch();
  std::vector<std::string> written;
  for (const TPendingFile& file : pending) written.push_back(file.Path);
  return written;
}

}  // namespace gliffo
