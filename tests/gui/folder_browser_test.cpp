// The folder browser in the collection window: lines opened by double-click and Enter, the
// drive selector, and what a change of folder does to the glyph view.
#include <unistd.h>

#include <QItemSelectionModel>
#include <QTest>
#include <fstream>

#include "collection/folder_browser.h"
#include "collection/viewer.h"
#include "gui_fixture.h"
#include "platform/drives/current_directory.h"

namespace gliffo::testing {
namespace {

class FolderBrowserTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    saved_ = fs::current_path();
    root_ = fs::canonical(dir_).string();
    // The example folder: a.bmp 48 × 16, B.bmp 16 × 16, c.bmp 32 × 32, d.bmp 40 × 16, plus a
    // hidden glyph file and a folder named like one, which are not loaded.
    fs::create_directories(dir_ / "icons" / "x.bmp");
    fs::create_directories(dir_ / "icons" / "nobmp");
    WriteStrip(Path("icons/a.bmp"), 16, 3);
    WriteStrip(Path("icons/B.bmp"), 16, 1);
    WriteStrip(Path("icons/c.bmp"), 32, 1);
    WriteStrip(Path("icons/d.bmp"), 16, 2, 8);
    WriteStrip(Path("icons/.hidden.bmp"), 16, 1);
    std::ofstream(Path("icons/nobmp/readme.txt")) << "no glyphs here";
    WriteStrip(Path("start.bmp"), 16, 1);
    fs::current_path(dir_);
    Start();
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    browser_ = window_->findChild<TFolderBrowser*>();
    ASSERT_NE(browser_, nullptr);
  }
  void TearDown() override {
    fs::current_path(saved_);
    GuiTest::TearDown();
  }

  TDirectoryListBox& Folders() { return *browser_->RzDirectoryListBox1; }
  int Row(const std::string& text) {
    const auto& lines = Folders().Lines();
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i].Text == text) return static_cast<int>(i);
    ADD_FAILURE() << "no line " << text;
    return -1;
  }
  QPoint Centre(int row) { return Folders().visualItemRect(Folders().item(row)).center(); }
  // A real double-click starts with a click, which the view needs to see on the same line.
  void DoubleClick(const std::string& text) {
    const QPoint at = Centre(Row(text));
    QTest::mouseClick(Folders().viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(Folders().viewport(), Qt::LeftButton, Qt::NoModifier, at);
  }
  std::vector<std::string> Captions() {
    std::vector<std::string> captions;
    for (int i = 0; i < Glyphs().Items.Count(); ++i) captions.push_back(Glyphs().Items.Item(i).Caption());
    return captions;
  }
  void ExpectLoadedAndLocked(int glyphs, int size) {
    EXPECT_EQ(Glyphs().ImageList1.Count(), glyphs);
    EXPECT_EQ(Glyphs().Items.Count(), glyphs);
    EXPECT_TRUE(window_->viewer->selectionModel()->selectedIndexes().isEmpty());
    EXPECT_EQ(Glyphs().Items.SelCount(), 0);
    for (auto [item, itemSize] : {std::pair{window_->bmp16, 16}, {window_->bmp24, 24}, {window_->bmp32, 32}}) {
      EXPECT_EQ(item->isChecked(), itemSize == size) << itemSize;
      EXPECT_EQ(item->isEnabled(), itemSize == size) << itemSize;
    }
  }

  fs::path saved_;
  std::string root_;
  TFolderBrowser* browser_ = nullptr;
};

TEST_F(FolderBrowserTest, StartsOnTheCurrentFolderWithoutLoadingIt) {
  EXPECT_EQ(Folders().Directory(), root_);
  EXPECT_EQ(browser_->filelist->Directory(), root_);
  EXPECT_EQ(browser_->filelist->Names(), std::vector<std::string>{"start.bmp"});
  EXPECT_FALSE(browser_->filelist->isVisible());
  EXPECT_EQ(Folders().currentRow(), drives::CurrentLineIndex(Folders().Lines()));
  EXPECT_EQ(Folders().item(Folders().currentRow())->text().toStdString(), fs::path(root_).filename().string());
  EXPECT_EQ(Glyphs().Items.Count(), 0);
  EXPECT_TRUE(window_->bmp24->isEnabled());

  // Opening the folder that is already current does nothing, not even a re-read.
  const int reads = browser_->filelist->ReadCount();
  DoubleClick(fs::path(root_).filename().string());
  EXPECT_EQ(Glyphs().Items.Count(), 0);
  EXPECT_EQ(browser_->filelist->ReadCount(), reads);
  EXPECT_TRUE(dialogs_->Calls.empty());
}

