#include <gtest/gtest.h>

#include "glyphs/bitmap.h"
#include "glyphs/canvas.h"
#include "glyphs/image_list.h"
#include "glyphs/list_items.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "tests/glyphs/glyph_fixtures.h"

namespace gliffo {
namespace {

using namespace testing;

TBitmap* Strip(TBitmap& image, int width, int height, int seed = 0,
               TPixelFormat format = TPixelFormat::pf24bit) {
  Paint(image, format, width, height, [seed](int x, int y) { return TrueColor(x, y, seed); });
  return &image;
}

template <class F>
void ExpectMessage(F&& call, const char* message) {
  try {
    call();
    ADD_FAILURE() << "no error, expected \"" << message << "\"";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), message);
  }
}

TEST(ImageList, CellSizeChangeEmptiesTheListSameSizeKeepsIt) {
  TImageList list;
  TImageListRecorder recorder;
  list.AddListener(&recorder);
  TBitmap image;
  list.Add(*Strip(image, 32, 16));
  list.SetWidth(16);
  list.SetHeight(16);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(recorder.Changes.size(), 1u);  // only the add

  // Smaller cells would hold the glyphs, but a new size still empties the list.
  list.SetWidth(8);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Width(), 8);
  ASSERT_EQ(recorder.Changes.size(), 2u);
  EXPECT_EQ(recorder.Changes[1].Kind, TImageListChangeKind::Resized);
  EXPECT_EQ(recorder.Changes[1].Count, 2);
  EXPECT_THROW(list.SetHeight(0), EInvalidOperation);
  EXPECT_EQ(list.Height(), 16);
}

TEST(ImageList, AddCutsFromTheLeftAndDropsTheRemainder) {
  TImageList list;
  TBitmap first, second;
  EXPECT_EQ(list.Add(*Strip(first, 48, 16, 1)), 0);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Add(*Strip(second, 40, 16, 2)), 3);
  EXPECT_EQ(list.Count(), 5);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      EXPECT_EQ(CellPixel(list, 1, x, y), TrueColor(16 + x, y, 1));
      EXPECT_EQ(CellPixel(list, 4, x, y), TrueColor(16 + x, y, 2));
    }
  // A taller image gives its top rows.
  TBitmap tall;
  EXPECT_EQ(list.Add(*Strip(tall, 16, 20, 3)), 5);
  EXPECT_EQ(CellPixel(list, 5, 3, 15), TrueColor(3, 15, 3));
}

TEST(ImageList, ConvertsEveryStoreFormatToTheDeviceFormat) {
  for (TPixelFormat format : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit,
                              TPixelFormat::pf24bit, TPixelFormat::pf32bit, TPixelFormat::pfDevice}) {
    TImageList list;
    TBitmap image;
    Paint(image, format, 16, 16, [](int x, int y) { return (x + y) % 2 ? raster::MakeColorRef(255, 255, 255) : 0; });
    list.Add(image);
    const std::uint32_t* pixels = list.CellPixels(0);
    ASSERT_NE(pixels, nullptr);
    // Blue, green, red, 0 in memory; black and white survive every format.
    EXPECT_EQ(pixels[0], 0u) << static_cast<int>(format);
    EXPECT_EQ(pixels[1], 0x00FFFFFFu) << static_cast<int>(format);
    EXPECT_EQ(pixels[16 * 15 + 14], 0x00FFFFFFu) << static_cast<int>(format);
  }
  TImageList list;
  TBitmap image;
  Paint(image, TPixelFormat::pf24bit, 16, 16, [](int, int) { return raster::MakeColorRef(0x12, 0x34, 0x56); });
  list.Add(image);
  EXPECT_EQ(list.CellPixels(0)[0], 0x00123456u);
}

