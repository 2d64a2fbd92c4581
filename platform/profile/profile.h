#pragma once
// Profile (INI) files, read and written one entry at a time.
//
// A section header line holds the section name in square brackets; an entry line holds a key,
// an equals sign and a value. Sections and keys are found without regard to letter case; blanks
// around names and values do not count, and one pair of matching quotes around a value is
// dropped. A write touches only the one line it is about: every other section, entry, comment
// and blank line stays as it was, byte for byte. A write never leaves a half-written file: the
// new text goes to a file beside the old one, which then replaces it.
#include <optional>
#include <string>

namespace gliffo::profile {

// The size of the buffer a value is read into, terminating zero included: a longer value is
// cut to ProfileBufferSize - 1 characters.
inline constexpr std::size_t ProfileBufferSize = 2048;

// The value of key in section, or defaultValue (trailing blanks removed) when the file, the
// section or the key is missing. Either result is cut to fit the buffer.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& fileName);

// Sets key in section to value, creating the file, the section or the entry as needed. A key of
// nullopt removes the whole section; a value of nullopt removes the entry. Returns false when
// the file cannot be read or written; the file is then unchanged.
bool WritePrivateProfileString(const std::string& section, const std::optional<std::string>& key,
                               const std::optional<std::string>& value, const std::string& fileName);

}  // namespace gliffo::profile
