#pragma once
// The lines of the folder list: the path from the root down to the current folder, then the
// folders directly inside it. Paths are absolute Linux paths as the system reports the current
// directory ("/" for the root, no trailing separator elsewhere); the root line is "/" whatever
// volume holds the current folder, because every folder above a mount point is a real folder.
#include <string>
#include <string_view>
#include <vector>

namespace gliffo::drives {

enum class FolderLineRole { Root, Ancestor, Current, Subfolder };

struct FolderLine {
  std::string Text;  // "/" for the root, otherwise the folder's name as stored on disk
  std::string Path;  // the folder the line stands for
  FolderLineRole Role = FolderLineRole::Subfolder;
  bool IsCurrent = false;  // the current folder's line; at the root this is the root line
  int Indent = 0;          // pixels from the list's left edge to the icon
  int TextLeft = 0;        // pixels from the list's left edge to the text
};

// Pixels from a line's indent to its text (the icon sits in between).
inline constexpr int FolderLineTextOffset = 20;

// The lines for a current folder and its subfolders' names (already in list order).
// Path line i is indented 2 + 4·i; subfolder lines 6 + 4·s, s being the number of separators
// in the current folder's path ("/" and "/home" have one, "/home/ann" two).
std::vector<FolderLine> BuildFolderLines(std::string_view currentFolder, const std::vector<std::string>& subfolders);

// The names of the folders directly inside folder that the list shows: not hidden (a leading
// dot), not "." or "..", symbolic links to folders included; sorted like the file list
// (SortFileNames: CompareNamesIgnoreCase, names equal but for case in byte order). Names that
// differ only in case are both listed, since Linux keeps them apart. A folder that cannot be
// listed has no subfolders to show.
std::vector<std::string> ReadSubfolders(const std::string& folder);

// BuildFolderLines over what is on disk.
std::vector<FolderLine> ReadFolderLines(const std::string& currentFolder);

// The index of the current folder's line, or -1.
int CurrentLineIndex(const std::vector<FolderLine>& lines);

// Whether two folder paths name the same folder as far as the browser is concerned. Linux file
// systems tell letter case apart, so the comparison does too.
bool SameFolder(std::string_view a, std::string_view b);

}  // namespace gliffo::drives
