#pragma once
// Windows icon files over bytes: the directory, entries stored as a device-independent bitmap
// with its AND mask (read through the BMP reader's own DIB parser) or as a PNG file, and
// writing a set of square pictures as one icon. No Qt here.
//
// Like PNG, an icon lives in an alpha world: a transparent pixel (AND mask set, or alpha below
// 128) becomes the key colour of a glyph, a translucent one is blended over the matte.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "formats/bitmap_image.h"
#include "formats/image_options.h"
#include "formats/strings.h"

namespace gliffo::ico {

inline constexpr std::size_t DirectoryHeaderSize = 6;
inline constexpr std::size_t DirectoryEntrySize = 16;
// No icon a tool writes comes near this many pictures; a directory claiming more is hostile
// (or not an icon) and is refused before anything is read from it.
inline constexpr int MaxEntries = 256;
inline constexpr int MaxSide = 256;

// Whether the first bytes are those of an icon directory: reserved 0, type 1 (an icon of no
// entries is still an icon, refused as one). Needs 6 bytes.
bool IsIco(std::span<const std::uint8_t> head);

struct IcoEntry {
  int Width = 0;
  int Height = 0;
  int BitCount = 0;  // of the stored picture (a PNG's bits per pixel: RGBA 8 gives 32)
  bool Png = false;
  std::uint32_t Offset = 0;
  std::uint32_t Size = 0;
};

// Reads and checks the directory and every entry's own header: each entry must lie inside the
// file, hold a DIB (1, 4, 8, 16, 24 or 32 bits, uncompressed, with its AND mask, which a
// 32-bit one may lack: its alpha alone then says what shows) or a PNG,
// and be of the size its directory entry says. EInvalidGraphic "Icon image is not valid: ..."
// otherwise.
std::vector<IcoEntry> ParseDirectory(std::span<const std::uint8_t> bytes);

// The entry of this size (width and height); the largest when there is none or size is 0.
// Of equal sizes, the one with most colours; of those the first.
std::size_t ChooseEntry(std::span<const IcoEntry> entries, int size);

// Decodes one entry of a parsed file. An indexed entry keeps its table and indices (the key
// colour is found in or added to the table where there is room); a 32-bit one, or an indexed
// one whose table has no room for the key, gives a 24-bit store.
std::shared_ptr<TBitmapImage> DecodeEntry(std::span<const std::uint8_t> bytes, const IcoEntry& entry,
                                          const TDecodeOptions& options = {});
// Decodes the entry ChooseEntry picks.
std::shared_ptr<TBitmapImage> Decode(std::span<const std::uint8_t> bytes, const TDecodeOptions& options = {});

// One entry per picture, in order: 32 bits with alpha and the AND mask, each picture's
// bottom-left colour transparent (its pixels keep their colour under alpha 0); 256-pixel
// pictures as RGBA PNG. Raises EInvalidGraphic for a picture that is not square or not 1 to
// 256 pixels, before anything is produced.
std::vector<std::uint8_t> Encode(std::span<const TBitmapImage* const> pictures);

}  // namespace gliffo::ico
