#include "platform/drives/current_directory.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

#include "platform/strings.h"

namespace gliffo::drives {

std::string InOutErrorText(int errorNumber) {
  switch (errorNumber) {
    case ENOENT:
      return texts::FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
      return texts::InvalidFilename;
    case EMFILE:
    case ENFILE:
      return texts::TooManyOpenFiles;
    case EACCES:
    case EPERM:
      return texts::FileAccessDenied;
    default:
      return FormatMessage(texts::IoErrorPattern, static_cast<long long>(errorNumber));
  }
}

EInOutError InOutError(int errorNumber) { return EInOutError(InOutErrorText(errorNumber), errorNumber); }

void SetCurrentDirectory(const std::string& path) {
  // An embedded NUL would silently cut the path short; such a name cannot exist.
  if (path.find('\0') != std::string::npos) throw InOutError(ENOENT);
  if (::chdir(path.c_str()) != 0) throw InOutError(errno);
}

std::string CurrentDirectory() {
  std::vector<char> buffer(PATH_MAX);
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) return std::string(buffer.data());
    if (errno != ERANGE || buffer.size() > (1u << 20)) throw InOutError(errno);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace gliffo::drives
