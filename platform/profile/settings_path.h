#pragma once
// Where the settings file lives: beside the executable, named after it with the extension
// ".ini". An installed program's folder is usually not writable by its user, and saving there
// would fail at every exit; the file then goes to the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config, subfolder "gliffo") under the same name.
#include <functional>
#include <string>

namespace gliffo::profile {

// The full path of the running program ("" when the system cannot tell).
std::string ExecutablePath();
// The directory part of a path with its trailing separator.
std::string DirectoryOf(const std::string& path);
// The path with the extension of its last component replaced (or added).
std::string ChangeFileExt(const std::string& path, const std::string& extension);

struct TSettingsLocation {
  std::string ReadPath;   // the file placements are read from
  std::string WritePath;  // the file they are written to
};

// The file beside the executable when its folder (and the file, if present) can be written and
// the program is not an installed one (in a bin/ folder beside share/gliffo/). Otherwise the
// user's file; reading falls back to a file left beside the executable (for
// example one put there by an administrator) as long as the user has none of their own.
TSettingsLocation SettingsLocationFor(const std::string& executablePath);
// The same with the test for writability handed in (the system's answer is "yes" for root).
TSettingsLocation SettingsLocationFor(const std::string& executablePath,
                                      const std::function<bool(const std::string&)>& canWrite);

// A file the program ships (its help guide): beside the program first, as in a build tree or an
// unpacked copy, else in the installed data folder, given relative to the program's folder
// (for example "../share/gliffo"). When neither has it, the path beside the program, so a
// message about the missing file names the first place looked.
std::string ProgramDataFile(const std::string& appDir, const std::string& installedFolder, const std::string& name);

// Makes the folders leading to a file; false when one cannot be made.
bool MakeParentFolders(const std::string& fileName);

}  // namespace gliffo::profile
