// Jobs for icons and high-density sets: writing Windows icons, scaling strips glyph by glyph,
// size variants for toolkits, and picking glyphs out of a strip.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/output.h"
#include "glyphs/bitmap.h"
#include "formats/ico_codec.h"
#include "formats/image_formats.h"
#include "formats/png_codec.h"
#include "glyphs/scaling.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"

namespace gliffo::cli {

namespace {

int SizeOption(std::vector<std::string>& args) {
  const std::string text = TakeOption(args, "--size", "");
  return text.empty() ? 0 : ParsePositive(text, "--size");
}

// A picture of any format the program reads, "-" for standard input; an icon gives its entry
// of preferredSize (its largest when 0). An empty file is refused; a pipe or a FIFO is read
// whole first (within the jobs' budget for pipes), any other special file refused.
std::shared_ptr<TBitmapImage> LoadPicture(const std::string& fileName, const TImageOptions& options, int preferredSize) {
  const std::string path = InputPath(fileName);
  std::shared_ptr<TBitmapImage> image =
      AboutFile(fileName, [&] { return LoadImageFile(path, options.DecodeAt(preferredSize)); });
  if (!image || !image->HasPixels()) ThrowEmptyInput(fileName);
  return image;
}

// A strip and the edge of its glyphs: --size N, else the strip's height.
struct Strip {
  std::shared_ptr<TBitmapImage> Image;
  int Size = 0;
  int Glyphs() const { return Image->Width / Size; }
};

Strip LoadStrip(const std::string& fileName, const TImageOptions& options, int size) {
  Strip s;
  s.Image = LoadPicture(fileName, options, size);
  s.Size = size > 0 ? size : s.Image->AbsHeight();
  if (s.Image->AbsHeight() != s.Size || s.Image->Width < s.Size)
    ThrowAboutFile(fileName, EInvalidOperation("the picture is " + std::to_string(s.Image->Width) + "x" +
                                                std::to_string(s.Image->AbsHeight()) + ", not a row of " +
                                                std::to_string(s.Size) + "x" + std::to_string(s.Size) + " glyphs"));
  return s;
}

// A store of the strip's format and table holding the listed glyphs side by side, each
// glyph's stored values unchanged, and an alpha picture's own pixels with them.
std::shared_ptr<TBitmapImage> GlyphsOf(const Strip& strip, const std::vector<int>& indices) {
  const TBitmapImage& from = *strip.Image;
  // Only the strip's description is copied, never its pixels: a glyph at a time stays cheap.
  const std::int64_t width = static_cast<std::int64_t>(indices.size()) * strip.Size;
  if (width > INT32_MAX || raster::TooManyPixels(width, strip.Size)) ThrowOutOfResources();
  auto out = NewStore(from, static_cast<std::int32_t>(width), from.Height);
  out->SizeImage = 0;
  const raster::Surface src = from.Surface(), dst = out->Surface();
  for (std::size_t k = 0; k < indices.size(); ++k)
    for (int y = 0; y < strip.Size; ++y)
      for (int x = 0; x < strip.Size; ++x)
        raster::WriteValue(dst, static_cast<int>(k) * strip.Size + x, y,
                           raster::ReadValue(src, indices[k] * strip.Size + x, y));
  if (from.HasAlpha()) {
    AllocateAlphaPixels(out->AlphaPixels, out->Width, strip.Size);
    out->OpaqueAlpha = false;
    // An opaque alpha picture's own pixels are made from its store; any other's are used
    // where they are, not copied whole for a few glyphs.
    std::vector<std::uint32_t> made;
    if (from.AlphaPixels.empty()) made = OwnPixels(from);
    const std::vector<std::uint32_t>& own = from.AlphaPixels.empty() ? made : from.AlphaPixels;
    const auto fromWidth = static_cast<std::size_t>(from.Width), outWidth = static_cast<std::size_t>(out->Width);
    for (std::size_t k = 0; k < indices.size(); ++k)
      for (int y = 0; y < strip.Size; ++y)
        std::copy_n(own.data() + static_cast<std::size_t>(y) * fromWidth + static_cast<std::size_t>(indices[k] * strip.Size),
                    strip.Size, out->AlphaPixels.data() + static_cast<std::size_t>(y) * outWidth + k * static_cast<std::size_t>(strip.Size));
  }
  return out;
}

void SavePicture(std::shared_ptr<TBitmapImage> image, const std::string& fileName, const TImageOptions& options) {
  TBitmap bitmap;
  bitmap.ReplaceImage(std::move(image));
  AboutFile(fileName, [&] { bitmap.SaveToFile(OutputPath(fileName), options.Encode); });
}

TScaleFactor FactorOption(std::vector<std::string>& args) {
  const std::string text = TakeOption(args, "--by", "");
  if (text.empty()) throw UsageError("needs --by 2, 3, 4 or 1.5");
  const std::optional<TScaleFactor> factor = ParseScaleFactor(text);
  if (!factor) throw UsageError("cannot scale by " + text + ": only by 2, 3, 4 or 1.5");
  return *factor;
}

int Scale(const std::vector<std::string>& arguments, TImageOptions& options) {
  std::vector<std::string> args = arguments;
  const TScaleFactor factor = FactorOption(args);
  const std::string methodText = TakeOption(args, "--method", "");
  const int size = SizeOption(args);
  RejectOptions(args);
  if (args.size() != 2) throw UsageError("needs an input and an output file");
  TScaleMethod method = DefaultScaleMethod(factor);
  if (!methodText.empty()) {
    const std::optional<TScaleMethod> m = ParseScaleMethod(methodText);
    if (!m) throw UsageError("unknown method " + methodText);
    method = *m;
  }
  if (!ScaleMethodFits(factor, method)) throw UsageError(methodText + " does not scale by that factor");
  const Strip strip = LoadStrip(args[0], options, size);
  if (ScaledSize(strip.Size, factor) == 0)
    throw UsageError("1.5 times " + std::to_string(strip.Size) + " pixels is no whole glyph");
  std::shared_ptr<TBitmapImage> scaled = AboutFile(args[0], [&] { return ScaleStrip(*strip.Image, strip.Size, factor, method); });
  const int outSize = scaled->AbsHeight();
  SavePicture(scaled, args[1], options);
  ReportStream(args[1]) << "glyphs: " << strip.Glyphs() << "\nglyph-size: " << outSize << "\n";
  return 0;
}

// The glyph numbers the words name, in order. A picture of them all past the picture limit is
// refused ("Out of system resources") as the words are read, before it could fill memory.
std::vector<int> ParsePickSpec(const std::vector<std::string>& words, int glyphs, int size) {
  std::vector<int> picked;
  std::int64_t count = 0;
  const auto number = [](const std::string& text, const std::string& word) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
      throw UsageError("'" + word + "' is neither a glyph number nor a range a-b");
    return std::stoi(text);
  };
  for (const std::string& word : words) {
    const std::size_t dash = word.find('-');
    const int first = number(dash == std::string::npos ? word : word.substr(0, dash), word);
    const int last = dash == std::string::npos ? first : number(word.substr(dash + 1), word);
    if (first >= glyphs || last >= glyphs)
      throw UsageError("'" + word + "' is past the last glyph (the strip holds " + std::to_string(glyphs) + ", numbered from 0)");
    count += std::abs(last - first) + 1;
    if (count * size > INT32_MAX || raster::TooManyPixels(count * size, size)) ThrowOutOfResources();
    const int step = last >= first ? 1 : -1;
    for (int i = first;; i += step) {
      picked.push_back(i);
      if (i == last) break;
    }
  }
  return picked;
}

int Pick(const std::vector<std::string>& arguments, TImageOptions& options) {
  std::vector<std::string> args = arguments;
  const int size = SizeOption(args);
  RejectOptions(args);
  if (args.size() < 3) throw UsageError(args.size() < 2 ? "needs an input, an output and the glyphs to pick" : "names no glyph to pick");
  const Strip strip = LoadStrip(args[0], options, size);
  const std::vector<int> picked =
      ParsePickSpec(std::vector<std::string>(args.begin() + 2, args.end()), strip.Glyphs(), strip.Size);
  SavePicture(GlyphsOf(strip, picked), args[1], options);
  ReportStream(args[1]) << "glyphs: " << picked.size() << "\n";
  return 0;
}

int Ico(const std::vector<std::string>& args, TImageOptions& options) {
  RejectOptions(args);
  if (args.size() < 2) throw UsageError("needs an output file and at least one picture");
  // Counted before anything is loaded: thousands of inputs would otherwise all be held first.
  if (args.size() - 1 > static_cast<std::size_t>(ico::MaxEntries))
    ThrowAboutFile(args[0], EInvalidGraphic(FormatMessage(texts::IconImageIsNotValid, std::to_string(args.size() - 1) + " pictures")));
  std::vector<std::shared_ptr<TBitmapImage>> pictures;
  std::vector<const TBitmapImage*> entries;
  for (std::size_t i = 1; i < args.size(); ++i) {
    pictures.push_back(LoadPicture(args[i], options, 0));
    const TBitmapImage& p = *pictures.back();
    if (p.Width != p.AbsHeight() || p.Width > ico::MaxSide)
      ThrowAboutFile(args[i], EInvalidGraphic(FormatMessage(texts::IconPictureSize,
                                                            std::to_string(p.Width) + "x" + std::to_string(p.AbsHeight()))));
    entries.push_back(&p);
  }
  const std::vector<std::uint8_t> bytes = AboutFile(args[0], [&] { return ico::Encode(entries); });
  AboutFile(args[0], [&] { files::WriteWholeFile(OutputPath(args[0]), bytes); });
  ReportStream(args[0]) << "entries: " << entries.size() << "\n";
  return 0;
}

// Hundreds of thousands of names, far more than any toolkit's icon set; a longer file is
// refused after reading no more than one byte past this, so no names file fills memory.
constexpr std::size_t MaxNamesBytes = std::size_t{4} << 20;

std::vector<std::string> ReadNames(const std::string& fileName, int glyphs) {
  // A file, "-" or a pipe (<(...)) as every input is.
  const std::string path = InputPath(fileName);
  const std::vector<std::uint8_t> bytes = AboutFile(fileName, [&] {
    const files::TInputFile file(path);
    std::vector<std::uint8_t> read(static_cast<std::size_t>(std::min<std::uint64_t>(file.RegularSize().value_or(MaxNamesBytes), MaxNamesBytes) + 1));
    read.resize(file.ReadAt(read.data(), read.size(), 0));
    return read;
  });
  if (bytes.size() > MaxNamesBytes)
    ThrowAboutFile(fileName, EInvalidOperation("the names file is longer than " + std::to_string(MaxNamesBytes >> 20) + " MiB"));
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  std::vector<std::string> names;
  std::set<std::string> seen;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.find('/') != std::string::npos || line == "." || line == "..")
      ThrowAboutFile(fileName, EInvalidOperation("'" + line + "' cannot be a file name"));
    if (!seen.insert(line).second) ThrowAboutFile(fileName, EInvalidOperation("'" + line + "' is named twice"));
    names.push_back(line);
  }
  if (static_cast<int>(names.size()) != glyphs)
    ThrowAboutFile(fileName, EInvalidOperation(std::to_string(names.size()) + " names for " + std::to_string(glyphs) + " glyphs"));
  return names;
}

