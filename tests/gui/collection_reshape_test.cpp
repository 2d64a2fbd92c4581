// Reshaping a set in the collection window: the keys of the glyph view, the system clipboard,
// drags within the view and drops of files and folders.
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QImage>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <fstream>
#include <iterator>

#include "collection/folder_browser.h"
#include "collection/viewer.h"
#include "formats/ico_codec.h"
#include "glyphs/strings.h"
#include "gui_fixture.h"

namespace gliffo::testing {
namespace {

class ReshapeTest : public GuiTest {
 protected:
  void Open(const std::string& name) {
    dialogs_->OpenAnswers.push_back(std::vector<std::string>{Path(name)});
    window_->OpenCollection1->trigger();
  }
  void SelectRows(std::initializer_list<int> rows) {
    QItemSelection selection;
    for (int row : rows) selection.select(window_->viewer->model()->index(row, 0), window_->viewer->model()->index(row, 0));
    window_->viewer->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window_->viewer, static_cast<Qt::Key>(key), modifiers);
  }
  // Each glyph by its place in the file first opened, after checking that item k shows cell k
  // and the image list holds exactly the shown glyphs.
  std::string Order() {
    std::string order;
    TGlyphCollection& glyphs = Glyphs();
    EXPECT_EQ(glyphs.Items.Count(), glyphs.ImageList1.Count());
    EXPECT_EQ(window_->viewer->model()->rowCount(), glyphs.Items.Count());
    if (colors_.empty())
      for (int k = 0; k < glyphs.ImageList1.Count(); ++k) colors_.push_back(raster::GetPixel(glyphs.ImageList1.Cell(k), 3, 3));
    for (int k = 0; k < glyphs.Items.Count(); ++k) {
      EXPECT_EQ(glyphs.Items.Item(k).ImageIndex(), k);
      EXPECT_EQ(glyphs.Items.Item(k).Caption(), std::to_string(k));
      const auto found = std::find(colors_.begin(), colors_.end(), raster::GetPixel(glyphs.ImageList1.Cell(k), 3, 3));
      order += found == colors_.end() ? std::string("?") : std::to_string(found - colors_.begin());
    }
    return order;
  }
  std::vector<int> SelectedRows() {
    std::vector<int> rows;
    for (const QModelIndex& index : window_->viewer->selectionModel()->selectedIndexes()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  std::vector<raster::ColorRef> colors_;
  void Drop(const QList<QUrl>& urls, QPoint where) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_->viewer->viewport(), &enter);
    QDropEvent drop(QPointF(where), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_->viewer->viewport(), &drop);
  }
};

TEST_F(ReshapeTest, KeysOfTheViewReshapeTheListAndTakeItBack) {
  WriteStrip(Path("four.gbc"), 16, 4);
  Start();
  window_->show();
  Open("four.gbc");
  window_->viewer->setFocus();
  ASSERT_EQ(Order(), "0123");

  SelectRows({1});
  Key(Qt::Key_Delete);
  EXPECT_EQ(Order(), "023");
  EXPECT_TRUE(Glyphs().Modified());
  EXPECT_EQ(window_->windowTitle().toStdString(), "Gliffo 2 - *four.gbc");
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Order(), "0123");
  Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Order(), "023");

  SelectRows({0});
  Key(Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(Order(), "203");
  Key(Qt::Key_D, Qt::ControlModifier);
  EXPECT_EQ(Order(), "2003");
}

