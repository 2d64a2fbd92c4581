// Editing sessions: a script of editor events replayed on the editor model, the glyph (and the
// surface) saved at the end. Script errors are reported here with the script's line, so they
// read the same whatever main() does with other errors.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/output.h"
#include "editor/session.h"
#include "glyphs/bitmap.h"
#include "formats/image_formats.h"

namespace gliffo::cli {

namespace {

// Far more than any session a person records; the commands parsed from a script this long
// take some tens of megabytes.
constexpr std::size_t MaxScriptBytes = std::size_t{16} << 20;

int ReportLine(const std::string& script, const TSessionError& error, int status) {
  Err() << "gliffo-tool: " << script << ":" << error.Line() << ": " << error.what() << "\n";
  return status;
}

int Edit(const std::vector<std::string>& arguments, TImageOptions& options) {
  std::vector<std::string> args = arguments;
  const std::string sizeText = TakeOption(args, "--size", "");
  const int size = sizeText.empty() ? 16 : ParsePositive(sizeText, "--size");
  // The surface is 256 pixels; a glyph beyond that only gets slower, and a huge one would ask
  // for memory no icon needs.
  if (size > 1024) throw UsageError("--size must be at most 1024");
  const std::string surfaceFile = TakeOption(args, "--surface", "");
  TakeOpaqueOption(args, options);
  for (const std::string& a : args)
    if (a.size() > 1 && a[0] == '-' && a[1] == '-') throw UsageError("unknown option " + a);
  if (args.size() != 2) throw UsageError("needs a script and an output file");
  const std::string& script = args[0];
  const std::string& output = args[1];

  std::vector<TSessionCommand> commands;
  try {
    std::string text;
    int fd = STDIN_FILENO;
    if (script != "-") {
      // A folder opens on this system and fails only on the first read, with a message about
      // reading instead of the script.
      struct stat info {};
      errno = ::stat(script.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? EISDIR : 0;
      if (errno == 0) fd = ::open(script.c_str(), O_RDONLY | O_CLOEXEC);
      if (errno != 0 || fd < 0) {
        Err() << "gliffo-tool: " << script << ": cannot open the script: " << std::strerror(errno) << "\n";
        return 1;
      }
    }
    // Read a piece at a time and never past the bound, so an endless stream ends the job
    // instead of filling memory.
    const auto closeScript = [&] {
      if (fd != STDIN_FILENO) ::close(fd);
    };
    char piece[65536];
    for (;;) {
      const ssize_t got = ::read(fd, piece, sizeof piece);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        closeScript();
        Err() << "gliffo-tool: " << script << ": cannot read the script\n";
        return 1;
      }
      if (got == 0) break;
      text.append(piece, static_cast<std::size_t>(got));
      if (text.size() > MaxScriptBytes) {
        closeScript();
        Err() << "gliffo-tool: " << script << ": the script is longer than " << (MaxScriptBytes >> 20) << " MiB\n";
        return 1;
      }
    }
    closeScript();
    // Editors on some systems start a UTF-8 text with a byte-order mark; it is no part of the
    // first command.
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    std::istringstream lines(text);
    commands = ParseSession(lines);
  } catch (const TSessionError& e) {
    return ReportLine(script, e, 2);
  }

  TEditSession session(size);
  session.Collection().Options = options;
  try {
    session.Run(commands);
  } catch (const TSessionError& e) {
    return ReportLine(script, e, 1);
  }
  // The surface first: should the glyph's save fail after it, the surface alone is left, and a
  // failing save of either keeps the previous file.
  if (!surfaceFile.empty()) {
    TBitmap surface;
    surface.Assign(&session.Editor().pic());
    surface.SetPixelFormat(TPixelFormat::pf32bit);
    // The surface is a view of the glyph, not a glyph: nothing of it is transparent.
    surface.SaveToFile(OutputPath(surfaceFile), OpaqueEncodeOptions());
  }
  session.Editor().SaveGlyphFile(OutputPath(output));
  return 0;
}

std::string EditHelp() { return std::string(SessionCommandHelp()) + "\nA script may be at most 16 MiB long."; }

}  // namespace

const CommandRegistrar editCommand({"edit", "edit SCRIPT OUT.bmp [--size N] [--surface SURFACE.bmp] [--opaque]",
                                    "replay an editing session on a glyph and save it", "", Edit, EditHelp});

}  // namespace gliffo::cli
