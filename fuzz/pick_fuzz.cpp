// Drives gliffo-tool's pick through the size of what it makes: the output is as wide as the
// glyphs picked times the glyph size, a product that once overflowed int (65,537 ranges of a
// 65,536-glyph strip) and that must be refused past the picture limit before anything is held.
// Beyond "no crash, no sanitizer report", a run either writes a picture of exactly that width
// or refuses with the program's own error.
//
// Input: glyph size (2 bytes) and glyph count (2 bytes) of a 1-bit strip made here, a repeat
// count (3 bytes), then words separated by spaces, said that many times over. So a seed of a
// few bytes reaches millions of picked glyphs.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/commands.h"
#include "platform/errors.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// The largest strip made: 2^26 pixels, an 8 MiB file at 1 bit.
constexpr std::int64_t MaxStripPixels = std::int64_t{1} << 26;
// More words than this only slow the search down; the product overflows long before.
constexpr std::size_t MaxWords = std::size_t{1} << 17;

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path p = std::filesystem::temp_directory_path() / ("gliffo-pick-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(p);
    return p;
  }();
  return folder;
}

// A 1-bit strip of `glyphs` glyphs of `size`, written once.
std::string Strip(int size, int glyphs) {
  static std::map<std::pair<int, int>, std::string> made;
  const auto found = made.find({size, glyphs});
  if (found != made.end()) return found->second;
  const std::int64_t width = std::int64_t{size} * glyphs;
  const std::size_t stride = static_cast<std::size_t>((width + 31) / 32 * 4);
  std::vector<std::uint8_t> b(62, 0);
  const auto put32 = [&b](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  b[0] = 'B', b[1] = 'M';
  put32(10, 62), put32(14, 40), put32(18, static_cast<std::uint32_t>(width)), put32(22, static_cast<std::uint32_t>(size));
  b[26] = 1, b[28] = 1;
  b[58] = b[59] = b[60] = 0xFF;  // entry 1 white
  b.resize(b.size() + stride * static_cast<std::size_t>(size), 0x5A);
  put32(2, static_cast<std::uint32_t>(b.size()));
  const std::string path = (Folder() / ("s" + std::to_string(size) + "x" + std::to_string(glyphs) + ".bmp")).string();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  return made[{size, glyphs}] = path;
}

const gliffo::cli::Command& Pick() {
  for (const gliffo::cli::Command& c : gliffo::cli::Commands())
    if (std::string_view(c.Name) == "pick") return c;
  std::abort();
}

// Reports go to standard output; the search has no use for them.
struct Silence {
  std::ostringstream sink;
  std::streambuf* was = std::cout.rdbuf(sink.rdbuf());
  ~Silence() { std::cout.rdbuf(was); }
};

std::int32_t Le32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace gliffo;
  if (size < 7) return 0;
  const int glyphSize = 1 + ((data[0] | (data[1] << 8)) % 1024);
  const int glyphs = 1 + ((data[2] | (data[3] << 8)) % 65536);
  if (std::int64_t{glyphSize} * glyphSize * glyphs > MaxStripPixels) return 0;
  const std::size_t repeat = 1 + ((data[4] | (data[5] << 8) | (data[6] << 16)) % (1 << 20));
  std::vector<std::string> words;
  std::istringstream text(std::string(reinterpret_cast<const char*>(data + 7), size - 7));
  for (std::string w; text >> w && words.size() < 64;) words.push_back(w);
  if (words.empty() || words.size() * repeat > MaxWords) return 0;

  const std::string out = (Folder() / "out.bmp").string();
  std::filesystem::remove(out);
  std::vector<std::string> args{Strip(glyphSize, glyphs), out};
  for (std::size_t r = 0; r < repeat; ++r) args.insert(args.end(), words.begin(), words.end());
  args.push_back("--size");
  args.push_back(std::to_string(glyphSize));
  try {
    TImageOptions options;
    Silence silence;
    Check(Pick().Run(args, options) == 0);
  } catch (const cli::UsageError&) {
    return 0;  // words that name no glyph
  } catch (const Exception&) {
    return 0;  // refusals are fine; they just have to be the program's own errors
  }
  // Written: whole glyphs of the strip's size, within the picture limit.
  std::uint8_t head[26] = {};
  std::ifstream(out, std::ios::binary).read(reinterpret_cast<char*>(head), sizeof head);
  const std::int64_t width = Le32(head + 18), height = Le32(head + 22);
  Check(height == glyphSize && width > 0 && width % glyphSize == 0 && width * height <= MaxStripPixels);
  return 0;
}
