// Strip jobs: the collection window's folder load, save, combine and export, for scripts. They
// run the program's own functions, so the files are byte for byte what the program writes.
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <exception>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "cli/output.h"
#include "glyphs/bitmap.h"
#include "glyphs/button_looks.h"
#include "glyphs/collection_files.h"
#include "glyphs/folder_load.h"
#include "glyphs/glyph_list.h"
#include "formats/image_formats.h"
#include "glyphs/strings.h"
#include "platform/drives/folder_listing.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"

namespace gliffo::cli {

namespace {

int SizeOption(std::vector<std::string>& args, int fallback) {
  const std::string text = TakeOption(args, "--size", "");
  return text.empty() ? fallback : ParsePositive(text, "--size");
}

std::string BaseName(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name.empty() ? "glyph" : name;
}

int Gather(const std::vector<std::string>& arguments, TImageOptions& options) {
  std::vector<std::string> args = arguments;
  const int size = SizeOption(args, 16);
  TakeOpaqueOption(args, options);
  const bool withPng = TakeFlag(args, "--png");
  RejectOptions(args);
  if (args.size() != 2) throw UsageError("needs a folder and an output file");
  const std::string& folder = args[0];
  const std::string& output = args[1];

  const std::string mask = FolderMask(withPng);
  const std::vector<std::string> names = AboutFile(folder, [&] { return drives::ListFolderFiles(folder, mask); });
  // The strip the window's folder load and Save Collection give, made without the glyph list.
  TBitmap strip;
  // Alpha is kept for an output that can carry it; a BMP strip is the same either way.
  const std::string outPath = OutputPath(output);
  const bool keepAlpha = options.Encode.AlphaBmp || std::string_view(FormatOfName(outPath).Name) != "BMP";
  TDecodeOptions decode = options.DecodeAt(size);
  decode.KeepAlpha = keepAlpha;
  const TFolderLoadResult loaded = GatherFolderStrip(folder, names, size, decode, strip, keepAlpha ? &options.Encode : nullptr);
  ReportStream(output) << "files: " << names.size() << "\naccepted: " << loaded.FilesAccepted << "\nglyphs: " << loaded.GlyphsAdded
            << "\n";
  if (loaded.GlyphsAdded == 0) {
    Err() << "gliffo-tool: " << folder << ": no " << size << "x" << size << " glyphs; nothing written\n";
    return 1;
  }
  strip.SaveToFile(outPath, options.Encode);
  return 0;
}

int Combine(const std::vector<std::string>& args, TImageOptions& options) {
  std::vector<std::string> arguments = args;
  TakeOpaqueOption(arguments, options);
  RejectOptions(arguments);
  if (arguments.size() < 3) throw UsageError(texts::SelectTwoOrMoreFiles);
  const std::vector<std::string> inputs(arguments.begin() + 1, arguments.end());
  // Each input is opened and read once: judged by its headers as every job judges its inputs,
  // from the bytes the combine reads it by.
  std::vector<std::string> paths(inputs.size());
  std::vector<std::exception_ptr> named(inputs.size());
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    try {
      paths[i] = CellStripPath(inputs[i]);
    } catch (...) {
      paths[i] = inputs[i];
      named[i] = std::current_exception();
    }
  }
  std::vector<std::uint64_t> missing(inputs.size(), 0);
  TCombineInputs judged;
  judged.Open = [&](std::size_t i, bool alone) {
    if (named[i]) std::rethrow_exception(named[i]);
    // Beside other readers only a regular file by its own name; standard input, pipes and
    // anything refused are taken in alone, in their order, as every job takes them.
    if (!alone && inputs[i] != "-") return std::make_unique<files::TInputFile>(paths[i]);
    const std::string path = InputPath(inputs[i]);
    return AboutFile(inputs[i], [&] { return std::make_unique<files::TInputFile>(path); });
  };
  judged.Judge = [&](std::size_t i, const files::TInputFile& file, std::span<const std::uint8_t> first) {
    AboutFile(inputs[i], [&] {
      const TImageFormat* format = nullptr;
      missing[i] = ReadHeaderOf(file, first, options.Decode, &format).MissingBytes;
    });
  };
  judged.Judged = [&](std::size_t i) { WarnIfShort(inputs[i], missing[i]); };
  TBitmap combined;
  BuildCombinedStrip(paths, combined, options.Decode, options.Encode, judged);
  // The first file gives the height: an empty one leaves nothing to write.
  if (combined.Empty()) ThrowEmptyInput(inputs.front());
  combined.SaveToFile(OutputPath(arguments[0]), options.Encode);
  ReportStream(arguments[0]) << "width: " << combined.Width() << "\nheight: " << combined.Height() << "\n";
  return 0;
}

// The strip in a glyph list of the given size, as the window holds it.
void LoadStrip(TGlyphCollection& collection, const TBitmap& strip, int size) {
  collection.SetGlyphSize(size);
  collection.ApplyGlyphSize();
  collection.ImageList1.Add(strip);
}

int Split(const std::vector<std::string>& arguments, TImageOptions& options) {
  std::vector<std::string> args = arguments;
  const std::string sizeText = TakeOption(args, "--size", "");
  const std::string format = TakeOption(args, "--format", "bmp");
  if (format != "bmp" && format != "png") throw UsageError("--format must be bmp or png");
  TakeOpaqueOption(args, options);
  RejectOptions(args);
  if (args.size() != 2) throw UsageError("needs a strip and an output folder");
  const InputHeader input = CheckInput(args[0], options.Decode);
  TBitmap strip;
  strip.LoadFromFile(input.Path, options.Decode);
  const int size = sizeText.empty() ? strip.Height() : ParsePositive(sizeText, "--size");
  if (size <= 0) ThrowAboutFile(args[0], EInvalidOperation(texts::InvalidImageSize));
  TGlyphCollection collection;
  AboutFile(args[0], [&] { LoadStrip(collection, strip, size); });

  const std::string& outDir = args[1];
  if (::mkdir(outDir.c_str(), 0777) != 0 && errno != EEXIST)
    ThrowAboutFile(outDir, EFCreateError(FormatMessage(texts::CannotCreateFile, outDir)));
  const int count = collection.ImageList1.Count();
  int digits = 1;
  for (int n = count - 1; n >= 10; n /= 10) ++digits;
  if (digits < 3) digits = 3;
  const std::string base = BaseName(args[0]);
  // Each file as safe as a save of its own, but flushed to disk a group at a time: one flush
  // per file would take most of the job's time. A name is printed once its file is saved.
  files::TSafeFileBatch files([](const std::string& fileName) { Out() << fileName << "\n"; });
  for (int i = 0; i < count; ++i) {
    std::string index = std::to_string(i);
    index.insert(0, static_cast<std::size_t>(digits) - index.size(), '0');
    const std::string fileName = outDir + (outDir.ends_with('/') ? "" : "/") + base + "_" + index + "." + format;
    TBitmap glyph;
    MakeGlyphImage(collection, i, glyph);
    files.Save(fileName, AboutFile(fileName, [&] { return EncodeImage(glyph.Image(), fileName, options.Encode); }));
  }
  files.Commit();
  return 0;
}

int Disable(const std::vector<std::string>& arguments, TImageOptions& options) {
  std::vector<std::string> args = arguments;
  const std::string sizeText = TakeOption(args, "--size", "");
  TakeOpaqueOption(args, options);
  RejectOptions(args);
  if (args.size() != 2) throw UsageError("needs a strip and an output file");
  const InputHeader input = CheckInput(args[0], options.Decode);
  TBitmap strip, looks;
  strip.LoadFromFile(input.Path, options.Decode);
  const int size = sizeText.empty() ? strip.Height() : ParsePositive(sizeText, "--size");
  AboutFile(args[0], [&] { MakeDisabledStrip(strip, size, looks); });
  looks.SaveToFile(OutputPath(args[1]), options.Glyphs(size));
  ReportStream(args[1]) << "glyphs: " << looks.Width() / size << "\n";
  return 0;
}

int List(const std::vector<std::string>& arguments, TImageOptions& options) {
  std::vector<std::string> args = arguments;
  const std::string sizeText = TakeOption(args, "--size", "");
  RejectOptions(args);
  if (args.size() != 1) throw UsageError("needs one strip");
  // The headers alone say it all; the pixels are never read.
  // An icon gives its entry of the glyph size, as every job reads it.
  const int wanted = sizeText.empty() ? 0 : ParsePositive(sizeText, "--size");
  const InputHeader input = ReadInputHeader(args[0], options.DecodeAt(wanted));
  const int width = input.Width(), height = input.Height();
  const int size = sizeText.empty() ? height : wanted;
  // Counted as the image list cuts: whole glyphs from the left, a strip lower than a glyph
  // holds none.
  const int glyphs = (size > 0 && height >= size) ? width / size : 0;
  // An empty file loads in the device-dependent format, as run-length files do.
  const int bitCount = input.Empty ? DeviceBitCount : input.Header.BitCount;
  Out() << "file: " << args[0] << "\nwidth: " << width << "\nheight: " << height
        << "\nbits-per-pixel: " << bitCount << "\nglyph-size: " << size << "\nglyphs: " << glyphs
        << "\nunused-columns: " << (size > 0 && glyphs > 0 ? width - glyphs * size : width)
        << "\n";
  return 0;
}

const CommandRegistrar gatherCommand({"gather", "gather DIR OUT.gbc [--size N] [--png] [--opaque]",
                                      "collect the N x N glyphs of a folder's BMP files into one strip",
                                      "Reads DIR's *.bmp files (with --png, its *.png files too, in the same name\n"
                                      "order; any letter case, hidden files left out) in name\n"
                                      "order, keeps those N pixels high and a multiple of N wide, cuts them into\n"
                                      "glyphs from the left and saves every glyph as one 4-bit strip, as the\n"
                                      "collection window's folder load and Save Collection do. N defaults to 16.\n"
                                      "An unreadable BMP stops the job with its message (status 1).",
                                      Gather});
const CommandRegistrar combineCommand({"combine", "combine OUT.bmp IN1 IN2 [IN...] [--opaque]",
                                       "join strip files side by side, as Combine Collections does",
                                       "The result keeps the pixel format and height of IN1. OUT is replaced\n"
                                       "if it exists; it is written only when every input could be read.",
                                       Combine});
const CommandRegistrar splitCommand({"split", "split STRIP OUTDIR [--size N] [--format bmp|png] [--opaque]",
                                     "export every glyph of a strip as its own 4-bit BMP",
                                     "Files are named after the strip with a zero-padded index\n"
                                     "(icons.gbc gives OUTDIR/icons_000.bmp, icons_001.bmp, ...). N defaults to\n"
                                     "the strip's height; OUTDIR is created when missing. --format png writes\n"
                                     "NAME_000.png, ... instead, each glyph's key colour transparent.",
                                     Split});
const CommandRegistrar disableCommand({"disable", "disable IN.bmp OUT.bmp [--size N] [--opaque]",
                                       "write the disabled looks of a strip's glyphs as a strip beside it",
                                       "Each glyph's pixels that are not its bottom-left pixel's colour become one\n"
                                       "shape, drawn in white one pixel down and right and in gray where it stands;\n"
                                       "the rest keeps the transparent colour (silver when that is white or gray).\n"
                                       "OUT is a 4-bit strip with the 16 system colours. N defaults to the strip's\n"
                                       "height; a strip of another height is refused.",
                                       Disable});
const CommandRegistrar listCommand({"list", "list STRIP [--size N]", "print the glyph count and glyph size of a strip",
                                    "Prints key: value lines. N defaults to the strip's height.", List});

}  // namespace

}  // namespace gliffo::cli
