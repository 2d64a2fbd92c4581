// The editor's View menu: the pixel grid over the surface and the button-states window.
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "collection/viewer.h"
#include "editor/qt/button_states.h"
#include "formats/png_codec.h"
#include "platform/files/file_io.h"
#include "ui/alpha_view.h"
#include "editor/qt/image_control.h"
#include "glyphs/button_looks.h"
#include "gui_fixture.h"
#include "platform/profile/profile.h"

namespace gliffo::testing {
namespace {

class EditorViewTest : public GuiTest {
 protected:
  TGlyphEditor& Model() { return editor_->Model(); }
  QImage Shown() { return editor_->pic->grab().toImage().convertToFormat(QImage::Format_RGB32); }
  // Whether the column x of the shown surface carries the grid: black and white pixels that
  // the surface itself does not have.
  bool GridColumn(const QImage& shown, int x) {
    int black = 0, white = 0;
    for (int y = 1; y < 200; y += 2) {
      if (y % 10 == 0) continue;
      const QRgb a = shown.pixel(x, y) & 0xFFFFFF, b = shown.pixel(x, y + 1) & 0xFFFFFF;
      black += (a == 0) + (b == 0);
      white += (a == 0xFFFFFF) + (b == 0xFFFFFF);
    }
    return black > 20 && white > 20;
  }
};

TEST_F(EditorViewTest, PixelGridFollowsTheCellsAtEverySizeAndNeverTouchesTheSurface) {
  StartWithEditor();
  EXPECT_EQ(editor_->PixelGrid1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
  EXPECT_TRUE(editor_->PixelGrid1->isCheckable());
  EXPECT_FALSE(editor_->PixelGrid1->isChecked());
  Model().SetBackgroundIndex(0);
  Model().Fill1Click();  // black, so white grid pixels show as well as black ones
  const QImage plain = Shown();
  EXPECT_FALSE(GridColumn(plain, 16));

  editor_->PixelGrid1->trigger();
  EXPECT_TRUE(editor_->pic->GridShown());
  dialogs_->ConfirmAnswers.push_back(TDialogAnswer::No);  // the black glyph is not kept
  const std::pair<int, QAction*> sizes[] = {{16, window_->bmp16}, {24, window_->bmp24}, {32, window_->bmp32}};
  for (const auto& [size, mode] : sizes) {
    mode->trigger();
    const int cell = 256 / size;
    const QImage shown = Shown();
    for (int k = 1; k * cell < 256 && k <= size; ++k) EXPECT_TRUE(GridColumn(shown, k * cell)) << size << " line " << k;
    EXPECT_FALSE(GridColumn(shown, cell + 1)) << size;
    if (size == 24) {
      EXPECT_FALSE(GridColumn(shown, 250)) << "the cells end at 240";
    }
    // The surface and the glyph hold none of it.
    EXPECT_EQ(Model().pic().Canvas().Pixel(cell, 5), clBlack);
  }
  editor_->PixelGrid1->trigger();
  EXPECT_EQ(Shown(), plain);
}

TEST_F(EditorViewTest, PixelGridIsRememberedInTheEditorsSection) {
  StartWithEditor();
  editor_->PixelGrid1->trigger();
  Stop();
  EXPECT_EQ(profile::GetPrivateProfileString("EWindow", "PixelGrid", "", IniPath()), "1");
  EXPECT_NE(profile::GetPrivateProfileString("EWindow", "Left", "", IniPath()), "");
  StartWithEditor();
  EXPECT_TRUE(editor_->PixelGrid1->isChecked());
  EXPECT_TRUE(editor_->pic->GridShown());
  editor_->PixelGrid1->trigger();
  Stop();
  EXPECT_EQ(profile::GetPrivateProfileString("EWindow", "PixelGrid", "", IniPath()), "0");
}

TEST_F(EditorViewTest, ButtonStatesFollowAStrokeAndSaveTheDisabledStrip) {
  WriteStrip(Path("three.gbc"), 16, 3);
  StartWithEditor();
  window_->BMPEditor1->trigger();
  editor_->ButtonStates1->trigger();
  TButtonStatesWindow* states = editor_->ButtonStates();
  ASSERT_NE(states, nullptr);
  EXPECT_TRUE(states->isVisible());
  EXPECT_TRUE(states->windowFlags() & Qt::Tool);
  EXPECT_NE(states->parentWidget(), editor_->centralWidget()) << "outside the editor's fixed layout";

  // A red block: the faces follow the release, the white ground transparent.
  Model().SetBackgroundIndex(9);
  editor_->Block1->trigger();
  QTest::mousePress(editor_->pic, Qt::LeftButton, {}, QPoint(40, 40));
  QTest::mouseRelease(editor_->pic, Qt::LeftButton, {}, QPoint(40, 40));
  TButtonFaces* faces = states->Faces();
  EXPECT_EQ(faces->NormalGlyph().pixel(2, 2), qRgb(255, 0, 0));
  EXPECT_EQ(qAlpha(faces->NormalGlyph().pixel(0, 15)), 0);
  EXPECT_EQ(faces->DisabledGlyph().pixel(2, 2) & 0xFFFFFF, 0x808080u) << "the shape in the shadow colour";
  EXPECT_EQ(faces->DisabledGlyph().pixel(3, 3) & 0xFFFFFF, 0xFFFFFFu) << "its highlight one pixel down and right";
  EXPECT_EQ(qAlpha(faces->DisabledGlyph().pixel(8, 8)), 0);

  // Painted: the normal face at 1× on the light row shows red where the glyph pixel lies, and
  // the face colour where the ground is transparent; the dark row shows its own face.
  const QImage shown = faces->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QRect light = faces->FaceRect(0, 0, 1), dark = faces->FaceRect(1, 0, 1);
  const QPoint glyphAt((light.width() - 16) / 2, (light.height() - 16) / 2);
  EXPECT_EQ(shown.pixel(light.topLeft() + glyphAt + QPoint(2, 2)) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(shown.pixel(light.topLeft() + glyphAt + QPoint(8, 8)) & 0xFFFFFF, TButtonFaces::FaceColor(0).rgb() & 0xFFFFFF);
  EXPECT_EQ(shown.pixel(dark.topLeft() + glyphAt + QPoint(8, 8)) & 0xFFFFFF, TButtonFaces::FaceColor(1).rgb() & 0xFFFFFF);
  const QRect twice = faces->FaceRect(0, 0, 2);
  const QPoint glyphAt2((twice.width() - 32) / 2, (twice.height() - 32) / 2);
  EXPECT_EQ(shown.pixel(twice.topLeft() + glyphAt2 + QPoint(5, 5)) & 0xFFFFFF, 0xFF0000u) << "2×: glyph pixel (2, 2)";

  // The disabled strip of the collection's selection, asked for as Save Collection asks.
  dialogs_->OpenAnswers.push_back(std::vector<std::string>{Path("three.gbc")});
  window_->OpenCollection1->trigger();
  window_->SelectAll1->trigger();
  dialogs_->Calls.clear();
  dialogs_->SaveAnswers.push_back(Path("off.gbc"));
  states->SaveDisabledStripButton()->click();
  ASSERT_EQ(dialogs_->Log(), std::vector<std::string>{"save"});
  EXPECT_EQ(dialogs_->Calls[0].Save.DefaultExtension, "gbc");
  TBitmap saved;
  saved.LoadFromFile(Path("off.gbc"));
  EXPECT_EQ(saved.Width(), 48);
  EXPECT_EQ(saved.PixelFormat(), TPixelFormat::pf4bit);
}

// An alpha glyph in the grid and in the editor: drawn over the button face as a toolbar draws
// it, then over the checkerboard once View > Transparency Checkerboard is on, which is
// remembered. Its left half is clear, its right half red at half alpha.
TEST_F(EditorViewTest, AlphaGlyphsShowOverTheFaceOrTheCheckerboard) {
  std::vector<std::uint8_t> rgba;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) rgba.insert(rgba.end(), {255, 0, 0, static_cast<std::uint8_t>(x < 8 ? 0 : 128)});
  files::WriteWholeFile(Path("soft.png"), png::EncodeRgba(16, 16, rgba));
  StartWithEditor();
  window_->show();
  dialogs_->OpenAnswers.push_back(std::vector<std::string>{Path("soft.png")});
  window_->OpenCollection1->trigger();
  ASSERT_EQ(Glyphs().Items.Count(), 1);
  QListView* view = window_->viewer;
  QCoreApplication::processEvents();
  const QRect item = view->visualRect(view->model()->index(0, 0));
  // The cell stands centred in its item, below the padding: find it by its red half.
  const auto grabbed = [&] { return view->viewport()->grab(item).toImage().convertToFormat(QImage::Format_RGB32); };
  QImage shown = grabbed();
  int left = -1, top = -1;
  for (int y = 0; y < shown.height() && top < 0; ++y)
    for (int x = 0; x < shown.width() && top < 0; ++x)
      if (qRed(shown.pixel(x, y)) > 200 && qGreen(shown.pixel(x, y)) < 140 && qBlue(shown.pixel(x, y)) < 140) left = x - 8, top = y;
  ASSERT_GE(top, 0) << "no red half in the grid";
  const QColor face = view->viewport()->palette().button().color();
  const auto near = [](QRgb got, int r, int g, int b) {
    return std::abs(qRed(got) - r) <= 2 && std::abs(qGreen(got) - g) <= 2 && std::abs(qBlue(got) - b) <= 2;
  };
  EXPECT_TRUE(near(shown.pixel(left + 2, top + 2), face.red(), face.green(), face.blue())) << std::hex << shown.pixel(left + 2, top + 2);
  EXPECT_TRUE(near(shown.pixel(left + 12, top + 12), (255 * 128 + face.red() * 127) / 255, face.green() * 127 / 255,
                   face.blue() * 127 / 255))
      << std::hex << shown.pixel(left + 12, top + 12);

  editor_->Checkerboard1->trigger();
  EXPECT_TRUE(CheckerboardShown());
  shown = grabbed();
  // Squares of four pixels, light grey and white, where the glyph is clear; under its red half.
  EXPECT_TRUE(near(shown.pixel(left + 1, top + 1), 0xCC, 0xCC, 0xCC)) << std::hex << shown.pixel(left + 1, top + 1);
  EXPECT_TRUE(near(shown.pixel(left + 5, top + 1), 255, 255, 255)) << std::hex << shown.pixel(left + 5, top + 1);
  EXPECT_TRUE(near(shown.pixel(left + 9, top + 1), (255 * 128 + 0xCC * 127) / 255, 0xCC * 127 / 255, 0xCC * 127 / 255))
      << std::hex << shown.pixel(left + 9, top + 1);

  // The editor takes the glyph with its alpha and shows it over the same checkerboard.
  view->selectionModel()->select(view->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
  window_->Image1->trigger();
  EXPECT_TRUE(Model().Editor().HasAlpha());
  const QImage glyph = editor_->Editor->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_TRUE(near(glyph.pixel(1, 1), 0xCC, 0xCC, 0xCC)) << std::hex << glyph.pixel(1, 1);
  EXPECT_TRUE(near(glyph.pixel(5, 1), 255, 255, 255)) << std::hex << glyph.pixel(5, 1);
  const QImage surface = Shown();
  EXPECT_TRUE(near(surface.pixel(2, 2), 255, 255, 255) || near(surface.pixel(2, 2), 0xCC, 0xCC, 0xCC)) << std::hex << surface.pixel(2, 2);
  EXPECT_GT(qRed(surface.pixel(200, 100)), 200);

  Stop();
  EXPECT_EQ(profile::GetPrivateProfileString("EWindow", "Checkerboard", "", IniPath()), "1");
  SetCheckerboardShown(false);  // the next test starts as the program does
}

// The Colour menu in the window: the eyedropper takes the pen colour with the left button and
// the brush colour with the right one, from presses on the surface; Custom Colour... asks the
// colour dialog, starting from the current colour; the swatches say both colours.
TEST_F(EditorViewTest, TheEyedropperAndCustomColourSetThePenAndTheBrush) {
  std::vector<std::uint8_t> rgba;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      rgba.insert(rgba.end(), {static_cast<std::uint8_t>(16 * x), 40, static_cast<std::uint8_t>(16 * y), static_cast<std::uint8_t>(8 * x + 7)});
  files::WriteWholeFile(Path("soft.png"), png::EncodeRgba(16, 16, rgba));
  StartWithEditor();
  editor_->show();
  dialogs_->OpenAnswers.push_back(std::vector<std::string>{Path("soft.png")});
  editor_->Open1->trigger();
  ASSERT_TRUE(Model().Editor().HasAlpha());
  editor_->PickColour1->trigger();
  EXPECT_EQ(Model().SymbolItem(), TSymbolItem::Picker1);
  EXPECT_TRUE(editor_->PickColour1->isChecked());
  const int history = Model().History().Count();
  // Glyph pixel (3, 5) is the surface's cell from (48, 80); (10, 2) from (160, 32).
  QTest::mousePress(editor_->pic, Qt::LeftButton, {}, QPoint(50, 85));
  QTest::mouseRelease(editor_->pic, Qt::LeftButton, {}, QPoint(50, 85));
  QTest::mousePress(editor_->pic, Qt::RightButton, {}, QPoint(165, 35));
  QTest::mouseRelease(editor_->pic, Qt::RightButton, {}, QPoint(165, 35));
  EXPECT_EQ(Model().ForegroundDrawColour(), (TDrawColour{raster::MakeColorRef(48, 40, 80), 31}));
  EXPECT_EQ(Model().BackgroundDrawColour(), (TDrawColour{raster::MakeColorRef(160, 40, 32), 87}));
  EXPECT_EQ(Model().History().Count(), history);  // looking changes nothing
  EXPECT_EQ(editor_->SwatchLeft1->text().toStdString(), "Left: #3028501F");
  EXPECT_EQ(editor_->SwatchRight1->text().toStdString(), "Right: #A0282057");

  dialogs_->ColourAnswers.push_back(TColourWithAlpha{raster::MakeColorRef(1, 2, 3), 200});
  editor_->CustomRight1->trigger();
  EXPECT_EQ(dialogs_->LastInitialColour.Alpha, 87);
  EXPECT_EQ(Model().BackgroundDrawColour(), (TDrawColour{raster::MakeColorRef(1, 2, 3), 200}));
  editor_->CustomLeft1->trigger();  // cancelled: nothing changes
  EXPECT_EQ(Model().ForegroundDrawColour().Alpha, 31);
  editor_->TransparentLeft1->trigger();
  EXPECT_EQ(Model().ForegroundDrawColour(), Transparent);
  EXPECT_EQ(Model().ForegroundIndex(), -1);
}

}  // namespace
}  // namespace gliffo::testing
