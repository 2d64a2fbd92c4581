// The folder of malformed files: each must be refused with its own error, and a refused load
// must leave the image exactly as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <typeinfo>

#include "glyphs/bitmap.h"
#include "formats/bmp_row_reader.h"
#include "glyphs/canvas.h"
#include "glyphs/strings.h"
#include "platform/errors.h"

namespace gliffo {
namespace {

namespace fs = std::filesystem;

enum class Refusal { NotValid, ReadError, OutOfResources };


// Every file of the folder, by name, with the error it must give.
const std::map<std::string, Refusal> Malformed = {
    {"truncated_file_header.bmp", Refusal::ReadError},
    {"bad_signature.bmp", Refusal::NotValid},
    {"signature_only.bmp", Refusal::ReadError},
    {"truncated_header_size.bmp", Refusal::ReadError},
    {"unknown_header_size.bmp", Refusal::NotValid},
    {"truncated_info_header.bmp", Refusal::ReadError},
    {"truncated_core_header.bmp", Refusal::ReadError},
    {"planes_not_one.bmp", Refusal::NotValid},
    {"planes_zero.bmp", Refusal::NotValid},
    {"bit_count_zero.bmp", Refusal::NotValid},
    {"bit_count_two.bmp", Refusal::NotValid},
    {"bit_count_64.bmp", Refusal::NotValid},
    {"unknown_compression.bmp", Refusal::NotValid},
    {"jpeg_compression.bmp", Refusal::NotValid},
    {"rle8_not_8_bit.bmp", Refusal::NotValid},
    {"rle4_not_4_bit.bmp", Refusal::NotValid},
    {"rle_top_down.bmp", Refusal::NotValid},
    {"bitfields_24_bit.bmp", Refusal::NotValid},
    {"bitfields_in_os2_header.bmp", Refusal::NotValid},
    {"width_zero.bmp", Refusal::NotValid},
    {"width_negative.bmp", Refusal::NotValid},
    {"height_zero.bmp", Refusal::NotValid},
    {"height_most_negative.bmp", Refusal::NotValid},
    {"truncated_masks.bmp", Refusal::ReadError},
    {"masks_all_zero.bmp", Refusal::NotValid},
    {"masks_overlapping.bmp", Refusal::NotValid},
    {"masks_not_contiguous.bmp", Refusal::NotValid},
    {"masks_beyond_16_bits.bmp", Refusal::NotValid},
    {"table_over_256_entries.bmp", Refusal::NotValid},
    {"truncated_table.bmp", Refusal::ReadError},
    {"truncated_core_table.bmp", Refusal::ReadError},
    {"huge_width_and_height.bmp", Refusal::OutOfResources},
    {"huge_top_down.bmp", Refusal::OutOfResources},
    {"huge_rle8.bmp", Refusal::OutOfResources},
};

// "class: message" of what a step raises, or "no error".
template <class Step>
std::string FailureOf(Step&& step) {
  try {
    step();
  } catch (const Exception& e) {
    return std::string(typeid(e).name()) + ": " + e.Message();
  }
  return "no error";
}

std::string Describe(Refusal kind) {
  switch (kind) {
    case Refusal::NotValid: return FailureOf([] { throw EInvalidGraphic(texts::BitmapImageIsNotValid); });
    case Refusal::ReadError: return FailureOf([] { throw EReadError(texts::StreamReadError); });
    case Refusal::OutOfResources: return FailureOf([] { throw EOutOfResources(texts::OutOfSystemResources); });
  }
  return "";
}

TEST(MalformedFiles, EachIsRefusedWithItsErrorAndTheImageKeepsItsPixels) {
  const fs::path folder = GLIFFO_MALFORMED_DIR;
  std::set<std::string> present;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".bmp") present.insert(entry.path().filename().string());
  std::set<std::string> listed;
  for (const auto& [name, kind] : Malformed) listed.insert(name);
  EXPECT_EQ(present, listed) << "every file of the folder needs its expected error here";

  TBitmap image;
  image.SetPixelFormat(TPixelFormat::pf4bit);
  image.SetWidth(3);
  image.SetHeight(2);
  image.Canvas().MoveTo(0, 0);
  image.Canvas().LineTo(3, 2);
  const std::vector<std::uint8_t> before = image.SaveToBytes();
  const auto store = image.SharedImage();

  for (const auto& [name, kind] : Malformed) {
    const std::string path = (folder / name).string();
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const std::string expected = Describe(kind);
    EXPECT_EQ(FailureOf([&] { image.LoadFromFile(path); }), expected) << name;
    EXPECT_EQ(FailureOf([&] { image.LoadFromBytes(bytes); }), expected) << name;
    // The band reader refuses what a load refuses, before any row is read.
    bmp::TBmpRowReader reader;
    EXPECT_EQ(FailureOf([&] { reader.Open(path); }), expected) << name;
    EXPECT_EQ(image.SharedImage(), store) << name;
    EXPECT_EQ(image.SaveToBytes(), before) << name;
  }
}

}  // namespace
}  // namespace gliffo