// A larger size of the strip: the hand-drawn strip when given, else the scaled one.
Strip Variant(const Strip& base, TScaleFactor factor, const std::string& handDrawn, const TImageOptions& options) {
  const int size = ScaledSize(base.Size, factor);
  if (size == 0) throw UsageError("1.5 times " + std::to_string(base.Size) + " pixels is no whole glyph");
  if (handDrawn.empty()) return Strip{ScaleStrip(*base.Image, base.Size, factor, DefaultScaleMethod(factor)), size};
  Strip s = LoadStrip(handDrawn, options, size);
  if (s.Glyphs() != base.Glyphs())
    ThrowAboutFile(handDrawn, EInvalidOperation("holds " + std::to_string(s.Glyphs()) + " glyphs of " + std::to_string(size) +
                                                " pixels, the strip " + std::to_string(base.Glyphs())));
  return s;
}

int Variants(const std::vector<std::string>& arguments, TImageOptions& options) {
  std::vector<std::string> args = arguments;
  const std::string namesFile = TakeOption(args, "--names", "");
  const std::string scheme = TakeOption(args, "--scheme", "");
  const std::string x2 = TakeOption(args, "--x2", "");
  const std::string x15 = TakeOption(args, "--x15", "");
  const int size = SizeOption(args);
  RejectOptions(args);
  if (args.size() != 2) throw UsageError("needs a strip and an output folder");
  if (namesFile.empty()) throw UsageError("needs --names NAMES.txt");
  if (scheme != "qt" && scheme != "percent") throw UsageError("--scheme is qt or percent");
  if (scheme == "qt" && !x15.empty()) throw UsageError("the qt scheme has no 1.5x size for --x15");

  const Strip base = LoadStrip(args[0], options, size);
  const std::vector<std::string> names = ReadNames(namesFile, base.Glyphs());
  struct Size {
    Strip Glyphs;
    std::string Suffix;
  };
  std::vector<Size> sizes{{base, ""}};
  if (scheme == "qt") {
    sizes.push_back({Variant(base, TScaleFactor::By2, x2, options), "@2x"});
  } else {
    sizes.push_back({Variant(base, TScaleFactor::By1_5, x15, options), "_150"});
    sizes.push_back({Variant(base, TScaleFactor::By2, x2, options), "_200"});
  }
  // Every file made before the first is written: a refusal leaves the folder as it was.
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
  const std::string& outDir = args[1];
  const std::string folder = outDir + (outDir.ends_with('/') ? "" : "/");
  // Names are refused before anything is made when two files would take one name ("a" and
  // "a@2x" both give a@2x.png): the second would silently replace the first.
  std::map<std::string, std::string> madeBy;
  for (int i = 0; i < base.Glyphs(); ++i)
    for (const Size& s : sizes) {
      const std::string& name = names[static_cast<std::size_t>(i)];
      const auto [at, fresh] = madeBy.emplace(name + s.Suffix + ".png", name);
      if (!fresh)
        ThrowAboutFile(namesFile, EInvalidOperation("'" + at->second + "' and '" + name + "' would both write " + at->first));
    }
  for (int i = 0; i < base.Glyphs(); ++i)
    for (const Size& s : sizes) {
      const std::shared_ptr<TBitmapImage> glyph = GlyphsOf(s.Glyphs, {i});
      files.emplace_back(folder + names[static_cast<std::size_t>(i)] + s.Suffix + ".png", png::Encode(*glyph));
    }
  if (::mkdir(outDir.c_str(), 0777) != 0 && errno != EEXIST)
    ThrowAboutFile(outDir, EFCreateError(FormatMessage(texts::CannotCreateFile, outDir)));
  for (const auto& file : files) {
    AboutFile(file.first, [&] { files::WriteWholeFile(file.first, file.second); });
    Out() << file.first << "\n";
  }
  return 0;
}

