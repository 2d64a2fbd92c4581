#pragma once
// The program's error classes. Every error is an exception of a named class that carries the
// text the default error box shows. They live at the lowest layer because the platform
// stand-ins (profile files, folders, fonts, storage) raise them too.
#include <stdexcept>
#include <string>

namespace gliffo {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }

  // The file the error is about, when a file operation raised it ("" otherwise). The message
  // stays as it is; a command-line tool puts the name in front of it.
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& fileName) { fileName_ = fileName; }

 private:
  std::string fileName_;
};

// Runs a step on one file; an error of the program's classes that leaves it is marked as
// being about that file, unless a step inside already named one.
template <class Step>
decltype(auto) AboutFile(const std::string& fileName, Step&& step) {
  try {
    return step();
  } catch (Exception& e) {
    if (e.FileName().empty()) e.SetFileName(fileName);
    throw;
  }
}

// Raises an error as being about a file.
template <class Error>
[[noreturn]] void ThrowAboutFile(const std::string& fileName, Error error) {
  error.SetFileName(fileName);
  throw error;
}

#define GLIFFO_ERROR_CLASS(Name, Base)                                 \
  class Name : public Base {                                           \
   public:                                                             \
    explicit Name(const std::string& message) : Base(message) {}       \
  }

GLIFFO_ERROR_CLASS(EInvalidGraphic, Exception);
GLIFFO_ERROR_CLASS(EOutOfResources, Exception);
GLIFFO_ERROR_CLASS(EInvalidOperation, Exception);
GLIFFO_ERROR_CLASS(EStreamError, Exception);
GLIFFO_ERROR_CLASS(EFOpenError, EStreamError);
GLIFFO_ERROR_CLASS(EFCreateError, EStreamError);
GLIFFO_ERROR_CLASS(EReadError, EStreamError);
GLIFFO_ERROR_CLASS(EWriteError, EStreamError);
GLIFFO_ERROR_CLASS(EWin32Error, Exception);
GLIFFO_ERROR_CLASS(EIniFileException, Exception);

#undef GLIFFO_ERROR_CLASS

// Input/output errors carry the system error number next to the text.
class EInOutError : public Exception {
 public:
  EInOutError(const std::string& message, int errorCode) : Exception(message), ErrorCode(errorCode) {}
  int ErrorCode;
};

// EOutOfResources "Out of system resources": a size past a limit, or memory that cannot be had.
[[noreturn]] void ThrowOutOfResources();

// Replaces the first %s or %d in a message pattern.
std::string FormatMessage(const std::string& pattern, const std::string& argument);
std::string FormatMessage(const std::string& pattern, long long argument);

}  // namespace gliffo
