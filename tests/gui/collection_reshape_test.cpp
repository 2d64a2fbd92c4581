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
  // Dragged within the view to the end.
  SelectRows({0});
  emit window_->viewer->GlyphsDragged(4);
  EXPECT_EQ(Order(), "0032");
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
  EXPECT_EQ(dialogs_->Log(), (std::vector<std::string>{"message:The clipboard image is 48 pixels high; the glyphs are 16."}));
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
}

}  // namespace
}  // namespace gliffo::testing
