#include "glyphs/recovery.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <sstream>
#include <system_error>
#include <utility>

#include "glyphs/bitmap.h"
#include "glyphs/image_list.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"
#include "platform/raster/pixels.h"

namespace gliffo {

namespace fs = std::filesystem;

namespace {

constexpr const char* FolderPrefix = "recovery-";
constexpr const char* LockName = "lock";
constexpr const char* ListName = "list.bmp";
constexpr const char* EditorName = "editor.bmp";
constexpr const char* DescriptionName = "recovery.ini";
constexpr const char* SetFolderPrefix = "set-";

std::string Join(const std::string& folder, const char* name) { return (fs::path(folder) / name).string(); }

// A value that fits on one line of the description; names with line breaks are not kept.
bool OneLine(const std::string& text) { return text.find_first_of("\r\n") == std::string::npos; }

void WriteOrigins(std::ostringstream& out, const char* section, const std::vector<TGlyphOrigin>& origins) {
  out << '[' << section << "]\n";
  for (std::size_t k = 0; k < origins.size(); ++k)
    if (origins[k].HasFile() && OneLine(origins[k].File)) out << k << '=' << origins[k].Position << '|' << origins[k].File << '\n';
}

// The description's sections, each a map of its keys; later keys win.
using TSections = std::map<std::string, std::map<std::string, std::string>>;

TSections ParseDescription(const std::string& text) {
  TSections sections;
  std::string section;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    sections[section][line.substr(0, equals)] = line.substr(equals + 1);
  }
  return sections;
}

std::string Value(const TSections& sections, const std::string& section, const std::string& key) {
  const auto s = sections.find(section);
  if (s == sections.end()) return {};
  const auto k = s->second.find(key);
  return k == s->second.end() ? std::string() : k->second;
}

long long Number(const std::string& text, long long fallback) {
  if (text.empty()) return fallback;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  return errno != 0 || end == text.c_str() || *end != '\0' ? fallback : value;
}

// Origins by cell, for `count` cells; entries beyond them or malformed are dropped.
std::vector<TGlyphOrigin> ReadOrigins(const TSections& sections, const char* section, int count) {
  std::vector<TGlyphOrigin> origins(static_cast<std::size_t>(std::max(count, 0)));
  const auto s = sections.find(section);
  if (s == sections.end()) return origins;
  for (const auto& [key, value] : s->second) {
    const long long cell = Number(key, -1);
    const std::size_t bar = value.find('|');
    if (cell < 0 || cell >= count || bar == std::string::npos) continue;
    const long long position = Number(value.substr(0, bar), -1);
    if (position < 0 || position > 0x7FFFFFFF || bar + 1 >= value.size()) continue;
    origins[static_cast<std::size_t>(cell)] = {value.substr(bar + 1), static_cast<int>(position)};
  }
  return origins;
}

// A set's folder as the description names it: set-N and nothing else, so a description that was
// tampered with cannot send a read or a removal elsewhere.
bool SetFolderName(const std::string& name) {
  return name.size() > std::strlen(SetFolderPrefix) && name.rfind(SetFolderPrefix, 0) == 0 &&
         std::all_of(name.begin() + static_cast<std::ptrdiff_t>(std::strlen(SetFolderPrefix)), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

// The set folders in a copy's folder but `keep`.
void RemoveSetFolders(const std::string& folder, const std::string& keep) {
  std::error_code error;
  std::vector<fs::path> stale;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (SetFolderName(name) && name != keep) stale.push_back(entry.path());
  }
  for (const fs::path& path : stale) fs::remove_all(path, error);
}

void WriteSet(std::ostringstream& out, const std::string& folder, const TSetCopyInfo& info, const TRecoveryCopy& copy) {
  out << "[Set]\n";
  out << "Folder=" << folder << '\n';
  if (OneLine(info.File)) out << "File=" << info.File << '\n';
  out << "New=" << (info.NewSet ? 1 : 0) << '\n';
  out << "Modified=" << (info.Modified ? 1 : 0) << '\n';
  out << "Icons=" << info.Icons << '\n';
  out << "Cells=" << info.Cells << '\n';
  out << "Origins=";
  for (std::size_t k = 0; k < info.Origins.size(); ++k) out << (k ? "," : "") << info.Origins[k];
  out << '\n';
  // Icon names and keys are letters, digits and a few marks: always one line.
  if (OneLine(copy.EditorSetIcon) && OneLine(copy.EditorSetColumn)) {
    out << "EditIcon=" << copy.EditorSetIcon << '\n';
    out << "EditColumn=" << copy.EditorSetColumn << '\n';
  }
  out << "[SetCells]\n";
  for (std::size_t c = 0; c < info.Kinds.size(); ++c) out << c << '=' << info.Kinds[c] << '\n';
}

// What the description says of the set; throws when its folder is not one a copy writes.
void ReadSet(const TSections& sections, const std::string& folder, TRecoveryCopy& copy) {
  const std::string name = Value(sections, "Set", "Folder");
  if (name.empty()) return;
  std::error_code error;
  if (!SetFolderName(name) || !fs::is_directory(Join(folder, name.c_str()), error))
    throw EInvalidOperation(FormatMessage(texts::RecoveryUnreadable, folder));
  copy.HasSet = true;
  copy.SetFolder = Join(folder, name.c_str());
  TSetCopyInfo& info = copy.SetInfo;
  info.File = Value(sections, "Set", "File");
  info.NewSet = Number(Value(sections, "Set", "New"), 0) != 0;
  info.Modified = Number(Value(sections, "Set", "Modified"), 0) != 0;
  info.Icons = static_cast<int>(std::clamp(Number(Value(sections, "Set", "Icons"), 0), 0LL, 1LL << 24));
  info.Cells = static_cast<int>(std::clamp(Number(Value(sections, "Set", "Cells"), 0), 0LL, 1LL << 30));
  std::istringstream origins(Value(sections, "Set", "Origins"));
  for (std::string origin; std::getline(origins, origin, ',') && info.Origins.size() < static_cast<std::size_t>(info.Icons);)
    info.Origins.push_back(static_cast<int>(std::clamp(Number(origin, -1), -1LL, 0x7FFFFFFFLL)));
  if (const auto s = sections.find("SetCells"); s != sections.end())
    for (const auto& [key, kinds] : s->second) {
      const long long column = Number(key, -1);
      // Columns are sizes times themes: a few dozen at the most.
      if (column < 0 || column >= 4096) continue;
      if (info.Kinds.size() <= static_cast<std::size_t>(column)) info.Kinds.resize(static_cast<std::size_t>(column) + 1);
      info.Kinds[static_cast<std::size_t>(column)] = kinds;
    }
  copy.EditorSetIcon = Value(sections, "Set", "EditIcon");
  copy.EditorSetColumn = Value(sections, "Set", "EditColumn");
}

}  // namespace

std::string RecoveryRoot() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return (fs::path(state) / "gliffo").string();
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return (fs::path(home) / ".local" / "state" / "gliffo").string();
  return {};
}

