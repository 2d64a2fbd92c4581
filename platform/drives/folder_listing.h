#pragma once
// Listing a folder's files the way the file list of the folder browser does: plain files
// matching a mask, hidden entries and folders left out, sorted by name without regard to
// letter case by the user's locale collation.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/drives/collation.h"
#include "platform/errors.h"

namespace gliffo::drives {

// True when the name matches one of the mask's ";"-separated patterns ("*.bmp", "*.*", "*"),
// letters compared without regard to case.
bool MatchesMask(const std::string& name, const std::string& mask);

// Sorts names by CompareNamesIgnoreCase (platform/drives/collation.h); names that compare
// equal are put in byte order, so the result does not depend on the order the system listed
// them in.
void SortFileNames(std::vector<std::string>& names);

// The names (as stored on disk) of the folder's regular files that match the mask, sorted by
// SortFileNames. Symbolic links count as the regular files they point to; folders, devices,
// broken links and hidden entries (names starting with ".") are left out. A folder that cannot
// be read raises EInOutError for its system error (InOutError of current_directory.h).
std::vector<std::string> ListFolderFiles(const std::string& folder, const std::string& mask = "*.bmp");
// The same, calling onEntry with the number of names kept so far after each one, so the window
// can show the busy cursor once a listing grows long.
std::vector<std::string> ListFolderFiles(const std::string& folder, const std::string& mask,
                                         const std::function<void(std::size_t)>& onEntry);

}  // namespace gliffo::drives
