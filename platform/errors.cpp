#include "platform/errors.h"

#include "platform/strings.h"

namespace gliffo {

namespace {
std::string ReplaceFirst(const std::string& pattern, const char* token, const std::string& value) {
  auto at = pattern.find(token);
  if (at == std::string::npos) return pattern;
  return pattern.substr(0, at) + value + pattern.substr(at + 2);
}
}  // namespace

void ThrowOutOfResources() { throw EOutOfResources(texts::OutOfSystemResources); }

std::string FormatMessage(const std::string& pattern, const std::string& argument) {
  return ReplaceFirst(pattern, "%s", argument);
}

std::string FormatMessage(const std::string& pattern, long long argument) {
  return ReplaceFirst(pattern, "%d", std::to_string(argument));
}

}  // namespace gliffo
