#pragma once
// The command table of gliffo-tool. Each source file registers its commands with a static
// CommandRegistrar; main() dispatches on the first argument.
#include <stdexcept>
#include <string>
#include <vector>

namespace gliffo::cli {

// Wrong usage: main() prints the command's usage and exits with status 2.
class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

struct Command {
  std::string Name;
  std::string Usage;    // e.g. "info FILE.bmp"
  std::string Summary;  // one line for the overview
  std::string Help;     // the rest of --help for this command
  // Runs with the arguments after the command name; returns the exit status. Program errors
  // (exceptions of the program's classes) are reported by main() with status 1.
  int (*Run)(const std::vector<std::string>& args);
};

struct CommandRegistrar {
  explicit CommandRegistrar(Command command);
};

const std::vector<Command>& Commands();

// Helpers for commands: the value of "--name VALUE" (removed from args), or fallback.
std::string TakeOption(std::vector<std::string>& args, const std::string& name, const std::string& fallback);
// Parses a positive decimal integer or throws UsageError.
int ParsePositive(const std::string& text, const std::string& what);

}  // namespace gliffo::cli