// --- Locks -----------------------------------------------------------------------------------

TFolderLock::TFolderLock(const std::string& folder) {
  const std::string name = Join(folder, LockName);
  const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return;
  }
  fd_ = fd;
}

TFolderLock::~TFolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

TFolderLock::TFolderLock(TFolderLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

TFolderLock& TFolderLock::operator=(TFolderLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

// --- The running program's folder ------------------------------------------------------------

TRecoveryFolder::TRecoveryFolder(const std::string& root) {
  std::error_code error;
  fs::create_directories(root, error);
  // The process and the moment make the name: a later program that happens to get the same
  // process number finds the folder of the one that died as someone else's.
  static std::atomic<int> made{0};
  path_ = Join(root, (std::string(FolderPrefix) + std::to_string(::getpid()) + "-" + std::to_string(std::time(nullptr)) +
                      "-" + std::to_string(made++))
                         .c_str());
  if (!fs::create_directory(path_, error) || error) throw EFCreateError(FormatMessage(texts::CannotCreateFile, path_));
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::replace, error);
  lock_ = TFolderLock(path_);
  if (!lock_.Held()) throw EFCreateError(FormatMessage(texts::CannotCreateFile, Join(path_, LockName)));
}

TRecoveryFolder::~TRecoveryFolder() = default;

void TRecoveryFolder::Write(const TRecoveryCopy& copy) {
  const int size = copy.List.GlyphSize;
  const std::string list = Join(path_, ListName);
  std::error_code error;
  if (copy.ListAsBefore) {
    // The file holds these glyphs already.
  } else if (copy.List.Count > 0 && size > 0) {
    TBitmap strip;
    strip.SetWidth(size * copy.List.Count);
    strip.SetHeight(size);
    const raster::Surface surface = strip.WritableSurface();
    const std::size_t cell = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
    for (int k = 0; k < copy.List.Count; ++k) {
      const std::uint32_t* pixels = copy.List.Pixels.data() + cell * static_cast<std::size_t>(k);
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
          raster::WriteValue(surface, k * size + x, y, pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) + static_cast<std::size_t>(x)]);
    }
    strip.SaveToFile(list);
  } else {
    fs::remove(list, error);
  }
  const std::string editor = Join(path_, EditorName);
  if (copy.EditorGlyph && !copy.EditorGlyph->Empty()) {
    // In the glyph's own format and colour table, as Save As writes it.
    TPicture picture;
    picture.Bitmap().Assign(copy.EditorGlyph.get());
    picture.SaveToFile(editor);
  } else {
    fs::remove(editor, error);
  }
  // A set is written into a folder of its own, each time a new one, and the description names
  // it: a kill while one is written leaves the one the description names whole.
  if (!copy.HasSet) {
    setFolder_.clear();
  } else if (copy.Set && (!copy.SetAsBefore || setFolder_.empty())) {
    const std::string name = SetFolderPrefix + std::to_string(++setCopies_);
    const std::string folder = Join(path_, name.c_str());
    fs::remove_all(folder, error);
    if (!fs::create_directory(folder, error) || error) throw EFCreateError(FormatMessage(texts::CannotCreateFile, folder));
    setInfo_ = copy.Set->WriteCopy(folder);
    setFolder_ = name;
  }

  std::ostringstream out;
  out << "[Recovery]\n";
  out << "Time=" << copy.Time << '\n';
  out << "SourceKind=" << static_cast<int>(copy.Source.Kind) << '\n';
  if (OneLine(copy.Source.Path)) out << "SourcePath=" << copy.Source.Path << '\n';
  out << "GlyphSize=" << size << '\n';
  out << "Count=" << copy.List.Count << '\n';
  out << "ListModified=" << (copy.ListModified ? 1 : 0) << '\n';
  out << "EditorModified=" << (copy.EditorModified ? 1 : 0) << '\n';
  if (OneLine(copy.EditorKeptFile)) out << "EditorKeptFile=" << copy.EditorKeptFile << '\n';
  out << "EditorKeptCell=" << copy.EditorKeptCell << '\n';
  WriteOrigins(out, "Origins", copy.List.Origins);
  WriteOrigins(out, "Loaded", copy.LoadedOrigins);
  if (!setFolder_.empty()) WriteSet(out, setFolder_, setInfo_, copy);
  const std::string text = out.str();
  files::WriteWholeFile(Join(path_, DescriptionName),
                        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  RemoveSetFolders(path_, setFolder_);
}

