#pragma once
// Listing a folder's files the way the file list of the folder browser does: plain files
// matching a mask, hidden entries and folders left out, sorted by name without regard to
// letter case by the user's locale collation.
#include <string>
#include <vector>

#include "platform/errors.h"

namespace gliffo::drives {

// The input/output error for a system error number (errno): "File not found",
// "Invalid filename", "Too many open files", "File access denied", or "I/O error %d".
EInOutError InOutError(int errorNumber);

// True when the name matches one of the mask's ";"-separated patterns ("*.bmp", "*.*", "*"),
// letters compared without regard to case.
bool MatchesMask(const std::string& name, const std::string& mask);

// Compares two file names without regard to letter case by the collation of the process
// locale (LC_COLLATE, as set by setlocale); in the C locale by bytes after case folding.
// Negative, zero or positive.
int CompareFileNames(const std::string& a, const std::string& b);

// Sorts names by CompareFileNames; names that compare equal keep byte order between them,
// so the result does not depend on the listing order.
void SortFileNames(std::vector<std::string>& names);

// The names (as stored on disk) of the folder's regular files that match the mask, sorted by
// SortFileNames. Symbolic links count as the regular files they point to; folders, devices,
// broken links and hidden entries (names starting with ".") are left out. A folder that cannot
// be read raises InOutError for its system error.
std::vector<std::string> ListFolderFiles(const std::string& folder, const std::string& mask = "*.bmp");

}  // namespace gliffo::drives