const CommandRegistrar icoCommand({"ico", "ico OUT.ico IN...", "write square pictures as the sizes of one Windows icon",
                                   "One entry per IN, in the order given (any picture the program reads, square,\n"
                                   "1 to 256 pixels): 32 bits with alpha and the AND mask, each picture's\n"
                                   "bottom-left colour transparent as on a button; a 256-pixel picture is stored\n"
                                   "as PNG. An icon given as IN gives its largest picture.",
                                   Ico});
const CommandRegistrar scaleCommand({"scale", "scale IN OUT --by 2|3|4|1.5 [--method scale2x|scale3x|nearest] [--size N]",
                                     "enlarge every glyph of a strip on its own, keeping its colours",
                                     "--by 2 is Scale2x (EPX), 3 Scale3x, 4 Scale2x twice, 1.5 the Scale3x picture\n"
                                     "sampled at two pixels of three; --method nearest repeats pixels instead.\n"
                                     "A glyph's edge pixels repeat at its border: nothing comes from its\n"
                                     "neighbour. Stored values move, so OUT keeps IN's format and colour table.\n"
                                     "N defaults to the strip's height; 1.5 needs an even N.",
                                     Scale});
const CommandRegistrar variantsCommand({"variants",
                                        "variants STRIP OUTDIR --names NAMES.txt --scheme qt|percent [--x2 STRIP] [--x15 STRIP] [--size N]",
                                        "write one PNG per glyph and size, named for a toolkit",
                                        "NAMES.txt has one name a line, in glyph order. qt writes NAME.png and\n"
                                        "NAME@2x.png; percent writes NAME.png, NAME_150.png and NAME_200.png. The\n"
                                        "larger sizes are scaled as 'scale' does, unless a hand-drawn strip of that\n"
                                        "size is given (--x2, --x15). Each glyph's bottom-left colour is transparent.\n"
                                        "Nothing is written unless every file can be made. NAMES.txt may be at\n"
                                        "most 4 MiB long.",
                                        Variants});
const CommandRegistrar pickCommand({"pick", "pick IN OUT SPEC... [--size N]", "a strip of chosen glyphs of IN, in the order named",
                                    "Each SPEC is a glyph number (from 0) or a range a-b, both ends included,\n"
                                    "ascending or descending; repeats are allowed (pick icons.gbc out.gbc 3 0 5-7 2-1).\n"
                                    "OUT keeps IN's pixel format and colour table and each glyph's pixels. N\n"
                                    "defaults to the strip's height.",
                                    Pick});

}  // namespace

}  // namespace gliffo::cli
