// The folder list's lines and the current directory, on folder trees made here.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/drives/current_directory.h"
#include "platform/drives/folder_lines.h"
#include "platform/drives/folder_listing.h"
#include "platform/strings.h"

namespace gliffo::drives {
namespace {

namespace fs = std::filesystem;

struct LineView {
  std::string Text;
  std::string Path;
  FolderLineRole Role;
  bool IsCurrent;
  int Indent;
  bool operator==(const LineView&) const = default;
};

std::vector<LineView> View(const std::vector<FolderLine>& lines) {
  std::vector<LineView> view;
  for (const auto& line : lines) {
    EXPECT_EQ(line.TextLeft, line.Indent + 20) << line.Text;
    view.push_back({line.Text, line.Path, line.Role, line.IsCurrent, line.Indent});
  }
  return view;
}

using R = FolderLineRole;

TEST(FolderLines, AtTheRootOneLineThatIsCurrentThenSubfolders) {
  auto lines = BuildFolderLines("/", {"bin", "home"});
  EXPECT_EQ(View(lines), (std::vector<LineView>{
                             {"/", "/", R::Root, true, 2},
                             {"bin", "/bin", R::Subfolder, false, 10},
                             {"home", "/home", R::Subfolder, false, 10},
                         }));
  EXPECT_EQ(CurrentLineIndex(lines), 0);
}

TEST(FolderLines, OneLevelDownHasTheSameSeparatorCountAsTheRoot) {
  auto lines = BuildFolderLines("/home", {"ann"});
  EXPECT_EQ(View(lines), (std::vector<LineView>{
                             {"/", "/", R::Root, false, 2},
                             {"home", "/home", R::Current, true, 6},
                             {"ann", "/home/ann", R::Subfolder, false, 10},
                         }));
}

TEST(FolderLines, NestedFolderListsEachAncestorFromTheTop) {
  auto lines = BuildFolderLines("/home/ann/My Icons", {"Arrows", "tools"});
  EXPECT_EQ(View(lines), (std::vector<LineView>{
                             {"/", "/", R::Root, false, 2},
                             {"home", "/home", R::Ancestor, false, 6},
                             {"ann", "/home/ann", R::Ancestor, false, 10},
                             {"My Icons", "/home/ann/My Icons", R::Current, true, 14},
                             {"Arrows", "/home/ann/My Icons/Arrows", R::Subfolder, false, 18},
                             {"tools", "/home/ann/My Icons/tools", R::Subfolder, false, 18},
                         }));
  EXPECT_EQ(CurrentLineIndex(lines), 3);
  EXPECT_TRUE(SameFolder(lines[3].Path, "/home/ann/My Icons"));
  EXPECT_FALSE(SameFolder(lines[3].Path, "/home/ann/my icons"));  // Linux tells case apart
}

// A scratch folder, removed with everything in it when the test ends; the process's current
// directory is put back too, since the tests change it.
class FolderTree : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/gliffo-drives-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    root_ = fs::canonical(pattern).string();
    saved_ = fs::current_path();
  }
  void TearDown() override {
    fs::current_path(saved_);
    fs::remove_all(root_);
  }
  void MakeFolder(const std::string& relative) { fs::create_directories(root_ + "/" + relative); }
  void MakeFile(const std::string& relative) { std::ofstream(root_ + "/" + relative) << "x"; }

  std::string root_;
  fs::path saved_;
};

TEST_F(FolderTree, SubfoldersAreVisibleFoldersSortedWithoutRegardToCase) {
  MakeFolder("beta");
  MakeFolder("Alpha");
  MakeFolder("gamma dir");
  MakeFolder("Delta");
  MakeFolder(".hidden");
  MakeFile("a.bmp");
  MakeFile("Zfile");
  fs::create_directory_symlink(root_ + "/beta", root_ + "/linked");
  fs::create_symlink(root_ + "/a.bmp", root_ + "/filelink");
  EXPECT_EQ(ReadSubfolders(root_), (std::vector<std::string>{"Alpha", "beta", "Delta", "gamma dir", "linked"}));
}

TEST_F(FolderTree, FoldersDifferingOnlyInCaseAreBothReachable) {
  MakeFolder("icons");
  MakeFolder("ICONS2");
  MakeFolder("Icons");
  EXPECT_EQ(ReadSubfolders(root_), (std::vector<std::string>{"Icons", "icons", "ICONS2"}));
  auto lines = ReadFolderLines(root_);
  EXPECT_EQ(lines[lines.size() - 3].Path, root_ + "/Icons");
  EXPECT_EQ(lines[lines.size() - 2].Path, root_ + "/icons");
}