TEST_F(FolderBrowserTest, DoubleClickOpensTheFolderAndFillsTheView) {
  DoubleClick("icons");
  EXPECT_EQ(Folders().Directory(), root_ + "/icons");
  EXPECT_EQ(drives::CurrentDirectory(), root_ + "/icons");
  EXPECT_EQ(browser_->filelist->Names(), (std::vector<std::string>{"a.bmp", "B.bmp", "c.bmp", "d.bmp"}));
  EXPECT_EQ(Captions(), (std::vector<std::string>{"0", "1", "2", "3"}));
  ExpectLoadedAndLocked(4, 16);
  EXPECT_EQ(Folders().Lines()[static_cast<size_t>(Folders().currentRow())].Path, root_ + "/icons");
  EXPECT_TRUE(dialogs_->Calls.empty());

  // Back up to the parent: its one glyph replaces the four.
  DoubleClick(fs::path(root_).filename().string());
  ExpectLoadedAndLocked(1, 16);
}

TEST_F(FolderBrowserTest, ClicksAndArrowsOnlyMoveTheHighlightAndEnterOpens) {
  const int reads = browser_->filelist->ReadCount();
  const int icons = Row("icons");
  QTest::mouseClick(Folders().viewport(), Qt::LeftButton, Qt::NoModifier, Centre(icons));
  EXPECT_EQ(Folders().currentRow(), icons);
  QTest::keyClick(&Folders(), Qt::Key_Up);
  QTest::keyClick(&Folders(), Qt::Key_Down);
  EXPECT_EQ(Folders().currentRow(), icons);
  EXPECT_EQ(Folders().Directory(), root_);
  EXPECT_EQ(browser_->filelist->ReadCount(), reads);
  EXPECT_EQ(Glyphs().Items.Count(), 0);

  QTest::keyClick(&Folders(), Qt::Key_Return);
  EXPECT_EQ(Folders().Directory(), root_ + "/icons");
  ExpectLoadedAndLocked(4, 16);
}

TEST_F(FolderBrowserTest, TheGlyphSizeDecidesWhichFilesAreTaken) {
  window_->RunCommand(&TGliffoF::bmp32Click);
  QTest::keyClick(&Folders(), Qt::Key_End);  // "icons" is the last subfolder line
  ASSERT_EQ(Folders().currentRow(), Row("icons"));
  QTest::keyClick(&Folders(), Qt::Key_Enter);
  ExpectLoadedAndLocked(1, 32);
}

TEST_F(FolderBrowserTest, AFolderWithoutGlyphFilesKeepsTheGlyphsOnShow) {
  DoubleClick("icons");
  DoubleClick("nobmp");
  EXPECT_EQ(Folders().Directory(), root_ + "/icons/nobmp");
  EXPECT_TRUE(browser_->filelist->Names().empty());
  ExpectLoadedAndLocked(4, 16);
}

TEST_F(FolderBrowserTest, AFolderThatCannotBeEnteredShowsTheErrorAndChangesNothing) {
  DoubleClick("icons");
  const auto lines = Folders().Lines().size();
  fs::remove_all(dir_ / "icons" / "nobmp");
  DoubleClick("nobmp");
  EXPECT_EQ(dialogs_->Log(), std::vector<std::string>{"error:File not found."});
  EXPECT_EQ(Folders().Directory(), root_ + "/icons");
  EXPECT_EQ(Folders().Lines().size(), lines);
  EXPECT_EQ(browser_->filelist->Directory(), root_ + "/icons");
  EXPECT_EQ(drives::CurrentDirectory(), root_ + "/icons");
  ExpectLoadedAndLocked(4, 16);
}

