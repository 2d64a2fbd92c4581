#include "platform/drives/folder_lines.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/drives/folder_listing.h"

namespace gliffo::drives {

namespace {

std::vector<std::string_view> PathNames(std::string_view path) {
  std::vector<std::string_view> names;
  size_t i = 0;
  while (i < path.size()) {
    while (i < path.size() && path[i] == '/') ++i;
    size_t start = i;
    while (i < path.size() && path[i] != '/') ++i;
    if (i > start) names.push_back(path.substr(start, i - start));
  }
  return names;
}

bool IsFolderEntry(int dirFd, const dirent& entry) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
  struct stat info {};
  return ::fstatat(dirFd, entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::vector<FolderLine> BuildFolderLines(std::string_view currentFolder, const std::vector<std::string>& subfolders) {
  const auto names = PathNames(currentFolder);
  std::vector<FolderLine> lines;
  lines.reserve(names.size() + 1 + subfolders.size());

  auto addPathLine = [&](std::string text, std::string path, FolderLineRole role) {
    FolderLine line;
    line.Indent = 2 + 4 * static_cast<int>(lines.size());
    line.TextLeft = line.Indent + FolderLineTextOffset;
    line.Text = std::move(text);
    line.Path = std::move(path);
    line.Role = role;
    lines.push_back(std::move(line));
  };

  addPathLine("/", "/", FolderLineRole::Root);
  std::string path;
  for (size_t i = 0; i < names.size(); ++i) {
    path += '/';
    path += names[i];
    addPathLine(std::string(names[i]), path, i + 1 == names.size() ? FolderLineRole::Current : FolderLineRole::Ancestor);
  }
  lines.back().IsCurrent = true;

  // The root keeps its one separator; below it each folder adds one.
  const int separators = names.empty() ? 1 : static_cast<int>(names.size());
  const int subfolderIndent = 6 + 4 * separators;
  const std::string prefix = names.empty() ? std::string("/") : path + "/";
  for (const auto& name : subfolders) {
    FolderLine line;
    line.Indent = subfolderIndent;
    line.TextLeft = subfolderIndent + FolderLineTextOffset;
    line.Text = name;
    line.Path = prefix + name;
    line.Role = FolderLineRole::Subfolder;
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<std::string> ReadSubfolders(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return names;
  const int dirFd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;  // hidden, and "." and ".."
    if (IsFolderEntry(dirFd, *entry)) names.emplace_back(entry->d_name);
  }
  ::closedir(dir);

  // Names that differ only in letter case are different folders here, and both must stay
  // reachable; the file list's order puts them in byte order, so the list does not depend on
  // the order the system returned them in.
  SortFileNames(names);
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

std::vector<FolderLine> ReadFolderLines(const std::string& currentFolder) {
  return BuildFolderLines(currentFolder, ReadSubfolders(currentFolder));
}

int CurrentLineIndex(const std::vector<FolderLine>& lines) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].IsCurrent) return static_cast<int>(i);
  return -1;
}

bool SameFolder(std::string_view a, std::string_view b) { return a == b; }

}  // namespace gliffo::drives
