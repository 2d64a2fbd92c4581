// The band reader and the safe writer, held to what LoadFile and WriteWholeFile do.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "formats/bmp_row_reader.h"
#include "platform/files/file_io.h"
#include "tests/glyphs/bmp_bytes.h"
#include "tests/glyphs/glyph_fixtures.h"

namespace gliffo {
namespace {

using namespace testing;

// What LoadFile shows, pixel by pixel, top row first.
std::vector<raster::ColorRef> LoadedColors(const std::string& path) {
  const auto image = bmp::LoadFile(path);
  const raster::Surface s = image->Surface();
  std::vector<raster::ColorRef> colors;
  for (int y = 0; y < s.Height; ++y)
    for (int x = 0; x < s.Width; ++x) colors.push_back(raster::GetPixel(s, x, y));
  return colors;
}

// The reader's rows, checking that the bands follow each other with no row skipped or repeated.
std::vector<raster::ColorRef> BandColors(bmp::TBmpRowReader& reader, std::size_t bandBytes) {
  const auto width = static_cast<std::size_t>(reader.Width());
  std::vector<raster::ColorRef> colors;
  reader.ForEachBand(bandBytes, [&](const raster::Surface& band, int firstRow) {
    EXPECT_EQ(static_cast<std::size_t>(firstRow) * width, colors.size());
    EXPECT_EQ(band.Width, reader.Width());
    colors.resize(static_cast<std::size_t>(firstRow + band.Height) * width);
    for (int y = 0; y < band.Height; ++y)
      raster::ReadRowColors(band, y, colors.data() + static_cast<std::size_t>(firstRow + y) * width);
  });
  EXPECT_EQ(colors.size(), static_cast<std::size_t>(reader.Height()) * width);
  return colors;
}

class BmpStreaming : public ::testing::Test {
 protected:
  std::string Put(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    WriteBytes(folder.Path() / name, bytes);
    return folder / name;
  }
  std::size_t FileCount() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()));
  }
  TempFolder folder;
};

TEST_F(BmpStreaming, EveryBandSizeGivesTheRowsLoadFileDecodes) {
  BmpBuilder shortTable = Plain(5, 4, 8, 1), fields16 = Plain(7, 3, 16, 2), fields32 = Plain(6, -5, 32, 3);
  BmpBuilder core8 = Plain(9, 4, 8, 4), core24 = Plain(5, 3, 24, 5), halfSized = Plain(400, -200, 8, 10);
  shortTable.Table.resize(3);  // values 3 to 255 read black
  shortTable.ClrUsed = 3;
  shortTable.Gap = halfSized.Gap = 6;
  fields16.Compression = fields32.Compression = BI_BITFIELDS;
  fields16.Masks = {0xF800, 0x07E0, 0x001F};
  fields32.Masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
  core8.HeaderSize = core24.HeaderSize = 12;
  halfSized.SizeImage = 400 * 100;  // the header's own size stops the pixels halfway
  // Past one read of a small file (64 KiB), in both row orders, and short in several places.
  const std::vector<std::uint8_t> big = Plain(300, 300, 24, 6).Build(), bigTopDown = Plain(300, -300, 24, 7).Build();
  const std::vector<std::uint8_t> wide = Plain(300, 100, 24, 8).Build(), wideTopDown = Plain(300, -100, 24, 9).Build();
  const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files = {
      {"4-bit odd width", Plain(15, 7, 4, 11).Build()},
      {"4-bit cut in a row", Cut(Plain(15, 7, 4, 12).Build(), 118 + 21)},
      {"1-bit top-down", Plain(19, -6, 1, 13).Build()},
      {"8-bit short table and gap", shortTable.Build()},
      {"16-bit 5-5-5", Plain(7, 3, 16, 14).Build()},
      {"16-bit fields", fields16.Build()},
      {"32-bit fields top-down", fields32.Build()},
      {"32-bit with fourth byte", Plain(6, 4, 32, 15).Build()},
      {"core 8-bit", core8.Build()},
      {"core 24-bit", core24.Build()},
      {"RLE8", RunLength(21, 9, false).Build()},
      {"RLE4 past 64 KiB", RunLength(300, 300, true).Build()},
      {"24-bit", big},
      {"24-bit top-down", bigTopDown},
      {"24-bit cut", Cut(big, 150001)},
      {"24-bit top-down cut", Cut(bigTopDown, 150001)},
      {"cut at 65535", Cut(wide, 65535)},
      {"cut at 65536", Cut(wide, 65536)},
      {"top-down cut at 65535", Cut(wideTopDown, 65535)},
      {"8-bit top-down, image size short", halfSized.Build()},
  };
  bmp::TBmpRowReader reader;  // one for every file, as a folder is read
  for (const auto& [what, bytes] : files) {
    const std::string path = Put("f.bmp", bytes);
    const std::vector<raster::ColorRef> expected = LoadedColors(path);
    const auto stride = static_cast<std::size_t>(bmp::LoadFile(path)->Stride());
    for (const std::size_t bandBytes : {std::size_t{1}, 3 * stride + 1, std::size_t{1} << 30}) {
      reader.Open(path);
      EXPECT_EQ(BandColors(reader, bandBytes), expected) << what << ", bands of " << bandBytes << " bytes";
    }
  }
  reader.Open(Put("empty.bmp", {}));
  EXPECT_TRUE(reader.Empty());
  EXPECT_EQ(bmp::LoadFile(folder / "empty.bmp"), nullptr);
  reader.ForEachBand(1, [](const raster::Surface&, int) { ADD_FAILURE() << "a band of an empty file"; });
}

