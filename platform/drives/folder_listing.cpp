#include "platform/drives/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string_view>

#include "platform/drives/current_directory.h"

namespace gliffo::drives {

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// "*" matches any run of characters, "?" one character; letters compare without regard to case.
bool MatchPattern(std::string_view name, std::string_view pattern) {
  std::size_t n = 0, p = 0;
  std::size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || FoldAscii(pattern[p]) == FoldAscii(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

bool MatchesMask(const std::string& name, const std::string& mask) {
  std::string_view rest = mask;
  while (true) {
    const std::size_t end = rest.find(';');
    std::string_view pattern = rest.substr(0, end);
    while (!pattern.empty() && pattern.front() == ' ') pattern.remove_prefix(1);
    while (!pattern.empty() && pattern.back() == ' ') pattern.remove_suffix(1);
    // "*.*" means every name, with or without an extension.
    if (pattern == "*.*" || pattern == "*") return true;
    if (!pattern.empty() && MatchPattern(name, pattern)) return true;
    if (end == std::string_view::npos) return false;
    rest.remove_prefix(end + 1);
  }
}

void SortFileNames(std::vector<std::string>& names) {
  // Byte order first, so names that collate equal (a.bmp and A.bmp) always end up the same way.
  std::sort(names.begin(), names.end());
  SortNamesIgnoreCase(names);
}

std::vector<std::string> ListFolderFiles(const std::string& folder, const std::string& mask) {
  return ListFolderFiles(folder, mask, nullptr);
}

std::vector<std::string> ListFolderFiles(const std::string& folder, const std::string& mask,
                                         const std::function<void(std::size_t)>& onEntry) {
  if (folder.find('\0') != std::string::npos) throw InOutError(ENOENT);
  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
  if (!dir) throw InOutError(errno);
  const int dirFd = ::dirfd(dir.get());
  std::vector<std::string> names;
  while (true) {
    errno = 0;
    const dirent* entry = ::readdir(dir.get());
    if (!entry) {
      if (errno != 0) throw InOutError(errno);
      break;
    }
    const char* name = entry->d_name;
    if (name[0] == '.') continue;  // hidden, and "." and ".."
    if (entry->d_type == DT_DIR) continue;
    if (!MatchesMask(name, mask)) continue;
    bool regular = entry->d_type == DT_REG;
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      // Follows links: a link counts as what it points to; a broken one is left out.
      struct stat info {};
      regular = ::fstatat(dirFd, name, &info, 0) == 0 && S_ISREG(info.st_mode);
    }
    if (regular) {
      names.emplace_back(name);
      if (onEntry) onEntry(names.size());
    }
  }
  SortFileNames(names);
  return names;
}

}  // namespace gliffo::drives
