#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/drives/folder_listing.h"
#include "platform/errors.h"
#include "platform/strings.h"
#include "tests/temp_folder.h"

namespace gliffo::drives {
namespace {

namespace fs = std::filesystem;

class FolderListing : public ::testing::Test {
 protected:
  void Touch(const std::string& name) { std::ofstream(dir_ / name) << "x"; }

  testing::TempFolder folder_;
  const fs::path dir_ = folder_.Path();
};

TEST_F(FolderListing, ListsPlainVisibleBmpFilesInAnyCase) {
  for (const char* name : {"a.bmp", "B.BMP", "c.Bmp", ".hidden.bmp", "notes.txt", "x.bmpx", "bmp", "y.gbc"})
    Touch(name);
  fs::create_directory(dir_ / "x.bmp");
  fs::create_symlink(dir_ / "a.bmp", dir_ / "link.bmp");
  fs::create_symlink(dir_ / "gone.bmp", dir_ / "broken.bmp");
  fs::create_directory_symlink(dir_ / "x.bmp", dir_ / "dirlink.bmp");
  EXPECT_EQ(ListFolderFiles(dir_.string()), (std::vector<std::string>{"a.bmp", "B.BMP", "c.Bmp", "link.bmp"}));
  EXPECT_EQ(ListFolderFiles(dir_.string(), "*.gbc;*.txt"), (std::vector<std::string>{"notes.txt", "y.gbc"}));
  EXPECT_EQ(ListFolderFiles(dir_.string() + "/", "*.bmp").size(), 4u);
}

TEST_F(FolderListing, SortsWithoutRegardToCase) {
  for (const char* name : {"C.bmp", "b.bmp", "A10.bmp", "a2.bmp", "_x.bmp"}) Touch(name);
  const std::vector<std::string> names = ListFolderFiles(dir_.string());
  ASSERT_EQ(names.size(), 5u);
  auto at = [&](const std::string& n) { return std::find(names.begin(), names.end(), n) - names.begin(); };
  EXPECT_LT(at("b.bmp"), at("C.bmp"));
  EXPECT_LT(at("A10.bmp"), at("b.bmp"));
  EXPECT_LT(at("a2.bmp"), at("b.bmp"));
}

TEST_F(FolderListing, NamesThatDifferOnlyInCaseComeInOneOrder) {
  std::vector<std::string> one = {"a.bmp", "A.bmp", "b.bmp"};
  std::vector<std::string> two = {"b.bmp", "A.bmp", "a.bmp"};
  SortFileNames(one);
  SortFileNames(two);
  EXPECT_EQ(one, two);
  EXPECT_EQ(one.back(), "b.bmp");
}

TEST_F(FolderListing, FoldersThatCannotBeReadRaiseInputOutputErrors) {
  try {
    ListFolderFiles((dir_ / "missing").string());
    ADD_FAILURE() << "a missing folder was listed";
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), texts::FileNotFound);
  }
  Touch("file.bmp");
  EXPECT_THROW(ListFolderFiles((dir_ / "file.bmp").string()), EInOutError);
  if (::geteuid() != 0) {  // root reads any folder
    fs::create_directory(dir_ / "locked");
    fs::permissions(dir_ / "locked", fs::perms::none);
    try {
      ListFolderFiles((dir_ / "locked").string());
      ADD_FAILURE() << "a locked folder was listed";
    } catch (const EInOutError& e) {
      EXPECT_STREQ(e.what(), texts::FileAccessDenied);
    }
    fs::permissions(dir_ / "locked", fs::perms::owner_all);
  }
}

TEST(FolderMask, MatchesPatternsWithoutRegardToCase) {
  EXPECT_TRUE(MatchesMask("A.BmP", "*.bmp"));
  EXPECT_FALSE(MatchesMask("a.bmp.txt", "*.bmp"));
  EXPECT_FALSE(MatchesMask("abmp", "*.bmp"));
  EXPECT_TRUE(MatchesMask("noext", "*.*"));
  EXPECT_TRUE(MatchesMask("x.gbc", "*.bmp; *.gbc"));
  EXPECT_TRUE(MatchesMask("ab.c", "a?.c"));
  EXPECT_FALSE(MatchesMask("abc.c", "a?.c"));
}

}  // namespace
}  // namespace gliffo::drives
