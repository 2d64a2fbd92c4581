#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "glyphs/bitmap.h"
#include "formats/bmp_file.h"
#include "formats/bmp_row_reader.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"
#include "tests/glyphs/bmp_bytes.h"
#include "tests/temp_folder.h"

namespace gliffo {
namespace {

namespace fs = std::filesystem;
using testing::BmpBuilder;
using testing::Entry;

class BmpFiles : public ::testing::Test {
 protected:

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream(PathOf(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                         static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  testing::TempFolder folder_;
  const fs::path dir_ = folder_.Path();
};

TEST_F(BmpFiles, OpenFailuresNameTheFile) {
  for (const std::string& name : {PathOf("missing.bmp"), dir_.string()}) {
    try {
      files::ReadWholeFile(name);
      ADD_FAILURE() << name;
    } catch (const EFOpenError& e) {
      EXPECT_EQ(e.Message(), "Cannot open file " + name);
    }
    TBitmap image;
    EXPECT_THROW(image.LoadFromFile(name), EFOpenError);
  }
}

TEST_F(BmpFiles, LoadingAFileGivesWhatDecodingItsBytesGives) {
  BmpBuilder gap;
  gap.Width = 3;
  gap.Height = -2;
  gap.BitCount = 8;
  gap.Table = {Entry(1, 2, 3), Entry(4, 5, 6)};
  gap.ClrUsed = 2;
  gap.Gap = 10;
  gap.Pixels = {1, 0, 1, 0, 0, 1};  // the second row is short
  BmpBuilder rle = gap;
  rle.Height = 2;
  rle.Compression = BI_RLE8;
  rle.Pixels = {2, 1, 0, 0, 0, 2, 0, 1, 3, 1};
  for (const BmpBuilder* b : {&gap, &rle}) {
    const std::vector<std::uint8_t> bytes = b->Build();
    Write("a.bmp", bytes);
    const auto loaded = bmp::LoadFile(PathOf("a.bmp"));
    const auto decoded = bmp::Decode(bytes);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->Bits, decoded->Bits);
    EXPECT_EQ(loaded->Height, decoded->Height);
    EXPECT_EQ(loaded->DeviceDependent, decoded->DeviceDependent);
  }
  Write("empty.bmp", {});
  TBitmap image;
  image.SetWidth(2);
  image.SetHeight(2);
  image.LoadFromFile(PathOf("empty.bmp"));
  EXPECT_TRUE(image.Empty());
  std::vector<std::uint8_t> cut = gap.Build();
  cut.resize(30);
  Write("cut.bmp", cut);
  EXPECT_THROW(bmp::LoadFile(PathOf("cut.bmp")), EReadError);
}

TEST_F(BmpFiles, SavingReplacesTheFileAndLeavesNothingElse) {
  Write("g.bmp", {1, 2, 3});
  ::chmod(PathOf("g.bmp").c_str(), 0640);
  TBitmap image;
  image.SetPixelFormat(TPixelFormat::pf4bit);
  image.SetWidth(16);
  image.SetHeight(16);
  image.SaveToFile(PathOf("g.bmp"));
  EXPECT_EQ(files::ReadWholeFile(PathOf("g.bmp")), image.SaveToBytes());
  struct stat info {};
  ASSERT_EQ(::stat(PathOf("g.bmp").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);  // a replaced file keeps its permissions
  EXPECT_EQ(Names(), std::vector<std::string>{"g.bmp"});

  TBitmap empty;
  empty.SaveToFile(PathOf("empty.bmp"));
  EXPECT_EQ(fs::file_size(PathOf("empty.bmp")), 0u);
}

TEST_F(BmpFiles, AFolderThatCannotTakeTheFileIsACreateError) {
  const std::string name = PathOf("no/such/folder/g.bmp");
  try {
    files::WriteWholeFile(name, std::vector<std::uint8_t>{1});
    ADD_FAILURE();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file " + name);
  }
  fs::create_directory(PathOf("taken.bmp"));
  EXPECT_THROW(files::WriteWholeFile(PathOf("taken.bmp"), std::vector<std::uint8_t>{1}), EFCreateError);
}

TEST_F(BmpFiles, AWriteThatFailsHalfwayKeepsTheOldFile) {
  // A file-size limit makes writes fail the way a full disk does.
  const std::vector<std::uint8_t> old = {9, 9, 9};
  Write("g.bmp", old);
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool refused = false;
  try {
    files::WriteWholeFile(PathOf("g.bmp"), std::vector<std::uint8_t>(5000, 7));
  } catch (const EWriteError& e) {
    refused = e.Message() == texts::StreamWriteError;
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_TRUE(refused);
  EXPECT_EQ(files::ReadWholeFile(PathOf("g.bmp")), old);
  EXPECT_EQ(Names(), std::vector<std::string>{"g.bmp"});
}

TEST_F(BmpFiles, SavingThroughALinkReplacesWhatItPointsAt) {
  Write("real.bmp", {1});
  fs::create_symlink(PathOf("real.bmp"), PathOf("link.bmp"));
  files::WriteWholeFile(PathOf("link.bmp"), std::vector<std::uint8_t>{4, 5});
  EXPECT_TRUE(fs::is_symlink(PathOf("link.bmp")));
  EXPECT_EQ(files::ReadWholeFile(PathOf("real.bmp")), (std::vector<std::uint8_t>{4, 5}));
}

}  // namespace
}  // namespace gliffo
