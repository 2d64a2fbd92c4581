#pragma once
// File and folder names are ordered the way the user reads them: by the user's locale collation
// and without regard to letter case, not by byte codes (b.bmp comes before C.bmp). The folder
// list, the file list and the strip jobs all sort with this one comparison so they agree.
#include <string>
#include <string_view>
#include <vector>

namespace gliffo::drives {

// Negative, zero or positive as a sorts before, with or after b. Names that differ only in
// letter case compare equal. Names are taken as UTF-8 when the user's locale uses UTF-8; bytes
// that are not valid UTF-8 still compare consistently (each such byte stands for itself).
int CompareNamesIgnoreCase(std::string_view a, std::string_view b);

// A key whose plain comparison (std::wstring operator<) orders names like CompareNamesIgnoreCase,
// for sorting many names without converting them again at every comparison.
std::wstring NameSortKey(std::string_view name);

// Sorts names in place by CompareNamesIgnoreCase; the order of names that compare equal is
// kept as given.
void SortNamesIgnoreCase(std::vector<std::string>& names);

}  // namespace gliffo::drives