void TRecoveryFolder::Clear() {
  std::error_code error;
  // The description first: without it, nothing is offered even if the rest stayed.
  for (const char* name : {DescriptionName, ListName, EditorName}) fs::remove(Join(path_, name), error);
  RemoveSetFolders(path_, "");
  setFolder_.clear();
}

void TRecoveryFolder::Remove() {
  Clear();
  std::error_code error;
  fs::remove_all(path_, error);
}

// --- Copies left behind ----------------------------------------------------------------------

TRecoveryCopy ReadRecovery(const std::string& folder) {
  const std::vector<std::uint8_t> bytes = AboutFile(Join(folder, DescriptionName), [&] {
    return files::ReadWholeFile(Join(folder, DescriptionName));
  });
  const TSections sections = ParseDescription(std::string(bytes.begin(), bytes.end()));
  TRecoveryCopy copy;
  copy.Time = Number(Value(sections, "Recovery", "Time"), 0);
  const long long kind = Number(Value(sections, "Recovery", "SourceKind"), 0);
  copy.Source.Kind = kind == 1 ? TListSourceKind::File : kind == 2 ? TListSourceKind::Folder : TListSourceKind::None;
  copy.Source.Path = Value(sections, "Recovery", "SourcePath");
  if (copy.Source.Path.empty()) copy.Source.Kind = TListSourceKind::None;
  copy.ListModified = Number(Value(sections, "Recovery", "ListModified"), 0) != 0;
  copy.EditorModified = Number(Value(sections, "Recovery", "EditorModified"), 0) != 0;
  copy.EditorKeptFile = Value(sections, "Recovery", "EditorKeptFile");
  copy.EditorKeptCell = static_cast<int>(std::clamp(Number(Value(sections, "Recovery", "EditorKeptCell"), -1), -1LL, 0x7FFFFFFFLL));
  const long long size = Number(Value(sections, "Recovery", "GlyphSize"), 16);
  if (size < 1 || size > 4096) throw EInvalidOperation(FormatMessage(texts::RecoveryUnreadable, folder));
  copy.List.GlyphSize = static_cast<int>(size);

  // The strip says how many glyphs there are; a description written before it may say fewer.
  std::error_code error;
  const std::string list = Join(folder, ListName);
  if (fs::exists(list, error)) {
    TBitmap strip;
    AboutFile(list, [&] { strip.LoadFromFile(list); });
    if (strip.Height() != copy.List.GlyphSize || strip.Width() % copy.List.GlyphSize != 0)
      throw EInvalidOperation(FormatMessage(texts::RecoveryUnreadable, folder));
    TImageList cells;
    cells.SetWidth(copy.List.GlyphSize);
    cells.SetHeight(copy.List.GlyphSize);
    cells.Add(strip);
    copy.List.Count = cells.Count();
    const std::size_t cell = static_cast<std::size_t>(copy.List.GlyphSize) * static_cast<std::size_t>(copy.List.GlyphSize);
    copy.List.Pixels.reserve(cell * static_cast<std::size_t>(copy.List.Count));
    for (int k = 0; k < copy.List.Count; ++k)
      copy.List.Pixels.insert(copy.List.Pixels.end(), cells.CellPixels(k), cells.CellPixels(k) + cell);
  }
  const bool described = Number(Value(sections, "Recovery", "Count"), -1) == copy.List.Count;
  copy.List.Origins = ReadOrigins(sections, described ? "Origins" : "", copy.List.Count);
  copy.List.Selected.assign(static_cast<std::size_t>(copy.List.Count), false);
  // The loaded list may have been longer than this one: as long as its last glyph from a file.
  long long loaded = 0;
  if (const auto s = sections.find("Loaded"); s != sections.end())
    for (const auto& entry : s->second) loaded = std::max(loaded, Number(entry.first, -1) + 1);
  copy.LoadedOrigins = ReadOrigins(sections, "Loaded", static_cast<int>(std::min(loaded, 1LL << 24)));

  const std::string editor = Join(folder, EditorName);
  if (fs::exists(editor, error)) {
    auto glyph = std::make_shared<TBitmap>();
    AboutFile(editor, [&] { glyph->LoadFromFile(editor); });
    copy.EditorGlyph = std::move(glyph);
  }
  ReadSet(sections, folder, copy);
  return copy;
}

