// gliffo-tool commands on single BMP files: info, decode, copy, to4bit.
#include <algorithm>
#include <bit>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "glyphs/bitmap.h"
#include "glyphs/canvas.h"
#include "formats/image_formats.h"
#include "formats/image_row_reader.h"
#include "glyphs/strings.h"
#include "platform/raster/pixels.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"

namespace gliffo::cli {

namespace {

void ExpectArguments(const std::vector<std::string>& args, std::size_t count) {
  for (const std::string& a : args)
    if (a.size() > 1 && a[0] == '-') throw UsageError("unknown option " + a);
  if (args.size() != count) throw UsageError(count == 1 ? "needs one file name" : "needs two file names");
}

int Info(const std::vector<std::string>& args, TImageOptions&) {
  ExpectArguments(args, 1);
  DescribeInput(args[0]);
  return 0;
}

// Bands of about this many bytes are read at a time, so a picture is never held whole.
constexpr std::size_t BandBytes = std::size_t{1} << 20;

int Decode(const std::vector<std::string>& args, TImageOptions& options) {
  ExpectArguments(args, 2);
  const InputHeader input = CheckInput(args[0], options.Decode);
  // The PPM and the 4-bit picture cannot carry alpha: read without it.
  TImageRowReader reader(options.WithoutAlpha());
  AboutFile(args[0], [&] { reader.Open(input.Path); });
  if (reader.Empty()) ThrowEmptyInput(args[0]);
  AboutFile(args[1], [&] {
    files::TSafeFileWriter file(OutputPath(args[1]));
    std::string head = "P6\n";
    head += std::to_string(reader.Width());
    head += ' ';
    head += std::to_string(reader.Height());
    head += "\n255\n";
    file.Write(std::span(reinterpret_cast<const std::uint8_t*>(head.data()), head.size()));
    const std::size_t rowBytes = static_cast<std::size_t>(reader.Width()) * 3;
    std::vector<std::uint8_t> out;
    std::vector<raster::ColorRef> colors(static_cast<std::size_t>(reader.Width()));
    AboutFile(args[0], [&] {
      // About a megabyte of rows at a time, also from a band decoded whole (run-length files).
      const std::size_t rowsPerWrite = std::max<std::size_t>(1, BandBytes / rowBytes);
      // One byte to spare: each pixel is stored as four bytes, the fourth overwritten next.
      out.resize(rowBytes * rowsPerWrite + 1);
      reader.ForEachBand(BandBytes, [&](const raster::Surface& band, int) {
        std::uint8_t* p = out.data();
        std::size_t rows = 0;
        for (int y = 0; y < band.Height; ++y) {
          raster::ReadRowColors(band, y, colors.data());
          // A colour 0x00BBGGRR is, byte by byte, red, green, blue and a zero.
          for (const raster::ColorRef c : colors) {
            if constexpr (std::endian::native == std::endian::little) {
              std::memcpy(p, &c, 4);
            } else {
              p[0] = static_cast<std::uint8_t>(raster::RedOf(c));
              p[1] = static_cast<std::uint8_t>(raster::GreenOf(c));
              p[2] = static_cast<std::uint8_t>(raster::BlueOf(c));
            }
            p += 3;
          }
          if (++rows == rowsPerWrite || y + 1 == band.Height) {
            // A failed write (a full disk) is about the output, not the file being read.
            AboutFile(args[1], [&] { file.Write(std::span(out.data(), static_cast<std::size_t>(p - out.data()))); });
            p = out.data();
            rows = 0;
          }
        }
      });
    });
    file.Commit();
  });
  return 0;
}

int Copy(const std::vector<std::string>& args, TImageOptions& options) {
  ExpectArguments(args, 2);
  const InputHeader input = CheckInput(args[0], options.Decode);
  TBitmap image;
  image.LoadFromFile(input.Path, options.Decode);
  if (image.Empty()) ThrowEmptyInput(args[0]);
  image.SaveToFile(OutputPath(args[1]), options.Opaque());
  return 0;
}

int To4Bit(const std::vector<std::string>& args, TImageOptions& options) {
  ExpectArguments(args, 2);
  // The source a band at a time, each colour matched straight into the 4-bit image: the same
  // pixels as drawing the loaded image onto it, without holding the source whole.
  const InputHeader input = CheckInput(args[0], options.Decode);
  // The PPM and the 4-bit picture cannot carry alpha: read without it.
  TImageRowReader reader(options.WithoutAlpha());
  AboutFile(args[0], [&] { reader.Open(input.Path); });
  if (reader.Empty()) ThrowEmptyInput(args[0]);
  TBitmap target;
  target.SetPixelFormat(TPixelFormat::pf4bit);
  target.SetWidth(reader.Width());
  target.SetHeight(reader.Height());
  if (!target.Empty()) {
    const raster::Surface dst = target.WritableSurface();
    raster::ColorEncoder encoder(dst);
    AboutFile(args[0], [&] {
      reader.ForEachBand(BandBytes, [&](const raster::Surface& band, int firstRow) {
        for (int y = 0; y < band.Height; ++y) raster::CopyRowColors(band, y, dst, firstRow + y, encoder);
      });
    });
    target.Changed();
  }
  target.SaveToFile(OutputPath(args[1]), options.Opaque());
  return 0;
}

const CommandRegistrar infoCommand(Command{
    "info", "info FILE.bmp", "print what the headers of a BMP or PNG file say, one 'key: value' line each",
    "Keys: header size, width, height (signed as stored: negative means top row first), bits per\n"
    "pixel, compression, colour-table entries, pixel format (the format the file loads as; run-length\n"
    "files load device-dependent), top-down. Only the headers are read.\n"
    "For a PNG file: format, width, height, bit depth, colour type, interlace, palette entries,\n"
    "transparency entries (tRNS) and pixel format; nothing is inflated.",
    Info});

const CommandRegistrar decodeCommand(Command{
    "decode", "decode IN.bmp OUT.ppm", "write the picture of a BMP or PNG file as a binary PPM (P6, maxval 255)",
    "Colours are those the image shows: indexed pixels through the colour table (an index beyond the\n"
    "table shows black), channels narrower than 8 bits expanded as round(v * 255 / max).",
    Decode});

const CommandRegistrar copyCommand(Command{
    "copy", "copy IN.bmp OUT.bmp", "load an image file and save it again, as Gliffo's Save As does",
    "Uncompressed files keep their format; run-length files are written at 32 bits per pixel.\n"
    "OUT ending in .png is written as PNG: an alpha picture with its alpha, any other with every\n"
    "pixel opaque.", Copy});

const CommandRegistrar to4BitCommand(Command{
    "to4bit", "to4bit IN.bmp OUT.bmp",
    "redraw an image file as a 4-bit image with the 16-colour system palette",
    "Every colour becomes the nearest of the 16 system colours, as in a saved glyph strip.", To4Bit});

}  // namespace

}  // namespace gliffo::cli
