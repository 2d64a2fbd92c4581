#include <signal.h>
#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "cli/commands.h"
#include "cli/output.h"
#include "formats/image_formats.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"
#include "platform/memory_advice.h"

namespace gliffo::cli {

namespace {
std::vector<Command>& Table() {
  static std::vector<Command> table;
  return table;
}

// A save under way writes into an unnamed temporary that vanishes with the process; where the
// file system takes none, into a named one that this removes before the signal ends us.
void RemoveTemporariesAndDie(int signalNumber) {
  gliffo::files::RemovePendingTemporaries();
  ::signal(signalNumber, SIG_DFL);
  ::raise(signalNumber);
}

void RemoveTemporariesOnKill() {
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction action {};
    if (::sigaction(signalNumber, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) continue;  // nohup
    action.sa_handler = RemoveTemporariesAndDie;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(signalNumber, &action, nullptr);
  }
}

constexpr const char* AlphaRuleHelp =
    "Every command reads PNG and ICO as well as BMP, known by the file's first bytes whatever its\n"
    "name, and writes PNG to a name ending in .png (any case), ICO to .ico, BMP to any other name.\n"
    "A PNG with alpha or tRNS, an icon, and a BMP with an alpha mask are alpha pictures: their\n"
    "colour and alpha are kept exactly, and PNG and ICO outputs (and BMP ones with --alpha-bmp: 32 bits\n"
    "with an alpha mask) carry them. BMP and PPM outputs without alpha get the key-colour picture: a\n"
    "pixel whose alpha is below 128 becomes the key colour (--key RRGGBB, default FF00FF); one of 128\n"
    "or more is blended over the matte (--matte RRGGBB, default C0C0C0) and an opaque one keeps its\n"
    "colour; a BMP's colours are taken as stored. A picture without alpha written with alpha: the glyph\n"
    "jobs (gather, combine, split, disable, edit) give each glyph's key colour, its bottom-left\n"
    "pixel's, alpha 0; with --opaque, and always for copy and to4bit, every pixel is opaque.\n";

// "RRGGBB" (a "#" before it allowed) as a colour.
gliffo::raster::ColorRef ParseColour(const std::string& text, const std::string& what) {
  const std::string digits = text.starts_with('#') ? text.substr(1) : text;
  if (digits.size() != 6 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    throw UsageError(what + " must be a colour RRGGBB, as FF00FF");
  const unsigned long v = std::stoul(digits, nullptr, 16);
  return gliffo::raster::MakeColorRef(static_cast<int>(v >> 16), static_cast<int>((v >> 8) & 0xFF),
                                      static_cast<int>(v & 0xFF));
}

// --key and --matte, for every command: each one that reads an image may meet a PNG; and
// --alpha-bmp, for every command that may write a BMP.
void TakeRunOptions(std::vector<std::string>& args, gliffo::TImageOptions& options) {
  const std::string key = TakeOption(args, "--key", "");
  if (!key.empty()) options.Decode.Key = ParseColour(key, "--key");
  const std::string matte = TakeOption(args, "--matte", "");
  if (!matte.empty()) options.Decode.Matte = ParseColour(matte, "--matte");
  for (auto it = args.begin(); it != args.end(); ++it) {
    if (*it == "--alpha-bmp") {
      args.erase(it);
      options.Encode.AlphaBmp = true;
      break;
    }
  }
}

void PrintOverview(TOutput& out) {
  out << "usage: gliffo-tool COMMAND [ARGS]\n"
         "       gliffo-tool --help | --version\n\n"
         "Headless jobs on BMP files and glyph strips, byte for byte what Gliffo writes.\n\n"
         "Commands:\n";
  for (const Command& c : Table()) out << "  " << c.Usage << "\n      " << c.Summary << "\n";
  out << "\n" << AlphaRuleHelp << "\nRun 'gliffo-tool COMMAND --help' for one command.\n";
}
}  // namespace

CommandRegistrar::CommandRegistrar(Command command) { Table().push_back(std::move(command)); }

const std::vector<Command>& Commands() { return Table(); }

std::string TakeOption(std::vector<std::string>& args, const std::string& name, const std::string& fallback) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == name) {
      if (i + 1 >= args.size()) throw UsageError(name + " needs a value");
      std::string value = args[i + 1];
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
      return value;
    }
  }
  return fallback;
}

