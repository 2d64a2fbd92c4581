// Once a stroke has begun, a mouse move makes nothing on the heap: the pens and brushes are
// made once, the surface is private after the first change and the reduction writes in place.
// This program counts every allocation made through the global operator new.
#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/editor/editor_fixture.h"

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace gliffo::testing {
namespace {

TEST_F(EditorTest, MovesMakeNothingOnTheHeapOnceAStrokeHasBegun) {
  editor.SetBackgroundIndex(7);
  editor.N31Click();
  editor.SetView(nullptr);  // the recording view keeps a list; the window's keeps none
  for (void (TGlyphEditor::*tool)() : {&TGlyphEditor::Free1Click, &TGlyphEditor::Line1Click, &TGlyphEditor::Rectangle1Click,
                                       &TGlyphEditor::RoundRectangle1Click, &TGlyphEditor::Ellipse1Click,
                                       &TGlyphEditor::Block1Click, &TGlyphEditor::Flood1Click, &TGlyphEditor::Text1Click}) {
    (editor.*tool)();
    editor.picMouseDown(40, 30);
    editor.picMouseMove(100, 100);
    editor.picMouseMove(110, 104);
    const long before = g_allocations.load();
    for (int step = 0; step < 50; ++step) editor.picMouseMove(120 + step, 200 - step);
    EXPECT_EQ(g_allocations.load() - before, 0) << editor.ToolName();
    editor.picMouseUp(170, 150);
  }
}

}  // namespace
}  // namespace gliffo::testing
