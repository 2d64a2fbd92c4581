#pragma once
// File-dialog filters as the program writes them, "Name|*.ext|Name|*.ext;*.ext2", turned into
// the toolkit's "Name (*.ext)" entries. No Qt here, so the conversion is tested on its own.
#include <string>
#include <vector>

namespace gliffo {

struct TFilterEntry {
  std::string Title;                  // "Bitmap Collection (*.gbc)"
  std::vector<std::string> Patterns;  // {"*.gbc"}
};

std::vector<TFilterEntry> ConvertFilter(const std::string& filter);

// The extension of the entry's only pattern ("*.bmp" gives "bmp"); "" when it has several
// patterns or a pattern with wildcards in its extension.
std::string FilterExtension(const TFilterEntry& entry);

// The name with the extension added when the name has none of its own ("" adds nothing).
std::string WithDefaultExtension(const std::string& fileName, const std::string& extension);

}  // namespace gliffo