// The mouse moves glyphs as a person moves them: pressed on a glyph and dragged, the selected
// glyphs go where the mouse is let go; pressed on empty space, the rubber band selects.
TEST_F(ReshapeTest, DraggingFromAGlyphMovesTheSelectionAndFromEmptySpaceSelects) {
  WriteStrip(Path("four.gbc"), 16, 4);
  Start();
  window_->show();
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  Open("four.gbc");
  ASSERT_EQ(Order(), "0123");
  QListView* view = window_->viewer;
  QWidget* port = view->viewport();
  auto rect = [&](int row) { return view->visualRect(view->model()->index(row, 0)); };
  auto drag = [&](QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mousePress(port, Qt::LeftButton, modifiers, from);
    const QPoint step = (to - from) / 4;
    for (int k = 1; k < 4; ++k) QTest::mouseMove(port, from + step * k);
    QTest::mouseMove(port, to);
    QTest::mouseRelease(port, Qt::LeftButton, modifiers, to);
  };

  // An unselected glyph pressed and dragged to the right half of the last one: it goes last.
  SelectRows({});
  drag(rect(0).center(), rect(3).center() + QPoint(3, 0));
  EXPECT_EQ(Order(), "1230");
  EXPECT_TRUE(Glyphs().Modified());
  // Two selected glyphs dragged by one of them to the front, in their order.
  SelectRows({1, 3});
  drag(rect(3).center(), rect(0).center() - QPoint(3, 0));
  EXPECT_EQ(Order(), "2013");
  EXPECT_EQ(SelectedRows(), (std::vector<int>{0, 1}));
  window_->Undo1->trigger();
  EXPECT_EQ(Order(), "1230");

  // From empty space below the glyphs the rubber band selects what it touches; nothing moves.
  SelectRows({});
  drag(QPoint(rect(1).left() + 2, rect(1).bottom() + 30), rect(2).center());
  EXPECT_EQ(Order(), "1230");
  EXPECT_EQ(SelectedRows(), (std::vector<int>{1, 2}));
}

// Files keep each glyph at its own place: after a drag, Save Back to Files cannot keep the new
// order, says so, leaves the list modified and offers to save the whole list instead.
TEST_F(ReshapeTest, SaveBackAfterAMoveKeepsTheListModifiedAndOffersSaveAs) {
  fs::create_directories(dir_ / "icons");
  WriteStrip(Path("icons/a.bmp"), 16, 3);
  Start();
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  ASSERT_TRUE(window_->OpenPath(Path("icons")));
  ASSERT_EQ(Order(), "012");
  QListView* view = window_->viewer;
  const QPoint from = view->visualRect(view->model()->index(0, 0)).center();
  const QPoint to = view->visualRect(view->model()->index(2, 0)).center() + QPoint(3, 0);
  QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
  QTest::mouseMove(view->viewport(), (from + to) / 2);
  QTest::mouseMove(view->viewport(), to);
  QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, to);
  ASSERT_EQ(Order(), "120");

  dialogs_->Calls.clear();
  dialogs_->ConfirmAnswers = {TDialogAnswer::No};
  window_->SaveBack1->trigger();
  EXPECT_EQ(dialogs_->Log(), std::vector<std::string>{std::string("confirm:") + texts::SaveBackOrderLost});
  EXPECT_TRUE(Glyphs().Modified());
  EXPECT_EQ(window_->windowTitle().toStdString(), "Gliffo 2 - *icons");
  // F5 would read the old order again: it asks first.
  dialogs_->Calls.clear();
  window_->ReloadKey->trigger();
  EXPECT_EQ(dialogs_->Log(), std::vector<std::string>{std::string("ask:") + texts::SaveChanges});
  EXPECT_EQ(Order(), "120");

  // Yes saves the whole list where the user says, and the list is clean from that file.
  dialogs_->Calls.clear();
  dialogs_->ConfirmAnswers = {TDialogAnswer::Yes};
  dialogs_->SaveAnswers = {Path("all.gbc")};
  window_->SaveBack1->trigger();
  EXPECT_FALSE(Glyphs().Modified());
  EXPECT_EQ(window_->windowTitle().toStdString(), "Gliffo 2 - all.gbc");
  TBitmap saved;
  saved.LoadFromFile(Path("all.gbc"));
  EXPECT_EQ(saved.Width(), 48);
}

TEST_F(ReshapeTest, CopyOffersPngAndBmpAndPasteTakesOnlyStripsOfTheGlyphSize) {
  WriteStrip(Path("four.gbc"), 16, 4);
  Start();
  window_->show();
  Open("four.gbc");
  ASSERT_EQ(Order(), "0123");
  window_->viewer->setFocus();
  SelectRows({1, 2});
  Key(Qt::Key_C, Qt::ControlModifier);
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(data->hasFormat(QStringLiteral("image/png")));
  EXPECT_TRUE(data->hasFormat(QStringLiteral("image/bmp")));
  const QImage image = QImage::fromData(data->data(QStringLiteral("image/png")));
  EXPECT_EQ(image.size(), QSize(32, 16));

  SelectRows({0});
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Order(), "012123");
  EXPECT_TRUE(Glyphs().Modified());

  QImage tall(96, 48, QImage::Format_RGB32);
  tall.fill(Qt::red);
  QGuiApplication::clipboard()->setImage(tall);
  dialogs_->Calls.clear();
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(dialogs_->Log(), (std::vector<std::string>{"error:The clipboard image is 48 pixels high; the glyphs are 16."}));
  EXPECT_EQ(Order(), "012123");
}