TEST_F(FolderBrowserTest, ChoosingAVolumeMovesToItsRoot) {
  TDriveComboBox& drives = *browser_->RzDriveComboBox1;
  drives.SetVolumes({{"/", drives::DriveKind::Fixed, "/: "},
                     {root_ + "/gone", drives::DriveKind::Removable, root_ + "/gone"},
                     {root_ + "/icons", drives::DriveKind::RamDisk, root_ + "/icons: "}});
  EXPECT_EQ(drives.currentIndex(), 0);

  emit drives.activated(2);
  EXPECT_EQ(Folders().Directory(), root_ + "/icons");
  ExpectLoadedAndLocked(4, 16);

  // The volume already shown: nothing happens.
  const int reads = browser_->filelist->ReadCount();
  emit drives.activated(2);
  EXPECT_EQ(browser_->filelist->ReadCount(), reads);

  // A volume whose root cannot be entered: the error, and the selector shows the folder's again.
  emit drives.activated(1);
  EXPECT_EQ(dialogs_->Log(), std::vector<std::string>{"error:File not found."});
  EXPECT_EQ(drives.currentIndex(), 2);
  EXPECT_EQ(Folders().Directory(), root_ + "/icons");

  // Going up out of the volume shows the volume that holds the folder now.
  DoubleClick(fs::path(root_).filename().string());
  EXPECT_EQ(drives.currentIndex(), 0);
}

TEST_F(FolderBrowserTest, AnUnreadableFileStopsTheLoadWithItsError) {
  fs::create_directories(dir_ / "icons" / "broken");
  WriteStrip(Path("icons/broken/a.bmp"), 16, 3);
  std::ofstream(Path("icons/broken/b.bmp")) << "BM not really";
  WriteStrip(Path("icons/broken/c.bmp"), 16, 2);
  DoubleClick("icons");
  DoubleClick("broken");
  ASSERT_EQ(dialogs_->Calls.size(), 1u);
  EXPECT_EQ(dialogs_->Calls[0].Kind, "error");
  // The box names the file it stopped at, under the reader's own message.
  EXPECT_EQ(dialogs_->Calls[0].Detail, root_ + "/icons/broken/b.bmp\nThe files after it in the folder were not read.");
  EXPECT_EQ(Folders().Directory(), root_ + "/icons/broken");
  // The glyphs read before the bad file are shown, numbered; nothing after it was read.
  EXPECT_EQ(Captions(), (std::vector<std::string>{"0", "1", "2"}));
}

TEST_F(FolderBrowserTest, OnlyLongListingsShowTheBusyCursor) {
  fs::create_directories(dir_ / "hundred");
  fs::create_directories(dir_ / "more");
  for (int i = 0; i < 101; ++i) {
    const std::string name = "g" + std::to_string(i) + ".bmp";
    if (i < 100) std::ofstream(Path("hundred/" + name)) << "x";
    std::ofstream(Path("more/" + name)) << "x";
  }
  TFileListBox& files = *browser_->filelist;
  files.SetDirectory(root_ + "/hundred");
  EXPECT_EQ(files.Names().size(), 100u);
  EXPECT_EQ(files.BusyReadCount(), 0);
  files.SetDirectory(root_ + "/more");
  EXPECT_EQ(files.Names().size(), 101u);
  EXPECT_EQ(files.BusyReadCount(), 1);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // gone once the list is complete
}

TEST_F(FolderBrowserTest, FoldersDifferingOnlyInCaseAreDifferentFolders) {
  fs::create_directories(dir_ / "icons" / "Set");
  fs::create_directories(dir_ / "icons" / "set");
  WriteStrip(Path("icons/Set/a.bmp"), 16, 3);
  WriteStrip(Path("icons/set/b.bmp"), 16, 1);
  TFileListBox& files = *browser_->filelist;
  files.SetDirectory(root_ + "/icons/Set");
  files.SetDirectory(root_ + "/icons/set");
  EXPECT_EQ(files.Names(), std::vector<std::string>{"b.bmp"});

  DoubleClick("icons");
  EXPECT_NE(Row("Set"), Row("set"));
  DoubleClick("set");
  ExpectLoadedAndLocked(1, 16);
}

TEST_F(FolderBrowserTest, SitsInTheTopOfTheWindow) {
  TDriveComboBox& drives = *browser_->RzDriveComboBox1;
  EXPECT_EQ(drives.parentWidget(), window_->TopPanel());
  EXPECT_EQ(drives.pos(), QPoint(window_->Scaled(24), window_->Scaled(9)));
  EXPECT_EQ(drives.width(), window_->Scaled(145));
  EXPECT_EQ(Folders().height(), window_->Scaled(96));
  EXPECT_GT(drives.count(), 0);
}

}  // namespace
}  // namespace gliffo::testing
