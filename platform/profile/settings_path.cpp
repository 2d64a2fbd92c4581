#include "platform/profile/settings_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

namespace gliffo::profile {

namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

bool Writable(const std::string& path) { return access(path.c_str(), W_OK) == 0; }

std::string BaseName(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string UserConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/gliffo/";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return std::string(home) + "/.config/gliffo/";
  return "";
}

}  // namespace

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return "";
  return std::string(buffer, static_cast<std::size_t>(length));
}

std::string DirectoryOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ChangeFileExt(const std::string& path, const std::string& extension) {
  std::size_t slash = path.rfind('/');
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + extension;
  return path.substr(0, dot) + extension;
}

TSettingsLocation SettingsLocationFor(const std::string& executablePath) {
  return SettingsLocationFor(executablePath, Writable);
}

TSettingsLocation SettingsLocationFor(const std::string& executablePath,
                                      const std::function<bool(const std::string&)>& canWrite) {
  std::string beside = ChangeFileExt(executablePath, ".ini");
  std::string folder = DirectoryOf(beside);
  bool besideWritable = canWrite(folder.empty() ? "." : folder) && (!Exists(beside) || canWrite(beside));
  // An installed program (bin/ beside share/gliffo/) keeps every user's file in their own
  // folder, root's too: a file written into /usr/bin would outlive the package.
  const bool installed = folder.ends_with("/bin/") && Exists(folder + "../share/gliffo");
  std::string userFolder = UserConfigFolder();
  if ((besideWritable && !installed) || userFolder.empty()) return {beside, beside};

  std::string user = userFolder + BaseName(beside);
  return {Exists(user) || !Exists(beside) ? user : beside, user};
}

std::string ProgramDataFile(const std::string& appDir, const std::string& installedFolder, const std::string& name) {
  const std::string beside = appDir + name;
  if (Exists(beside) || installedFolder.empty()) return beside;
  // bin/../share/gliffo/ reads as share/gliffo/ in a message or a window title.
  const std::filesystem::path installed =
      (std::filesystem::path(appDir.empty() ? "./" : appDir) / installedFolder / name).lexically_normal();
  return Exists(installed.string()) ? installed.string() : beside;
}

bool MakeParentFolders(const std::string& fileName) {
  std::string folder = DirectoryOf(fileName);
  for (std::size_t at = 1; at <= folder.size(); ++at) {
    if (at < folder.size() && folder[at] != '/') continue;
    std::string part = folder.substr(0, at);
    if (part.empty() || part == "/") continue;
    if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  return true;
}

}  // namespace gliffo::profile