TEST_F(FolderTree, AFolderThatCannotBeListedHasNoSubfolders) {
  EXPECT_TRUE(ReadSubfolders(root_ + "/missing").empty());
}

TEST_F(FolderTree, ReadFolderLinesShowsTheTreeAroundTheFolder) {
  MakeFolder("icons/small");
  MakeFolder("icons/Large");
  auto lines = ReadFolderLines(root_ + "/icons");
  ASSERT_GE(lines.size(), 4u);
  const auto& current = lines[lines.size() - 3];
  EXPECT_EQ(current.Role, R::Current);
  EXPECT_EQ(current.Path, root_ + "/icons");
  EXPECT_EQ(lines[lines.size() - 2].Path, root_ + "/icons/Large");
  EXPECT_EQ(lines.back().Path, root_ + "/icons/small");
}

TEST_F(FolderTree, FileListingReportsEachKeptNameAsItGoes) {
  for (int i = 0; i < 5; ++i) MakeFile("g" + std::to_string(i) + ".bmp");
  MakeFile("notes.txt");
  MakeFolder("sub.bmp");
  std::vector<size_t> counts;
  auto names = ListFolderFiles(root_, "*.bmp", [&](size_t count) { counts.push_back(count); });
  EXPECT_EQ(names.size(), 5u);
  EXPECT_EQ(counts, (std::vector<size_t>{1, 2, 3, 4, 5}));
}

TEST_F(FolderTree, ChangingFolderMakesItCurrentAndReadsItBack) {
  MakeFolder("one/two");
  SetCurrentDirectory(root_ + "/one//two/");
  EXPECT_EQ(CurrentDirectory(), root_ + "/one/two");  // the system's own spelling
  SetCurrentDirectory("..");
  EXPECT_EQ(CurrentDirectory(), root_ + "/one");
  SetCurrentDirectory("/");
  EXPECT_EQ(CurrentDirectory(), "/");
}

TEST_F(FolderTree, AFolderThatCannotBeEnteredRaisesTheInOutErrorAndStaysPut) {
  MakeFile("plain.bmp");
  SetCurrentDirectory(root_);
  auto failure = [](const std::string& path) {
    try {
      SetCurrentDirectory(path);
    } catch (const EInOutError& error) {
      return std::make_pair(error.Message(), error.ErrorCode);
    }
    return std::make_pair(std::string("no error"), 0);
  };
  EXPECT_EQ(failure(root_ + "/missing"), std::make_pair(std::string("File not found"), ENOENT));
  EXPECT_EQ(failure(""), std::make_pair(std::string("File not found"), ENOENT));
  EXPECT_EQ(failure(root_ + "/plain.bmp"), std::make_pair(std::string("Invalid filename"), ENOTDIR));
  EXPECT_EQ(failure(root_ + "/" + std::string(300, 'n')), std::make_pair(std::string("Invalid filename"), ENAMETOOLONG));
  EXPECT_EQ(CurrentDirectory(), root_);
}

TEST_F(FolderTree, ARemovedCurrentFolderCannotBeReadBack) {
  MakeFolder("gone");
  SetCurrentDirectory(root_ + "/gone");
  fs::remove(root_ + "/gone");
  try {
    CurrentDirectory();
    FAIL() << "read back a removed folder";
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.Message(), texts::FileNotFound);
  }
}

TEST(InOutErrors, SystemErrorsMapToTheBrowsersTexts) {
  EXPECT_EQ(InOutErrorText(ENOENT), "File not found");
  EXPECT_EQ(InOutErrorText(ENOTDIR), "Invalid filename");
  EXPECT_EQ(InOutErrorText(ENAMETOOLONG), "Invalid filename");
  EXPECT_EQ(InOutErrorText(EMFILE), "Too many open files");
  EXPECT_EQ(InOutErrorText(ENFILE), "Too many open files");
  EXPECT_EQ(InOutErrorText(EACCES), "File access denied");
  EXPECT_EQ(InOutErrorText(EPERM), "File access denied");
  EXPECT_EQ(InOutErrorText(EIO), "I/O error 5");
  EXPECT_EQ(InOutErrorText(ENOMEDIUM), "I/O error " + std::to_string(ENOMEDIUM));
  EXPECT_EQ(InOutError(ELOOP).ErrorCode, ELOOP);
}

}  // namespace
}  // namespace gliffo::drives
