#pragma once
// The process's current directory, which follows the folder browser: every change of folder
// makes the new folder current and reads it back, so the browser always shows the folder the
// system itself resolved (symbolic links followed, no trailing separator except at "/").
#include <string>

#include "platform/errors.h"

namespace gliffo::drives {

// The input/output error for a system error number, with the browser's fixed texts:
// "File not found", "Invalid filename", "Too many open files", "File access denied", and
// "I/O error <n>" for every other number.
std::string InOutErrorText(int errorNumber);
EInOutError InOutError(int errorNumber);

// Makes path the process's current directory; throws EInOutError when the system refuses.
void SetCurrentDirectory(const std::string& path);

// The process's current directory as an absolute path; throws EInOutError when it cannot be
// read (for instance when it has been removed).
std::string CurrentDirectory();

}  // namespace gliffo::drives