bool TakeFlag(std::vector<std::string>& args, const std::string& name) {
  const auto it = std::find(args.begin(), args.end(), name);
  if (it == args.end()) return false;
  args.erase(it);
  return true;
}

void RejectOptions(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (a.size() > 1 && a[0] == '-' && a[1] == '-') throw UsageError("unknown option " + a);
}

void TakeOpaqueOption(std::vector<std::string>& args, TImageOptions& options) {
  if (TakeFlag(args, "--opaque")) options.Encode.Opaque = true;
}

int ParsePositive(const std::string& text, const std::string& what) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    throw UsageError(what + " must be a positive whole number");
  const int value = std::atoi(text.c_str());
  if (value <= 0) throw UsageError(what + " must be a positive whole number");
  return value;
}

#if defined(__GLIBC__)
namespace {
// The heap's room ahead, in huge pages where the system gives them on request. A job over many
// files makes a small allocation or two for each (its path, the part it keeps), megabytes in
// all, and every fresh page costs a fault on its first touch: some microseconds each on a
// virtual machine, where a huge page costs about as much for 2 MiB. A job that uses little
// memory never reaches the advised room, and pays one system call for it.
void HugePagesAhead() {
  // One allocation the heap cannot hold yet grows it by the top pad, so the room exists to
  // advise; the volatile keeps the pair from being optimised away.
  static void* volatile probe;
  probe = std::malloc(120 << 10);
  std::free(probe);
  const auto end = reinterpret_cast<std::uintptr_t>(::sbrk(0));
  const std::size_t room = mallinfo2().keepcost;  // the free top of the heap
  if (room <= end) AdviseWholeBlocks(end - room, room, HugePageBytes, MADV_HUGEPAGE);
}
}  // namespace
#endif

}  // namespace gliffo::cli

int main(int argc, char** argv) {
  using namespace gliffo::cli;
#if defined(__GLIBC__)
  // The jobs over many files make a small store for each on every reader thread: growing the
  // heap in large steps spares a system call for every few of them. Only address space is
  // taken ahead; pages are used as they are written.
  mallopt(M_TOP_PAD, 16 << 20);
  HugePagesAhead();
#endif
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintOverview(Err());
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintOverview(Out());
    return 0;
  }
  if (args[0] == "--version") {
    Out() << "gliffo-tool " << GLIFFO_VERSION << "\n";
    return 0;
  }
  for (const Command& command : Commands()) {
    if (args[0] != command.Name) continue;
    std::vector<std::string> rest(args.begin() + 1, args.end());
    for (const std::string& a : rest) {
      if (a == "--help" || a == "-h") {
        Out() << "usage: gliffo-tool " << command.Usage << "\n\n" << command.Summary << "\n";
        const std::string help = command.MakeHelp != nullptr ? command.MakeHelp() : command.Help;
        if (!help.empty()) Out() << "\n" << help << "\n";
        Out() << "\n" << AlphaRuleHelp;
        return 0;
      }
    }
    RemoveTemporariesOnKill();
    try {
      // The run's choices, held here and handed to the job.
      gliffo::TImageOptions options;
      TakeRunOptions(rest, options);
      return command.Run(rest, options);
    } catch (const UsageError& e) {
      Err() << "gliffo-tool " << command.Name << ": " << e.what() << "\nusage: gliffo-tool " << command.Usage
            << "\n";
      return 2;
    } catch (const gliffo::Exception& e) {
      // "gliffo-tool: FILE: message", the message as the program words it.
      Err() << "gliffo-tool: " << (e.FileName().empty() ? "" : ShownName(e.FileName()) + ": ") << e.what() << "\n";
      return 1;
    } catch (const std::bad_alloc&) {
      Err() << "gliffo-tool: " << gliffo::texts::OutOfSystemResources << "\n";
      return 1;
    } catch (const std::exception& e) {
      Err() << "gliffo-tool: " << e.what() << "\n";
      return 1;
    }
  }
  Err() << "gliffo-tool: unknown command '" << args[0] << "'\n\n";
  PrintOverview(Err());
  return 2;
}
