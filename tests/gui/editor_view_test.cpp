// The editor's View menu: the pixel grid over the surface and the button-states window.
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "editor/qt/button_states.h"
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

}  // namespace
}  // namespace gliffo::testing
