#include "platform/profile/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace gliffo::profile {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r')) text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The file as lines without their '\n'; a '\r' before it stays part of the line, so lines
// nobody touches are written back exactly.
struct TProfileText {
  std::vector<std::string> Lines;
  bool CrLf = false;  // new lines follow the file's own line ends
};

enum class TLoad { Loaded, Missing, Failed };

TLoad LoadText(const std::string& fileName, TProfileText& text) {
  // Opened without waiting and judged before any read: a FIFO under the settings file's name
  // would otherwise block the program's start until someone writes to it.
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return errno == ENOENT ? TLoad::Missing : TLoad::Failed;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return TLoad::Failed;
  }
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    ::close(fd);
    return TLoad::Failed;
  }
  std::string content;
  char buffer[8192];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, got);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return TLoad::Failed;

  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    text.Lines.emplace_back(content, start, end - start);
    start = end + 1;
  }
  text.CrLf = !text.Lines.empty() && !text.Lines.front().empty() && text.Lines.front().back() == '\r';
  return TLoad::Loaded;
}

// The name of a section header line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  std::size_t close = line.find(']');
  if (close != std::string_view::npos) line = line.substr(0, close);
  return Trim(line);
}

struct TEntry {
  std::string_view Key;
  std::string_view Value;
};

std::optional<TEntry> Entry(std::string_view line) {
  std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return std::nullopt;
  std::size_t equals = trimmed.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return TEntry{Trim(trimmed.substr(0, equals)), Trim(trimmed.substr(equals + 1))};
}

// Lines [First, Last) of a section, its header at First - 1.
struct TSectionRange {
  std::size_t Header = 0, First = 0, Last = 0;
};

std::optional<TSectionRange> FindSection(const TProfileText& text, std::string_view section) {
  for (std::size_t i = 0; i < text.Lines.size(); ++i) {
    auto name = SectionName(text.Lines[i]);
    if (!name || !SameName(*name, section)) continue;
    std::size_t last = i + 1;
    while (last < text.Lines.size() && !SectionName(text.Lines[last])) ++last;
    return TSectionRange{i, i + 1, last};
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(const TProfileText& text, const TSectionRange& range, std::string_view key) {
  for (std::size_t i = range.First; i < range.Last; ++i) {
    auto entry = Entry(text.Lines[i]);
    if (entry && SameName(entry->Key, key)) return i;
  }
  return std::nullopt;
}

std::string Cut(std::string value) {
  if (value.size() > ProfileBufferSize - 1) value.resize(ProfileBufferSize - 1);
  return value;
}

mode_t NewFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

// Writes the text beside the file and puts it in the file's place, so a failure at any point
// leaves the old file whole.
bool StoreText(const std::string& fileName, const TProfileText& text) {
  std::string target = fileName;
  char resolved[PATH_MAX];
  if (realpath(fileName.c_str(), resolved) != nullptr) target = resolved;  // keep a linked file a link

  std::string content;
  for (const std::string& line : text.Lines) {
    content += line;
    content += '\n';
  }

  std::string temporary = target + ".XXXXXX";
  int fd = mkstemp(temporary.data());
  if (fd < 0) return false;
  struct stat old {};
  mode_t mode = stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
  bool ok = fchmod(fd, mode) == 0;
  std::size_t done = 0;
  while (ok && done < content.size()) {
    ssize_t wrote = ::write(fd, content.data() + done, content.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) ok = false;
    else done += static_cast<std::size_t>(wrote);
  }
  if (ok && fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && std::rename(temporary.c_str(), target.c_str()) != 0) ok = false;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& fileName) {
  std::string fallback(defaultValue);
  while (!fallback.empty() && IsBlank(fallback.back())) fallback.pop_back();

  TProfileText text;
  if (LoadText(fileName, text) != TLoad::Loaded) return Cut(fallback);
  auto range = FindSection(text, section);
  if (!range) return Cut(fallback);
  auto line = FindKey(text, *range, key);
  if (!line) return Cut(fallback);

  std::string_view value = Entry(text.Lines[*line])->Value;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return Cut(std::string(value));
}

bool WritePrivateProfileString(const std::string& section, const std::optional<std::string>& key,
                               const std::optional<std::string>& value, const std::string& fileName) {
  // A line break inside a name or value would change the file's structure.
  if (HasLineBreak(section) || section.find(']') != std::string::npos) return false;
  if (key && (HasLineBreak(*key) || key->find('=') != std::string::npos || Trim(*key).empty())) return false;
  if (value && HasLineBreak(*value)) return false;

  TProfileText text;
  TLoad loaded = LoadText(fileName, text);
  if (loaded == TLoad::Failed) return false;
  const std::string lineEnd = text.CrLf ? "\r" : "";

  auto range = FindSection(text, section);
  if (!key) {
    if (!range) return true;
    text.Lines.erase(text.Lines.begin() + static_cast<std::ptrdiff_t>(range->Header),
                     text.Lines.begin() + static_cast<std::ptrdiff_t>(range->Last));
    return StoreText(fileName, text);
  }

  if (!range) {
    if (!value) return true;
    if (!text.Lines.empty() && !Trim(text.Lines.back()).empty()) text.Lines.push_back(lineEnd);
    text.Lines.push_back("[" + section + "]" + lineEnd);
    text.Lines.push_back(*key + "=" + *value + lineEnd);
    return StoreText(fileName, text);
  }

  auto line = FindKey(text, *range, *key);
  if (line) {
    if (!value) {
      text.Lines.erase(text.Lines.begin() + static_cast<std::ptrdiff_t>(*line));
    } else {
      const std::string& old = text.Lines[*line];
      bool crlf = !old.empty() && old.back() == '\r';
      text.Lines[*line] = std::string(Entry(old)->Key) + "=" + *value + (crlf ? "\r" : "");
    }
    return StoreText(fileName, text);
  }
  if (!value) return true;

  // A new entry goes after the section's last non-blank line, so blank lines that separate it
  // from the next section stay where they are.
  std::size_t insertAt = range->First;
  for (std::size_t i = range->First; i < range->Last; ++i)
    if (!Trim(text.Lines[i]).empty()) insertAt = i + 1;
  text.Lines.insert(text.Lines.begin() + static_cast<std::ptrdiff_t>(insertAt), *key + "=" + *value + lineEnd);
  return StoreText(fileName, text);
}

}  // namespace gliffo::profile
