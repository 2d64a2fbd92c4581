#pragma once
// The command table of gliffo-tool. Each source file registers its commands with a static
// CommandRegistrar; main() dispatches on the first argument.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "formats/image_formats.h"

namespace gliffo::cli {

class TOutput;

// Wrong usage: main() prints the command's usage and exits with status 2.
class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

// Texts are literals, kept where they stand: every start registers every command.
struct Command {
  const char* Name;
  const char* Usage;    // e.g. "info FILE.bmp"
  const char* Summary;  // one line for the overview
  const char* Help;     // the rest of --help for this command
  // Runs with the arguments after the command name and the run's options (--key, --matte;
  // a command that writes glyphs takes --opaque into them itself); returns the exit status.
  // Program errors (exceptions of the program's classes) are reported by main() with status 1.
  int (*Run)(const std::vector<std::string>& args, TImageOptions& options);
  // Help made when asked for, where it is more than a literal.
  std::string (*MakeHelp)() = nullptr;
};

struct CommandRegistrar {
  explicit CommandRegistrar(Command command);
};

const std::vector<Command>& Commands();

// Helpers for commands: the value of "--name VALUE" (removed from args), or fallback.
std::string TakeOption(std::vector<std::string>& args, const std::string& name, const std::string& fallback);
// Whether "--name" was given (removed from args).
bool TakeFlag(std::vector<std::string>& args, const std::string& name);
// UsageError for an option the job did not take.
void RejectOptions(const std::vector<std::string>& args);
// Takes "--opaque" from the args of a job that writes glyphs: every pixel of a PNG output is
// then written opaque instead of each glyph's key colour transparent.
void TakeOpaqueOption(std::vector<std::string>& args, TImageOptions& options);
// Parses a positive decimal integer or throws UsageError.
int ParsePositive(const std::string& text, const std::string& what);

// What the headers of an input file say, read without its pixels: nothing beyond the headers
// is read, and a file that is not a regular one (a FIFO, a device, a folder) is refused without
// waiting on it. Empty is true for a 0-byte file, which has no headers. The format is known by
// the file's first bytes, whatever its name.
struct InputHeader {
  std::string Path;  // the name to load the file by (InputPath)
  bool Empty = true;
  std::uint64_t FileSize = 0;
  const TImageFormat* Format = nullptr;  // nullptr for an empty file
  TImageHeader Header;
  int Width() const { return Header.Width; }
  int Height() const { return Header.Height; }
};
InputHeader ReadInputHeader(const std::string& fileName, const TDecodeOptions& options);
// Prints info's lines for an input file, as its format describes it.
void DescribeInput(const std::string& fileName);

// "-" is standard input where a file is read and standard output where one is written. A
// pipe, or a FIFO named as an input, is read whole once (within one picture's size for all of
// a job's pipes together) and then loaded like a regular file.
// InputPath gives the name an input is loaded by; OutputPath the name an output is saved by;
// ShownName turns either back into the name the user gave, for messages; ReportStream is where
// a job's report goes, standard error when its output takes standard output.
std::string InputPath(const std::string& fileName);
// A strip of an icon set named as SET:SIZE[-THEME] ("icons.glyphset:16-dark"): the strip's file,
// after the set's paths are judged (a set naming a path outside its folder is refused). Any
// other name is given back as it is. InputPath does this first.
std::string CellStripPath(const std::string& fileName);
std::string OutputPath(const std::string& fileName);
std::string ShownName(const std::string& fileName);
TOutput& ReportStream(const std::string& output);

// An empty file loads as an empty image, but a job never writes an empty picture in place of
// its output: it fails with "FILE: the file is empty" and leaves the output alone.
[[noreturn]] void ThrowEmptyInput(const std::string& fileName);

// Reads an input's headers for a job that loads it: refuses an empty file (ThrowEmptyInput)
// unless told otherwise, and warns on standard error when the file ends before its pixels do (they load as zeros).
InputHeader CheckInput(const std::string& fileName, const TDecodeOptions& options, bool refuseEmpty = true);
// The warning CheckInput gives for a file that ends this many bytes before its last pixel.
void WarnIfShort(const std::string& fileName, std::uint64_t missingBytes);
// CheckInput of every file, the first refusal in their order raised.
std::vector<InputHeader> CheckInputs(const std::vector<std::string>& fileNames, const TDecodeOptions& options,
                                     bool refuseEmpty = true);

}  // namespace gliffo::cli
