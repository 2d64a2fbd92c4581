#pragma once
// An editor as the program makes it, over a glyph list of its own, with a view that records
// what the window would have been told.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/glyph_editor.h"
#include "glyphs/glyph_list.h"

namespace gliffo::testing {

class TRecordingView : public IEditorView {
 public:
  void SurfaceChanged(const TRect& area) override { SurfaceAreas.push_back(area); }
  void GlyphChanged() override { ++GlyphChanges; }
  void PreviewChanged() override { ++PreviewChanges; }
  void MenusChanged() override { ++MenuChanges; }
  void PaletteChanged() override { ++PaletteChanges; }
  void ShowWindow() override { Events.push_back("show"); }
  void HideWindow() override { Events.push_back("hide"); }

  std::vector<TRect> SurfaceAreas;
  int GlyphChanges = 0, PreviewChanges = 0, MenuChanges = 0, PaletteChanges = 0;
  std::vector<std::string> Events;
};

class EditorTest : public ::testing::Test {
 protected:
  EditorTest() {
    editor.SetView(&view);
    editor.FormCreate();
    glyphs.SetEditor(&editor);
  }
  ~EditorTest() override { glyphs.SetEditor(nullptr); }

  // The collection window's mode command for a size, the list being empty.
  void Size(int size) {
    glyphs.SetGlyphSize(size);
    glyphs.ApplyGlyphSize();
  }
  TColor At(int x, int y) { return editor.pic().Canvas().Pixel(x, y); }
  TColor GlyphAt(int x, int y) { return editor.Editor().Canvas().Pixel(x, y); }
  TColor PreviewAt(int x, int y) {
    return static_cast<TColor>(raster::GetPixel(editor.PreviewGlyph().Image().Surface(), x, y));
  }
  // Pixels of the surface inside the rectangle that are not `color`.
  int CountOther(const TRect& r, TColor color) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += At(x, y) != color;
    return n;
  }
  int CountColor(TColor color) { return SurfaceSize * SurfaceSize - CountOther(Rect(0, 0, SurfaceSize, SurfaceSize), color); }
  std::vector<TColor> SurfacePixels() {
    std::vector<TColor> out;
    for (int y = 0; y < SurfaceSize; ++y)
      for (int x = 0; x < SurfaceSize; ++x) out.push_back(At(x, y));
    return out;
  }
  std::vector<TColor> GlyphPixels() {
    std::vector<TColor> out;
    for (int y = 0; y < editor.Editor().Height(); ++y)
      for (int x = 0; x < editor.Editor().Width(); ++x) out.push_back(GlyphAt(x, y));
    return out;
  }
  // The glyph as the surface reduces to it now, worked out pixel by pixel: glyph pixel (x, y)
  // is the cell from (x, y) × CellScale.
  std::vector<TColor> ReductionOfSurface() {
    TBitmap expected;
    expected.SetWidth(glyphs.GlyphSize());
    expected.SetHeight(glyphs.GlyphSize());
    const int cells = editor.CellScale() * glyphs.GlyphSize();
    expected.Canvas().StretchDraw(Rect(0, 0, glyphs.GlyphSize(), glyphs.GlyphSize()), &editor.pic(), Rect(0, 0, cells, cells));
    std::vector<TColor> out;
    for (int y = 0; y < expected.Height(); ++y)
      for (int x = 0; x < expected.Width(); ++x) out.push_back(expected.Canvas().Pixel(x, y));
    return out;
  }
  void Stroke(std::initializer_list<TPoint> points) {
    auto it = points.begin();
    editor.picMouseDown(it->X, it->Y);
    TPoint last = *it;
    for (++it; it != points.end(); ++it) {
      editor.picMouseMove(it->X, it->Y);
      last = *it;
    }
    editor.picMouseUp(last.X, last.Y);
  }

  TGlyphCollection glyphs;
  TRecordingView view;
  TGlyphEditor editor{glyphs};
};

}  // namespace gliffo::testing
