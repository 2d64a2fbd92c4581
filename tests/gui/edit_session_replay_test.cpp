// One editing session twice: through gliffo-tool edit, and by hand in the editor window
// offscreen (menu triggers, presses on the palette grid, mouse events on the surface, dialogs
// answered by script). The files must match byte for byte, or the tool does not show what the
// window does.
#include <QMouseEvent>
#include <QTest>
#include <fstream>
#include <iterator>
#include <sstream>

#include "editor/qt/color_grid.h"
#include "editor/qt/image_control.h"
#include "editor/session.h"
#include "gui_fixture.h"
#include "tests/cli/run_tool.h"

namespace gliffo::testing {
namespace {

std::string Bytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class EditSessionReplayTest : public GuiTest {
 protected:
  TGlyphEditor& Model() { return editor_->Model(); }
  void Mouse(QEvent::Type type, int x, int y) {
    const QPointF at(x, y);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, at, editor_->pic->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      held, Qt::NoModifier);
    QApplication::sendEvent(editor_->pic, &event);
  }
  void PressCell(int index, Qt::MouseButton button) {
    QTest::mouseClick(editor_->ColorGrid1, button, {}, editor_->ColorGrid1->CellRect(index).center());
  }

  // What a person does in the windows for each line.
  void Replay(const TSessionCommand& c) {
    const std::string verb = c.Verb->Name;
    if (verb == "tool") return editor_->SymbolAction(c.Args<TSymbolItem>())->trigger();
    if (verb == "pen") return editor_->PenAction(c.Args<TPenItem>())->trigger();
    if (verb == "brush") return (c.Args<TBrushStyle>() == TBrushStyle::bsSolid ? editor_->Solid1 : editor_->Clear2)->trigger();
    if (verb == "fg" || verb == "bg") {
      const TColourChoice& choice = c.Args<TColourChoice>();
      if (choice.Index >= 0) return PressCell(choice.Index, verb == "fg" ? Qt::LeftButton : Qt::RightButton);
      ADD_FAILURE() << "no replay for a colour of the Colour menu";
      return;
    }
    if (verb == "down") return Mouse(QEvent::MouseButtonPress, c.Args<TPoint>().X, c.Args<TPoint>().Y);
    if (verb == "move") return Mouse(QEvent::MouseMove, c.Args<TPoint>().X, c.Args<TPoint>().Y);
    if (verb == "up") return Mouse(QEvent::MouseButtonRelease, c.Args<TPoint>().X, c.Args<TPoint>().Y);
    if (verb == "undo") return editor_->Undo1->trigger();
    if (verb == "clear") return editor_->Clear1->trigger();
    if (verb == "fill") return editor_->Fill1->trigger();
    if (verb == "caption") {
      dialogs_->InputAnswers.push_back(c.Args<std::string>());
      return editor_->TextCaption1->trigger();
    }
    if (verb == "font") {
      dialogs_->FontAnswers.push_back(c.Args<TFontChoice>());
      return editor_->Text2->trigger();
    }
    if (verb == "open") {
      dialogs_->OpenAnswers.push_back(std::vector<std::string>{c.Args<std::string>()});
      return editor_->Open1->trigger();
    }
    if (verb == "save") {
      dialogs_->SaveAnswers.push_back(c.Args<std::string>());
      return editor_->SaveAs1->trigger();
    }
    if (verb == "glyph") {
      dialogs_->OpenAnswers.push_back(std::vector<std::string>{c.Args<TGlyphChoice>().Strip});
      window_->OpenCollection1->trigger();
      Glyphs().Items.Item(c.Args<TGlyphChoice>().Index).SetSelected(true);
      return window_->Image1->trigger();
    }
    if (verb == "size") {
      QAction* modes[] = {window_->bmp16, window_->bmp24, window_->bmp32};
      return modes[(c.Args<int>() - 16) / 8]->trigger();
    }
    if (verb == "flip" || verb == "rotate" || verb == "shift") {
      // In the order of TTransform.
      QAction* transforms[] = {editor_->FlipHorizontal1, editor_->FlipVertical1, editor_->RotateRight1,
                               editor_->RotateLeft1,     editor_->ShiftLeft1,    editor_->ShiftRight1,
                               editor_->ShiftUp1,        editor_->ShiftDown1};
      return transforms[static_cast<int>(c.Args<TTransform>())]->trigger();
    }
    ADD_FAILURE() << "no replay for " << verb;
  }
};

TEST_F(EditSessionReplayTest, TheToolWritesWhatTheWindowWrites) {
  ASSERT_EQ(ScreenPixelsPerInch(), 96) << "both sides measure fonts alike";
  WriteStrip(Path("strip.gbc"), 32, 3);
  const std::string lines =
      "glyph " + Path("strip.gbc") + " 1\n"
      "fg 12\nbg 14\npen 2\ntool ellipse\ndown 30 40\nmove 120 100\nmove 200 220\nup 210 230\n"
      "brush clear\ntool rectangle\ndown 10 10\nmove 100 50\nup 240 120\nbrush solid\ntool roundrect\n"
      "down 60 150\nmove 180 250\nup 180 250\n"
      "tool freehand\npen 3\ndown 5 250\nmove 128 5\nmove 250 250\nup 250 250\nundo\n"
      "tool line\npen 1\ndown 0 0\nmove 255 255\nup 255 255\n"
      "save " + Path("middle-tool.bmp") + "\n"
      "tool block\nbg 2\ndown 100 30\nup 100 30\ntool floodfill\nbg 3\ndown 128 128\nup 128 128\n"
      "caption Ok\nfont \"Liberation Sans\" 60 bold italic colour FF0000\ntool text\ndown 40 40\nup 40 40\n"
      "rotate right\nshift left\nflip v\nundo\nflip h\n"
      "fg 0\ntool freehand\ndown 200 20\nmove 250 60\nup 250 60\n";
  std::ofstream(Path("session.txt")) << lines;

  const ToolResult tool = RunTool({"edit", Path("session.txt"), Path("tool.bmp"), "--surface", Path("tool-surface.bmp")}, dir_);
  ASSERT_EQ(tool.Status, 0) << tool.Err;

  // The window: the same lines, with the middle save going to a name of its own.
  std::string windowLines = lines;
  windowLines.replace(windowLines.find("middle-tool.bmp"), std::string("middle-tool.bmp").size(), "middle-window.bmp");
  std::istringstream in(windowLines);
  const std::vector<TSessionCommand> commands = ParseSession(in);
  StartWithEditor();
  Glyphs().ApplyGlyphSize();
  editor_->show();
  for (const TSessionCommand& c : commands) Replay(c);
  for (const TDialogCall& call : dialogs_->Calls) EXPECT_NE(call.Kind, "error") << call.Text;
  Model().SaveGlyphFile(Path("window.bmp"));
  TBitmap surface;
  surface.Assign(&Model().pic());
  surface.SetPixelFormat(TPixelFormat::pf32bit);
  surface.SaveToFile(Path("window-surface.bmp"));

  EXPECT_EQ(Model().GlyphSize(), 32);
  EXPECT_FALSE(Bytes(Path("tool.bmp")).empty());
  EXPECT_TRUE(Bytes(Path("tool.bmp")) == Bytes(Path("window.bmp"))) << "the glyph";
  EXPECT_TRUE(Bytes(Path("tool-surface.bmp")) == Bytes(Path("window-surface.bmp"))) << "the surface";
  EXPECT_TRUE(Bytes(Path("middle-tool.bmp")) == Bytes(Path("middle-window.bmp"))) << "the save line's file";
  EXPECT_FALSE(Bytes(Path("middle-tool.bmp")) == Bytes(Path("tool.bmp"))) << "the session went on after the save";
}

}  // namespace
}  // namespace gliffo::testing
