#pragma once
// The image formats the program reads and writes, one row each: how a file of the format is
// recognised by its first bytes, what its headers say, whether its pixels are read a band of
// rows at a time, how it is decoded and encoded, which file names are written in it and how
// file dialogs name it. Every load and save of a raster image, every "which format is this"
// and every file-dialog filter is answered from here; a new format is a codec and a row.
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/bitmap_image.h"
#include "formats/image_header.h"
#include "formats/image_options.h"

namespace gliffo {

namespace files {
class TInputFile;
}

struct TImageFormat {
  const char* Name;        // as info names it: "BMP", "PNG", "ICO"
  const char* DialogName;  // its entry in file dialogs: "BMP Files", "PNG", "Icon"
  const char* Extension;   // of the names written in it, without the dot
  // Folder loads list its files beside the BMP files when the user asks for the other formats.
  bool InFolderLoads;
  // The editor's Save As offers it for a single glyph.
  bool InGlyphSaves;

  // How many first bytes Recognises wants to see (a shorter file gives it what there is).
  std::size_t SignatureBytes;
  bool (*Recognises)(std::span<const std::uint8_t> head);

  // How much of a file ReadHeader needs: its first HeaderBytes, or the whole file (0).
  std::size_t HeaderBytes;
  // Reads the headers from the file's first bytes (fileSize is the whole file's) without
  // decoding pixels where the format allows it; raises what a load raises for a file its
  // headers refuse.
  TImageHeader (*ReadHeader)(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const TDecodeOptions& options);
  // The same from the first header alone, for readers that skip files of another size without
  // decoding them (folder loads, gather): anything odd further on is left to the decoder, and
  // so is the picture limit (a file of another size is skipped whatever its size).
  TImageHeader (*JudgeHeader)(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const TDecodeOptions& options);
  // info's lines for a file of the format, from the same bytes.
  void (*Describe)(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, std::ostream& out);
  // Whether its pixels are read a band of rows at a time straight from the file; otherwise
  // the picture is decoded whole (compressed rows cannot be cut).
  bool ByRows;
  // The bytes a reader of the whole picture (or with headersOnly, a header reader) takes: as
  // far as the file's own structure reaches, whatever follows it. head holds the first bytes,
  // already read (headIsWhole: the whole file).
  std::vector<std::uint8_t> (*ReadBytes)(const files::TInputFile& file, std::vector<std::uint8_t> head, bool headIsWhole,
                                         bool headersOnly);

  // A decoder gives nullptr for an image without pixels and raises EInvalidGraphic,
  // EReadError or EOutOfResources for a file it refuses.
  std::shared_ptr<TBitmapImage> (*DecodeBytes)(std::span<const std::uint8_t> bytes, const TDecodeOptions& options);
  std::shared_ptr<TBitmapImage> (*DecodeFile)(const files::TInputFile& file, const TDecodeOptions& options);
  // An image without pixels encodes as no bytes (an empty file).
  std::vector<std::uint8_t> (*EncodeBytes)(const TBitmapImage& image, const TEncodeOptions& options);
  void (*EncodeFile)(const TBitmapImage& image, const std::string& fileName, const TEncodeOptions& options);
};

// Every row. The first is BMP, the classic format: it takes every file no other row recognises
// and every name no other row claims, and stands first in dialogs.
std::span<const TImageFormat> ImageFormats();

// The row that recognises the first bytes of a file; BMP when none does, whose reader then
// refuses the file ("Bitmap image is not valid", or "Stream read error" for a file too short
// to hold a file header).
const TImageFormat& FormatOfBytes(std::span<const std::uint8_t> head);
// The row a file of this name is written in: the one whose extension it ends in (any case).
const TImageFormat& FormatOfName(std::string_view fileName);
// Enough first bytes for every row's signature.
inline constexpr std::size_t LongestSignature = 16;

// A file's first bytes as far as its row's headers need them (ReadHeader, Describe): the
// row, the bytes, the file's size. Format is nullptr for an empty file.
struct TFileHead {
  const TImageFormat* Format = nullptr;
  std::uint64_t FileSize = 0;
  std::vector<std::uint8_t> Bytes;
};
TFileHead ReadFileHead(const files::TInputFile& file);
// The same from the bytes a reader has already read from the file's start (first: as
// TInputFile::ReadHead gives them), reading on only for a header that lies further than they
// reach; the size is the one the file had when opened.
TFileHead FileHeadOf(const files::TInputFile& file, std::span<const std::uint8_t> first);
// What the file's row reads in those headers (ReadHeader), with its row (nullptr for an empty
// file, whose header says nothing); without copying the bytes when they hold the headers.
TImageHeader ReadHeaderOf(const files::TInputFile& file, std::span<const std::uint8_t> first,
                          const TDecodeOptions& options, const TImageFormat** format);

// File-dialog filters ("Name|*.ext|Name|*.ext;*.ext2") and folder masks, made from the rows.
// The collection window's dialogs: strips ("Bitmap Collection|*.gbc") first, then every
// picture the program reads; saving, the classic entries, then one for each other format.
std::string CollectionOpenFilter();
std::string CollectionSaveFilter();
// The editor's dialogs: BMP first, then every picture / the formats a single glyph saves in.
std::string GlyphOpenFilter();
std::string GlyphSaveFilter();
// The save dialogs' entry for a 32-bit BMP with an alpha mask (TEncodeOptions::AlphaBmp),
// after the formats' own entries.
inline constexpr const char* AlphaBmpDialogName = "32-bit BMP with alpha";
// Whether entry `index` (1-based) of a filter is that entry.
bool IsAlphaBmpEntry(std::string_view filter, int index);
// A dialog that writes in one format only: "Icon|*.ico".
std::string SaveFilterOf(const TImageFormat& format);
// The row of this name ("ICO"); the BMP row when there is none.
const TImageFormat& FormatNamed(std::string_view name);
// The patterns a folder's glyph files are listed by: "*.bmp", and with includeOthers the
// other formats folder loads take ("*.bmp;*.png").
std::string FolderMask(bool includeOthers);

// Decodes bytes of any known format; nullptr for no bytes (an empty image).
std::shared_ptr<TBitmapImage> DecodeImage(std::span<const std::uint8_t> bytes, const TDecodeOptions& options);
// Loads a file of any known format; nullptr for an empty file. EFOpenError "Cannot open file
// %s" when it cannot be opened, else what the format's decoder raises.
std::shared_ptr<TBitmapImage> LoadImageFile(const std::string& fileName, const TDecodeOptions& options);
// The bytes of a store in the format its file name asks for (BMP for no name).
std::vector<std::uint8_t> EncodeImage(const TBitmapImage& image, std::string_view fileName, const TEncodeOptions& options);
// Saves a store in the format its file name asks for, through the safe writer.
void SaveImageFile(const TBitmapImage& image, const std::string& fileName, const TEncodeOptions& options);

}  // namespace gliffo