std::vector<TFoundRecovery> FindLeftRecoveries(const std::string& root) {
  std::vector<TFoundRecovery> found;
  std::error_code error;
  if (root.empty() || !fs::is_directory(root, error)) return found;
  for (const fs::directory_entry& entry : fs::directory_iterator(root, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(FolderPrefix, 0) != 0 || !entry.is_directory(error) || entry.is_symlink(error)) continue;
    TFolderLock lock(entry.path().string());
    if (!lock.Held()) continue;  // a running program's own
    if (!fs::exists(entry.path() / DescriptionName, error)) {
      DiscardRecovery(entry.path().string());  // its program ended with nothing unsaved
      continue;
    }
    try {
      TRecoveryCopy copy = ReadRecovery(entry.path().string());
      if (!copy.ListModified && !copy.EditorModified && !copy.SetInfo.Modified) {
        DiscardRecovery(entry.path().string());
        continue;
      }
      found.push_back({entry.path().string(), std::move(lock), std::move(copy)});
    } catch (const Exception&) {
      // A copy that cannot be read stays where it is, for a person to look at.
    }
  }
  std::sort(found.begin(), found.end(), [](const TFoundRecovery& a, const TFoundRecovery& b) { return a.Copy.Time > b.Copy.Time; });
  return found;
}

void DiscardRecovery(const std::string& folder) {
  std::error_code error;
  fs::remove_all(folder, error);
}

std::string DescribeRecovery(const TRecoveryCopy& copy) {
  char when[64] = "";
  const std::time_t time = static_cast<std::time_t>(copy.Time);
  std::tm local{};
  if (localtime_r(&time, &local) != nullptr) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
  std::string what;
  if (copy.ListModified) {
    const std::string count = copy.List.Count == 1 ? std::string(texts::RecoveryOneGlyph)
                                                   : FormatMessage(texts::RecoveryGlyphs, copy.List.Count);
    what += copy.Source.Kind == TListSourceKind::None
                ? FormatMessage(texts::RecoveryListUntitled, count)
                : FormatMessage(FormatMessage(texts::RecoveryListOf, count), copy.Source.Path);
  }
  if (copy.HasSet && copy.SetInfo.Modified) {
    if (!what.empty()) what += "\n";
    const TSetCopyInfo& set = copy.SetInfo;
    const std::string icons = set.Icons == 1 ? std::string(texts::RecoveryOneIcon) : FormatMessage(texts::RecoveryIcons, set.Icons);
    const std::string cells = set.Cells == 1 ? std::string(texts::RecoveryOneCell) : FormatMessage(texts::RecoveryCells, set.Cells);
    what += FormatMessage(FormatMessage(FormatMessage(set.NewSet ? texts::RecoveryNewSetOf : texts::RecoverySetOf, icons), cells),
                          set.File);
  }
  if (copy.EditorModified) {
    if (!what.empty()) what += "\n";
    what += copy.EditorKeptFile.empty() ? std::string(texts::RecoveryEditorGlyph)
                                        : FormatMessage(texts::RecoveryEditorGlyphOf, copy.EditorKeptFile);
  }
  return FormatMessage(FormatMessage(texts::RecoveryFound, when), what);
}

}  // namespace gliffo
