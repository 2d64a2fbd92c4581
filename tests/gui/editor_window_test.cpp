// The editor window offscreen: its frame, menus, palette grid, preview and surface, driven by
// synthetic mouse events and menu triggers as a person would drive them.
#include <QActionGroup>
#include <QListWidget>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <string>

#include "editor/qt/button_states.h"
#include "editor/qt/color_grid.h"
#include "editor/qt/history_window.h"
#include "editor/qt/image_control.h"
#include "editor/qt/preview_button.h"
#include "gui_fixture.h"
#include "platform/profile/profile.h"

namespace gliffo::testing {
namespace {

std::vector<std::string> Captions(QMenu* menu) {
  std::vector<std::string> captions;
  for (QAction* action : menu->actions()) captions.push_back(action->isSeparator() ? "-" : action->text().toStdString());
  return captions;
}

std::vector<std::string> Checked(QMenu* menu) {
  std::vector<std::string> checked;
  for (QAction* action : menu->actions())
    if (action->isChecked()) checked.push_back(action->text().toStdString());
  return checked;
}

QRgb Rgb(TColor color) {
  const raster::ColorRef c = ColorToRGB(color);
  return qRgb(raster::RedOf(c), raster::GreenOf(c), raster::BlueOf(c));
}

class EditorWindowTest : public GuiTest {
 protected:
  TGlyphEditor& Model() { return editor_->Model(); }
  // A click of the mouse on the surface at surface pixel (x, y), screen scale 1.
  void ClickSurface(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mousePress(editor_->pic, button, {}, QPoint(x, y));
    QTest::mouseRelease(editor_->pic, button, {}, QPoint(x, y));
  }
  void DragSurface(QPoint from, QPoint to) {
    QTest::mousePress(editor_->pic, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), editor_->pic->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor_->pic, &move);
    QTest::mouseRelease(editor_->pic, Qt::LeftButton, {}, to);
  }
  QPoint Cell(int index) { return editor_->ColorGrid1->CellRect(index).center(); }
  QImage Grab(QWidget* widget) { return widget->grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

TEST_F(EditorWindowTest, FrameMenusAndCheckMarks) {
  StartWithEditor();
  EXPECT_EQ(editor_->windowTitle(), "BMP Editor");
  EXPECT_FALSE(editor_->isVisible()) << "created hidden";
  EXPECT_EQ(editor_->minimumSize(), editor_->maximumSize());
  EXPECT_TRUE(editor_->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(editor_->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(editor_->font().family(), "MS Sans Serif");

  std::vector<std::string> bar;
  for (QAction* action : editor_->MainMenu1->actions()) bar.push_back(action->text().toStdString());
  EXPECT_EQ(bar, (std::vector<std::string>{"&File", "&Edit", "&Brush", "&Pen", "&Symbol", "&Colour", "&Transform", "&View",
                                           "C&lipboard"}));
  EXPECT_EQ(Captions(editor_->Clipboard1), (std::vector<std::string>{"&Copy", "&Paste"}));
  EXPECT_EQ(editor_->CopyKey->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
  EXPECT_EQ(editor_->PasteKey->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));
  EXPECT_LE(editor_->MainMenu1->sizeHint().width(), editor_->width()) << "every menu title shows";
  EXPECT_EQ(Captions(editor_->File1), (std::vector<std::string>{"&Open...", "Save &As...", "-", "&Update Collection Item"}));
  EXPECT_EQ(Captions(editor_->Edit1),
            (std::vector<std::string>{"Undo", "&Clear", "&Fill", "-", "Text Font...", "Text Caption..."}));
  EXPECT_EQ(Captions(editor_->Brush1), (std::vector<std::string>{"&Clear", "&Solid"}));
  EXPECT_EQ(Captions(editor_->Pen1), (std::vector<std::string>{"&1", "&2", "&3"}));
  EXPECT_EQ(Captions(editor_->Symbol1), (std::vector<std::string>{"&Freehand", "&Block", "&Line", "&Ellipse", "&Rectangle",
                                                                  "Round Rectangle", "FloodFill", "Text"}));
  EXPECT_EQ(editor_->Undo1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
  int withShortcut = 0;
  for (QMenu* menu : {editor_->File1, editor_->Edit1, editor_->Brush1, editor_->Pen1, editor_->Symbol1})
    for (QAction* action : menu->actions()) withShortcut += action->shortcut().isEmpty() ? 0 : 1;
  EXPECT_EQ(withShortcut, 1);

  // One check mark per radio group, and none in the Brush menu.
  EXPECT_EQ(Checked(editor_->Pen1), std::vector<std::string>{"&1"});
  EXPECT_EQ(Checked(editor_->Symbol1), std::vector<std::string>{"&Freehand"});
  EXPECT_TRUE(Checked(editor_->Brush1).empty());
  editor_->N31->trigger();
  editor_->Ellipse1->trigger();
  EXPECT_EQ(Checked(editor_->Pen1), std::vector<std::string>{"&3"});
  EXPECT_EQ(Checked(editor_->Symbol1), std::vector<std::string>{"&Ellipse"});
  EXPECT_EQ(Model().ToolName(), "ellipse");
  EXPECT_EQ(Model().pic().Canvas().Pen().Width(), 48);
  editor_->Ellipse1->trigger();  // the checked item again stays checked
  EXPECT_EQ(Checked(editor_->Symbol1), std::vector<std::string>{"&Ellipse"});

  // The mode command sets the pen to one cell without moving the check mark.
  window_->bmp32->trigger();
  EXPECT_EQ(Model().pic().Canvas().Pen().Width(), 8);
  EXPECT_EQ(Checked(editor_->Pen1), std::vector<std::string>{"&3"});
  EXPECT_EQ(editor_->Editor->ImageWidth(), 32);

  // The collection window's editor commands are open now.
  EXPECT_TRUE(window_->Image1->isEnabled() && window_->AddfromEditor1->isEnabled() && window_->BMPEditor1->isEnabled());
}

TEST_F(EditorWindowTest, SurfaceAndGlyphAtOnePixelPerPixelAndTheParts) {
  StartWithEditor();
  ASSERT_EQ(editor_->devicePixelRatioF(), 1.0);
  EXPECT_EQ(editor_->pic->size(), QSize(256, 256));
  EXPECT_EQ(editor_->pic->cursor().shape(), Qt::CrossCursor);
  EXPECT_EQ(editor_->Editor->size(), QSize(16, 16));
  EXPECT_EQ(editor_->ColorGrid1->size(), QSize(editor_->Scaled(200), editor_->Scaled(40)));
  EXPECT_EQ(editor_->testbtn->size(), QSize(editor_->Scaled(23), editor_->Scaled(22)));
  // The surface fits inside the client area, with the design's margins around it.
  window_->BMPEditor1->trigger();
  const QWidget* client = editor_->centralWidget();
  EXPECT_GE(client->width(), editor_->pic->geometry().right() + 1 + editor_->Scaled(46) - 1);
  EXPECT_GE(client->height(), editor_->pic->geometry().bottom() + 1);

  // What the surface shows is the surface, pixel for pixel.
  Model().SetBackgroundIndex(9);
  Model().Fill1Click();
  Model().SetForegroundIndex(12);
  Model().Line1Click();
  DragSurface({10, 10}, {200, 240});
  const QImage shown = Grab(editor_->pic);
  for (QPoint p : {QPoint(0, 0), QPoint(10, 10), QPoint(105, 125), QPoint(200, 240), QPoint(255, 255)})
    EXPECT_EQ(shown.pixel(p) & 0xFFFFFF, Rgb(Model().pic().Canvas().Pixel(p.x(), p.y())) & 0xFFFFFF) << p.x() << "," << p.y();
  const QImage glyph = Grab(editor_->Editor);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(glyph.pixel(x, y) & 0xFFFFFF, Rgb(Model().Editor().Canvas().Pixel(x, y)) & 0xFFFFFF);
}

TEST_F(EditorWindowTest, MouseEventsReachTheToolsInSurfacePixels) {
  StartWithEditor();
  window_->BMPEditor1->trigger();
  QCoreApplication::processEvents();
  Model().SetBackgroundIndex(9);
  editor_->Block1->trigger();
  const int paints = editor_->pic->Paints();
  ClickSurface(37, 250, Qt::RightButton);  // any button draws
  QCoreApplication::processEvents();
  EXPECT_EQ(editor_->pic->Paints(), paints + 1);
  EXPECT_TRUE(editor_->pic->LastPaintedArea().contains(QRect(32, 240, 16, 16)));
  EXPECT_LE(editor_->pic->LastPaintedArea().width(), 20) << "only the block's cell is repainted";
  EXPECT_EQ(Model().pic().Canvas().Pixel(32, 240), clRed);
  EXPECT_EQ(Model().pic().Canvas().Pixel(47, 255), clRed);
  EXPECT_EQ(Model().pic().Canvas().Pixel(48, 255), clWhite);
  EXPECT_EQ(Model().Editor().Canvas().Pixel(2, 15), clRed);
  EXPECT_EQ(editor_->testbtn->Glyph().pixel(2, 15), qRgb(255, 0, 0));
  EXPECT_EQ(qAlpha(editor_->testbtn->Glyph().pixel(0, 15)), 0) << "the bottom-left colour is transparent";

  // A drag that leaves the surface keeps its coordinates; the canvas clips.
  editor_->Free1->trigger();
  DragSurface({100, 100}, {400, 100});
  EXPECT_EQ(Model().pic().Canvas().Pixel(255, 100), clBlack);
  EXPECT_FALSE(Model().Drawing());
}

TEST_F(EditorWindowTest, PaletteGridButtonsDragsMarksAndOneChangeEach) {
  StartWithEditor();
  TColorGrid* grid = editor_->ColorGrid1;
  QTest::mouseClick(grid, Qt::LeftButton, {}, Cell(9));
  EXPECT_EQ(Model().ForegroundIndex(), 9);
  EXPECT_EQ(Model().pic().Canvas().Pen().Color(), clRed);
  EXPECT_EQ(editor_->PaletteChanges(), 1);
  QTest::mouseClick(grid, Qt::RightButton, {}, Cell(12));
  EXPECT_EQ(Model().BackgroundIndex(), 12);
  EXPECT_EQ(Model().pic().Canvas().Brush().Color(), clBlue);
  QTest::mouseClick(grid, Qt::MiddleButton, {}, Cell(7));
  EXPECT_EQ(Model().BackgroundIndex(), 7);
  EXPECT_EQ(Model().pic().Canvas().Brush().Color(), clSilver);
  EXPECT_EQ(editor_->PaletteChanges(), 3);
  QTest::mouseClick(grid, Qt::LeftButton, {}, Cell(9));  // the same cell: no change
  EXPECT_EQ(editor_->PaletteChanges(), 3);

  // Dragging with the left button held moves the foreground along, one change per new cell.
  QTest::mousePress(grid, Qt::LeftButton, {}, Cell(0));
  for (int cell : {1, 1, 2, 10}) {
    QMouseEvent move(QEvent::MouseMove, QPointF(Cell(cell)), grid->mapToGlobal(QPointF(Cell(cell))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid, &move);
  }
  QTest::mouseRelease(grid, Qt::LeftButton, {}, Cell(10));
  EXPECT_EQ(Model().ForegroundIndex(), 10);
  EXPECT_EQ(Model().BackgroundIndex(), 7);
  EXPECT_EQ(editor_->PaletteChanges(), 3 + 4);

  // The marks: light ink on the dark foreground cell, dark ink on the light background cell,
  // no ink on an unmarked cell.
  QTest::mouseClick(grid, Qt::LeftButton, {}, Cell(4));  // navy
  const QImage shown = Grab(grid);
  // Ink: pixels far lighter (light = true) or darker than the cell's own colour; text is smoothed.
  auto countInk = [&](const QImage& image, int index, bool light) {
    const QRect r = grid->CellRect(index).adjusted(2, 2, -2, -2);
    const int own = qGray(Rgb(PaletteColors()[static_cast<std::size_t>(index)]));
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) {
        const int g = qGray(image.pixel(x, y));
        n += light ? g > own + 80 : g < own - 80;
      }
    return n;
  };
  EXPECT_GT(countInk(shown, 4, true), 5) << "FG on navy";
  EXPECT_GT(countInk(shown, 7, false), 5) << "BG on silver";
  EXPECT_EQ(countInk(shown, 1, true) + countInk(shown, 1, false), 0);
  QTest::mouseClick(grid, Qt::RightButton, {}, Cell(4));
  const QImage both = Grab(grid);
  EXPECT_EQ(countInk(both, 7, false), 0) << "silver is no longer marked";
  EXPECT_GT(countInk(both, 4, true), 5);
  EXPECT_EQ(PaletteMark(4, Model().ForegroundIndex(), Model().BackgroundIndex()), "FB");
}

TEST_F(EditorWindowTest, PreviewShowsTheFaceThroughTheBottomLeftColour) {
  StartWithEditor();
  Model().SetBackgroundIndex(12);
  Model().Fill1Click();  // all blue
  Model().SetBackgroundIndex(9);
  editor_->Block1->trigger();
  ClickSurface(120, 120);  // one red glyph pixel at (7, 7)
  const QImage glyph = editor_->testbtn->Glyph();
  ASSERT_EQ(glyph.size(), QSize(16, 16));
  EXPECT_EQ(qAlpha(glyph.pixel(0, 15)), 0);
  EXPECT_EQ(qAlpha(glyph.pixel(3, 3)), 0);
  EXPECT_EQ(glyph.pixel(7, 7), qRgb(255, 0, 0));

  const QImage face = Grab(editor_->testbtn);
  const QPoint origin((face.width() - 16) / 2, (face.height() - 16) / 2);
  EXPECT_EQ(face.pixel(origin + QPoint(7, 7)) & 0xFFFFFF, 0xFF0000u);
  const QRgb around = face.pixel(origin + QPoint(3, 3)) & 0xFFFFFF;
  EXPECT_NE(around, 0x0000FFu) << "the face, not the glyph's blue";

  // At other sizes the button click leaves the preview as it was.
  dialogs_->ConfirmAnswers.push_back(TDialogAnswer::No);  // the painted glyph is not kept
  window_->bmp24->trigger();
  QTest::mouseClick(editor_->testbtn, Qt::LeftButton);
  EXPECT_EQ(editor_->testbtn->Glyph().size(), QSize(16, 16));

  // A transform takes a 32-pixel glyph into the preview: the button grows to show all of it,
  // beside the real-size glyph and inside the window.
  window_->bmp32->trigger();
  editor_->FlipVertical1->trigger();
  ASSERT_EQ(editor_->testbtn->Glyph().size(), QSize(32, 32));
  const QRect button = editor_->testbtn->geometry();
  EXPECT_GE(button.width(), 34);
  EXPECT_GE(button.height(), 34);
  EXPECT_TRUE(editor_->centralWidget()->rect().contains(button));
  EXPECT_FALSE(button.intersects(editor_->Editor->geometry()));
  EXPECT_LT(button.bottom(), editor_->pic->y());
}

// Escape closes the editor's tool windows, as it closes the help window.
TEST_F(EditorWindowTest, EscapeClosesHistoryAndButtonStates) {
  StartWithEditor();
  window_->BMPEditor1->trigger();
  editor_->History1->trigger();
  editor_->ButtonStates1->trigger();
  for (QWidget* tool : {static_cast<QWidget*>(editor_->History()), static_cast<QWidget*>(editor_->ButtonStates())}) {
    ASSERT_TRUE(tool->isVisible());
    tool->activateWindow();
    QApplication::setActiveWindow(tool);
    ASSERT_TRUE(QTest::qWaitForWindowActive(tool));
    QTest::keyClick(tool, Qt::Key_Escape);
    EXPECT_FALSE(tool->isVisible()) << tool->objectName().toStdString();
  }
  EXPECT_TRUE(editor_->isVisible());
}

TEST_F(EditorWindowTest, FirstRunWritesBothSectionsAndClosingOnlyHides) {
  StartWithEditor();
  // The design place, moved left only as far as an 800-pixel screen needs for the wider menu bar.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(editor_->pos(), QPoint(std::min(405, screen.right() + 1 - editor_->frameGeometry().width()), 139));
  window_->BMPEditor1->trigger();
  EXPECT_TRUE(editor_->isVisible());
  const QPoint shownAt = editor_->frameGeometry().topLeft();
  editor_->close();
  EXPECT_FALSE(editor_->isVisible());
  ASSERT_NE(editor_, nullptr);
  Stop();
  for (const char* section : {"Window", "EWindow"}) {
    for (const char* key : {"Left", "Top", "Width", "Height"})
      EXPECT_NE(profile::GetPrivateProfileString(section, key, "<none>", IniPath()), "<none>") << section << key;
    EXPECT_EQ(profile::GetPrivateProfileString(section, "State", "<none>", IniPath()), "<none>");
  }
  EXPECT_EQ(profile::GetPrivateProfileString("EWindow", "Left", "", IniPath()), std::to_string(shownAt.x()));
  EXPECT_EQ(profile::GetPrivateProfileString("EWindow", "Top", "", IniPath()), std::to_string(shownAt.y()));
  EXPECT_TRUE(dialogs_->Calls.empty());

  // The next run puts it back where it was left.
  profile::WritePrivateProfileString("EWindow", "Left", "20", IniPath());
  profile::WritePrivateProfileString("EWindow", "Top", "0x1E", IniPath());
  StartWithEditor();
  EXPECT_EQ(editor_->pos(), QPoint(20, 30));
}

}  // namespace
}  // namespace gliffo::testing

namespace gliffo::testing {
namespace {

TEST_F(EditorWindowTest, TransformMenuAndItsShortcuts) {
  StartWithEditor();
  EXPECT_EQ(Captions(editor_->Transform1),
            (std::vector<std::string>{"Flip &Horizontal", "Flip &Vertical", "Rotate &Right", "Rotate &Left", "-",
                                      "Shift Left", "Shift Right", "Shift Up", "Shift Down"}));
  EXPECT_EQ(editor_->ShiftLeft1->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Left));
  EXPECT_EQ(editor_->ShiftDown1->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Down));
  // A key text in the table that Qt cannot read would leave its item without a key, silently.
  for (const TTransformRow& row : TransformTable())
    EXPECT_EQ(editor_->TransformAction(row.Transform)->shortcut().toString(QKeySequence::PortableText).toStdString(),
              row.Keys)
        << row.ObjectName;

  window_->BMPEditor1->trigger();
  Model().SetBackgroundIndex(9);
  editor_->Block1->trigger();
  ClickSurface(1, 1);  // glyph pixel (0, 0) red (QTest takes a null point for the middle)
  editor_->FlipHorizontal1->trigger();
  EXPECT_EQ(Model().Editor().Canvas().Pixel(15, 0), clRed);
  EXPECT_EQ(Model().pic().Canvas().Pixel(250, 5), clRed);
  EXPECT_EQ(editor_->testbtn->Glyph().pixel(15, 0), qRgb(255, 0, 0));
  editor_->RotateRight1->trigger();
  EXPECT_EQ(Model().Editor().Canvas().Pixel(15, 15), clRed);

  // The shortcut reaches the menu item while the editor has the focus.
  QApplication::setActiveWindow(editor_.get());
  editor_->pic->setFocus();
  QTest::keyClick(editor_->pic, Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
  if (Model().Editor().Canvas().Pixel(15, 14) != clRed) GTEST_SKIP() << "this platform delivers no shortcuts";
  EXPECT_EQ(Model().Editor().Canvas().Pixel(15, 15), clWhite);
  editor_->Undo1->trigger();
  EXPECT_EQ(Model().Editor().Canvas().Pixel(15, 15), clRed);
}

}  // namespace
}  // namespace gliffo::testing

namespace gliffo::testing {
namespace {

TEST_F(EditorWindowTest, UndoReachesEveryViewAndTheHistoryWindowGoesBack) {
  StartWithEditor();
  window_->BMPEditor1->trigger();
  Model().SetBackgroundIndex(9);
  editor_->Block1->trigger();
  ClickSurface(40, 40);  // glyph pixel (2, 2) red
  ClickSurface(100, 100);  // Undo after Clear returns to before this stroke
  editor_->ButtonStates1->trigger();
  TButtonStatesWindow* states = editor_->ButtonStates();
  ASSERT_NE(states, nullptr);
  editor_->Clear1->trigger();
  editor_->Undo1->trigger();
  EXPECT_EQ(Model().Editor().Canvas().Pixel(2, 2), clRed);
  EXPECT_EQ(editor_->testbtn->Glyph().pixel(2, 2), qRgb(255, 0, 0)) << "the preview shows the glyph after Undo";
  EXPECT_EQ(states->Faces()->NormalGlyph().pixel(2, 2), qRgb(255, 0, 0)) << "and so does the button-states window";

  // The History window lists the steps; clicking an older one goes there.
  editor_->History1->trigger();
  THistoryWindow* history = editor_->History();
  ASSERT_NE(history, nullptr);
  QListWidget* steps = history->Steps();
  std::vector<std::string> names;
  for (int i = 0; i < steps->count(); ++i) names.push_back(steps->item(i)->text().toStdString());
  EXPECT_EQ(names, (std::vector<std::string>{"Start", "Block", "Block", "Clear", "Undo"}));
  EXPECT_EQ(steps->currentRow(), 4);
  const QImage picture = steps->item(1)->icon().pixmap(32, 32).toImage();
  EXPECT_EQ(picture.pixel(5, 5) & 0xFFFFFF, 0xFF0000u) << "each step shows the glyph after it, twice enlarged";
  EXPECT_EQ(picture.pixel(9, 9) & 0xFFFFFF, 0xFFFFFFu);
  QTest::mouseClick(steps->viewport(), Qt::LeftButton, {}, steps->visualItemRect(steps->item(3)).center());
  EXPECT_EQ(Model().Editor().Canvas().Pixel(2, 2), clWhite) << "back to after Clear";
  EXPECT_EQ(steps->currentRow(), 3);
  editor_->StepForward1->trigger();
  EXPECT_EQ(Model().Editor().Canvas().Pixel(2, 2), clRed);
  EXPECT_EQ(steps->currentRow(), 4);
  EXPECT_EQ(editor_->StepBackward1->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z));
  EXPECT_EQ(editor_->StepForward1->shortcuts(),
            (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}));

  // Glyph Pixels shows the glyph itself in cells, not the surface's round pen ends.
  editor_->Free1->trigger();
  DragSurface(QPoint(100, 200), QPoint(180, 200));
  editor_->GlyphPixels1->trigger();
  const QImage shown = Grab(editor_->pic);
  for (int x = 0; x < 256; x += 4) {
    const TColor glyphPixel = Model().Editor().Canvas().Pixel(x / 16, 200 / 16);
    ASSERT_EQ(shown.pixel(x, 200) & 0xFFFFFF, Rgb(glyphPixel) & 0xFFFFFF) << x;
  }
}

}  // namespace
}  // namespace gliffo::testing