TEST_F(BmpStreaming, TheReaderRefusesWhatLoadFileRefusesWithTheSameError) {
  BmpBuilder planes = Plain(4, 4, 24, 1), header = Plain(4, 4, 24, 1), huge = Plain(4, 4, 24, 1), hugeRle = Plain(4, 4, 8, 1);
  planes.Planes = 3;
  header.HeaderSize = 20;
  // Stores that could never be held, in files shorter and longer than one small read.
  huge.Width = huge.Height = hugeRle.Width = hugeRle.Height = 20000;
  huge.Pixels = Noise(70000, 2);
  hugeRle.Compression = BI_RLE8;
  std::vector<std::uint8_t> magic = planes.Build(), magicBig = Plain(300, 300, 24, 2).Build();
  magic[1] = magicBig[1] = 'X';
  fs::create_directory(folder.Path() / "dir.bmp");
  bmp::TBmpRowReader reader;
  for (const std::string& path :
       {folder / "missing.bmp", folder / "dir.bmp", Put("m.bmp", magic), Put("mb.bmp", magicBig), Put("p.bmp", planes.Build()),
        Put("h.bmp", header.Build()), Put("cut.bmp", Cut(planes.Build(), 30)), Put("huge.bmp", huge.Build()),
        Put("hugerle.bmp", hugeRle.Build()), Put("hugesmall.bmp", Cut(huge.Build(), 2000))}) {
    const std::string expected = FailureOf([&] { bmp::LoadFile(path); });
    EXPECT_NE(expected, "no error") << path;
    EXPECT_EQ(FailureOf([&] { reader.Open(path); }), expected) << path;
  }
  const std::string good = Put("good.bmp", Plain(3, 2, 4, 3).Build());
  reader.Open(good);  // a refused file leaves the reader fit for the next
  EXPECT_EQ(BandColors(reader, 1), LoadedColors(good));
}

// A writer left without Commit (a read or a write that threw halfway; WriteWholeFile's own
// tests make one fail) leaves the target as it was and nothing beside it.
TEST_F(BmpStreaming, TheSafeWriterReplacesTheTargetOnlyOnCommit) {
  const std::vector<std::uint8_t> old = {9, 9, 9}, bytes = Noise(70000, 1);
  const std::string target = Put("g.bmp", old);
  ::chmod(target.c_str(), 0604);
  for (const std::string& name : {target, folder / "new.bmp"}) {
    files::TSafeFileWriter file(name);
    file.Write(bytes);
    // The bytes go beside the target (into a file with no name, where the folder allows), not into it.
    EXPECT_EQ(ReadBytes(target), old);
  }
  EXPECT_EQ(ReadBytes(target), old);
  EXPECT_EQ(FileCount(), 1u);
  {
    files::TSafeFileWriter file(target);
    file.Write(bytes);
    file.Write(old);
    file.Commit();
  }
  std::vector<std::uint8_t> both = bytes;
  both.insert(both.end(), old.begin(), old.end());
  EXPECT_EQ(ReadBytes(target), both);
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0604u);  // a replaced file keeps its permissions
  EXPECT_EQ(FileCount(), 1u);
}

}  // namespace
}  // namespace gliffo