TEST_F(ReshapeTest, DroppedFilesAreInsertedWhereTheyLandAndAFolderIsBrowsedInto) {
  WriteStrip(Path("four.gbc"), 16, 4);
  fs::create_directories(dir_ / "icons");
  WriteStrip(Path("icons/a.bmp"), 16, 2);
  Start();
  window_->show();
  Open("four.gbc");
  ASSERT_EQ(Order(), "0123");
  QApplication::processEvents();
  const QRect second = window_->viewer->visualRect(window_->viewer->model()->index(1, 0));
  Drop({QUrl::fromLocalFile(QString::fromStdString(Path("icons/a.bmp")))}, second.topLeft() + QPoint(1, 1));
  EXPECT_EQ(Order(), "001123");
  EXPECT_TRUE(Glyphs().Modified());

  dialogs_->ConfirmAnswers = {TDialogAnswer::No};  // the list's changes are not wanted
  Drop({QUrl::fromLocalFile(QString::fromStdString(Path("icons")))}, QPoint(1, 1));
  EXPECT_EQ(window_->Browser()->RzDirectoryListBox1->Directory(), fs::canonical(dir_ / "icons").string());
  EXPECT_EQ(Order(), "01");
}

TEST_F(ReshapeTest, ExportIconWritesTheGlyphWithItsLargerSizesOnRequest) {
  WriteStrip(Path("four.gbc"), 16, 4);
  Start();
  Open("four.gbc");
  ASSERT_EQ(Order(), "0123");
  SelectRows({2});
  dialogs_->SaveAnswers.push_back(Path("glyph.ico"));
  dialogs_->ConfirmAnswers = {TDialogAnswer::Yes};
  window_->ExportIcon1->trigger();
  std::ifstream in(Path("glyph.ico"), std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::vector<ico::IcoEntry> entries = ico::ParseDirectory(bytes);
  ASSERT_EQ(entries.size(), 3u);
  const int sizes[] = {16, 32, 48};
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const std::shared_ptr<TBitmapImage> picture = ico::DecodeEntry(bytes, entries[k]);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width, sizes[k]);
    EXPECT_EQ(picture->Height, sizes[k]);
  }
  const auto save = std::find_if(dialogs_->Calls.begin(), dialogs_->Calls.end(),
                                 [](const TDialogCall& call) { return call.Kind == "save"; });
  ASSERT_NE(save, dialogs_->Calls.end());
  EXPECT_EQ(save->Save.Title, texts::ExportIconTitle);

  // Cancel (or Escape) in the question about the larger sizes writes nothing.
  dialogs_->Calls.clear();
  dialogs_->SaveAnswers.push_back(Path("other.ico"));
  window_->ExportIcon1->trigger();
  EXPECT_EQ(dialogs_->Log(), (std::vector<std::string>{"save", std::string("ask:") + texts::IncludeLargerSizes}));
  EXPECT_FALSE(fs::exists(Path("other.ico")));
}

// A dropped strip of the wrong height is refused in the error box naming its file; a pasted one
// in the same error box.
TEST_F(ReshapeTest, WrongHeightRefusalsNameTheFileAndShowTheErrorBox) {
  WriteStrip(Path("four.gbc"), 16, 4);
  WriteStrip(Path("big.bmp"), 24, 2);
  Start();
  window_->show();
  Open("four.gbc");
  QApplication::processEvents();
  dialogs_->Calls.clear();
  Drop({QUrl::fromLocalFile(QString::fromStdString(Path("big.bmp")))}, QPoint(1, 1));
  ASSERT_EQ(dialogs_->Calls.size(), 1u);
  EXPECT_EQ(dialogs_->Calls[0].Kind, "error");
  EXPECT_EQ(dialogs_->Calls[0].Text, "The image is 24 pixels high; the glyphs are 16.");
  EXPECT_EQ(dialogs_->Calls[0].Detail, Path("big.bmp"));
  EXPECT_EQ(Order(), "0123");
}

}  // namespace
}  // namespace gliffo::testing