TEST(ImageList, RefusedImagesChangeNothing) {
  TImageList list;
  TImageListRecorder recorder;
  TBitmap ok, low, narrow, empty;
  list.Add(*Strip(ok, 16, 16, 4));
  list.AddListener(&recorder);
  ExpectMessage([&] { list.Add(*Strip(low, 64, 15)); }, texts::InvalidImageSize);
  ExpectMessage([&] { list.Add(*Strip(narrow, 15, 16)); }, texts::InvalidImageSize);
  ExpectMessage([&] { list.Add(empty); }, texts::InvalidImageSize);
  ExpectMessage([&] { list.Replace(0, low); }, texts::InvalidImageSize);
  ExpectMessage([&] { list.Replace(1, ok); }, texts::UnableToReplaceImage);
  ExpectMessage([&] { list.Replace(-1, ok); }, texts::UnableToReplaceImage);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(CellPixel(list, 0, 5, 5), TrueColor(5, 5, 4));
  EXPECT_TRUE(recorder.Changes.empty());
}

TEST(ImageList, ReplaceTakesTheTopLeftPartAndTellsTheViews) {
  TImageList list;
  TBitmap a, b;
  list.Add(*Strip(a, 48, 16, 1));
  TImageListRecorder recorder;
  list.AddListener(&recorder);
  list.Replace(1, *Strip(b, 40, 24, 9));
  EXPECT_EQ(CellPixel(list, 1, 15, 15), TrueColor(15, 15, 9));
  EXPECT_EQ(CellPixel(list, 0, 15, 15), TrueColor(15, 15, 1));
  EXPECT_EQ(CellPixel(list, 2, 0, 0), TrueColor(32, 0, 1));
  ASSERT_EQ(recorder.Changes.size(), 1u);
  EXPECT_EQ(recorder.Changes[0].Kind, TImageListChangeKind::Replaced);
  EXPECT_EQ(recorder.Changes[0].First, 1);
}

TEST(ImageList, ClearOfAnEmptyListReportsNothing) {
  TImageList list;
  TImageListRecorder recorder;
  list.AddListener(&recorder);
  list.Clear();
  EXPECT_TRUE(recorder.Changes.empty());
  TBitmap a;
  list.Add(*Strip(a, 16, 16));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  ASSERT_EQ(recorder.Changes.size(), 2u);
  EXPECT_EQ(recorder.Changes[1].Kind, TImageListChangeKind::Cleared);
  EXPECT_TRUE(list.Cell(0).Empty());
  EXPECT_EQ(list.CellPixels(0), nullptr);
}

TEST(ImageList, DrawCopiesTheCellOpaqueClippedAndMatchedToAnIndexedTarget) {
  TImageList list;
  TBitmap glyph;
  Paint(glyph, TPixelFormat::pf24bit, 16, 16, [](int x, int y) {
    // Near-palette colours: each must land on the system colour it is closest to.
    return x < 8 ? raster::MakeColorRef(250, 5, 3) : (y < 8 ? raster::MakeColorRef(130, 125, 126) : 0);
  });
  list.Add(glyph);
  TBitmap target;
  Paint(target, TPixelFormat::pf4bit, 20, 20, [](int, int) { return raster::MakeColorRef(0, 0, 255); });
  list.Draw(target.Canvas(), 10, -4, 0);
  EXPECT_EQ(PixelOf(target, 9, 0), raster::MakeColorRef(0, 0, 255));
  EXPECT_EQ(PixelOf(target, 10, 0), raster::MakeColorRef(255, 0, 0));     // red
  EXPECT_EQ(PixelOf(target, 19, 0), raster::MakeColorRef(128, 128, 128));  // gray, row 4 of the cell
  EXPECT_EQ(PixelOf(target, 19, 11), 0u);                                  // row 15 of the cell
  EXPECT_EQ(PixelOf(target, 19, 12), raster::MakeColorRef(0, 0, 255));
  list.Draw(target.Canvas(), 0, 0, 7);  // no such cell: nothing
  EXPECT_EQ(PixelOf(target, 0, 0), raster::MakeColorRef(0, 0, 255));
}

TEST(ImageList, ManyGlyphsAddInLinearTimeAndCellsNeverMove) {
  TImageList list;
  list.SetAllocBy(4);
  TBitmap strip;
  Strip(strip, 16 * 1000, 16, 5);
  list.Add(strip);
  const std::uint32_t* first = list.CellPixels(0);
  for (int i = 1; i < 100; ++i) list.Add(strip);
  EXPECT_EQ(list.Count(), 100000);
  EXPECT_EQ(list.CellPixels(0), first);
  EXPECT_EQ(CellPixel(list, 99999, 15, 15), TrueColor(999 * 16 + 15, 15, 5));
  EXPECT_EQ(CellPixel(list, 54321, 2, 3), TrueColor(321 * 16 + 2, 3, 5));
}

TEST(ListItems, BracketsNestAndReportOnceWhenTheOutermostCloses) {
  TListItems items;
  TItemsCounter counter;
  items.AddListener(&counter);
  items.BeginUpdate();
  items.BeginUpdate();
  for (int i = 0; i < 5; ++i) items.Add().SetCaption(std::to_string(i));
  items.Item(2).SetSelected(true);
  items.RedrawItems(0, 4);
  items.EndUpdate();
  EXPECT_EQ(counter.Changed, 0);
  items.EndUpdate();
  EXPECT_EQ(counter.Changed, 1);
  EXPECT_EQ(counter.SelectionChanges, 0);
  EXPECT_TRUE(counter.Redraws.empty());
  items.EndUpdate();  // an unmatched close is ignored
  EXPECT_EQ(counter.Changed, 1);
  EXPECT_EQ(items.UpdateCount(), 0);

  // Outside a bracket each change is reported as it happens.
  items.Add();
  items.Item(1).SetSelected(true);
  items.RedrawItems(-3, 99);
  EXPECT_EQ(counter.Changed, 2);
  EXPECT_EQ(counter.SelectionChanges, 1);
  ASSERT_EQ(counter.Redraws.size(), 1u);
  EXPECT_EQ(counter.Redraws[0], std::make_pair(0, 5));
}

TEST(ListItems, SelectedIsTheLowestSelectedIndex) {
  TListItems items;
  for (int i = 0; i < 10; ++i) items.Add();
  EXPECT_EQ(items.Selected(), nullptr);
  EXPECT_EQ(items.SelectedIndex(), -1);
  items.Item(7).SetSelected(true);
  items.Item(3).SetSelected(true);
  EXPECT_EQ(items.SelectedIndex(), 3);
  EXPECT_EQ(items.SelCount(), 2);
  items.Item(3).SetSelected(false);
  EXPECT_EQ(items.SelectedIndex(), 7);
  items.Item(1).SetSelected(true);
  items.Item(1).SetSelected(true);  // no change
  EXPECT_EQ(items.SelCount(), 2);
  EXPECT_EQ(items.SelectedIndex(), 1);
  items.Clear();
  EXPECT_EQ(items.SelCount(), 0);
  EXPECT_EQ(items.Selected(), nullptr);
  items.Add().SetSelected(true);
  EXPECT_EQ(items.SelectedIndex(), 0);
}

TEST(ListItems, HundredThousandItemsSelectAndCountQuickly) {
  TListItems items;
  items.BeginUpdate();
  for (int i = 0; i < 100000; ++i) items.Add();
  // Selecting from the end backwards and asking each time stays linear overall.
  for (int i = 99999; i >= 0; i -= 2) {
    items.Item(i).SetSelected(true);
    ASSERT_EQ(items.SelectedIndex(), i);
  }
  for (int i = 1; i < 100000; i += 2) {
    items.Item(i).SetSelected(false);
    ASSERT_EQ(items.SelectedIndex(), i + 2 < 100000 ? i + 2 : -1);
  }
  items.EndUpdate();
  EXPECT_EQ(items.SelCount(), 0);
}

}  // namespace
}  // namespace gliffo
