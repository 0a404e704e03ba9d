// Image frames, icon conversion, caption glyph cells and menu geometry.
#include <gtest/gtest.h>

#include "tests/drawing/canvas.h"
#include "tests/support/test_images.h"
#include "ui/controls/caption_glyphs.h"
#include "ui/core/image.h"
#include "ui/core/menu_layout.h"
#include "ui/element/image_frames.h"

using namespace ui;

TEST(ImageFrames, GifFramesAndDelays) {
  KeptImage gif = KeptImage::Decode(qwtest::ThreeFrameGif());
  ASSERT_TRUE(gif);
  FrameInfo raw = ReadFrameInfo(gif.get(), false, true);
  EXPECT_EQ(raw.frameCount, 3);
  EXPECT_EQ(raw.delays, (std::vector<int>{10, 20, 0}));
  FrameInfo fixed = ReadFrameInfo(gif.get(), true, true);
  EXPECT_EQ(fixed.delays, (std::vector<int>{10, 20, 10}));

  // Selecting a frame changes what is drawn.
  TestCanvas c(4, 4);
  ASSERT_TRUE(SelectFrame(gif.get(), 1));
  gp::GdipDrawImageRectI(c.g(), gif.get(), 0, 0, 4, 4);
  EXPECT_GT(GreenOf(c.At(1, 1)), 200);
  EXPECT_LT(RedOf(c.At(1, 1)), 50);
  ASSERT_TRUE(SelectFrame(gif.get(), 2));
  gp::GdipDrawImageRectI(c.g(), gif.get(), 0, 0, 4, 4);
  EXPECT_GT(BlueOf(c.At(1, 1)), 200);
}

TEST(ImageFrames, StillImagesAndNoImage) {
  KeptImage png = KeptImage::Decode(qwtest::RgbStripPng());
  FrameInfo still = ReadFrameInfo(png.get(), false, true);
  EXPECT_EQ(still.frameCount, 1);
  EXPECT_EQ(still.delays, (std::vector<int>{10}));
  EXPECT_TRUE(ReadFrameInfo(png.get(), false, false).delays.empty());
  FrameInfo none = ReadFrameInfo(nullptr, true, true);
  EXPECT_EQ(none.frameCount, 0);
  EXPECT_TRUE(none.delays.empty());
  EXPECT_FALSE(SelectFrame(nullptr, 0));
}

TEST(ImageFrames, IconKeepsItsAlpha) {
  // A 16 x 16 icon with per-pixel alpha: left half opaque red, right half clear.
  BITMAPV5HEADER bh{};
  bh.bV5Size = sizeof bh;
  bh.bV5Width = 16;
  bh.bV5Height = -16;
  bh.bV5Planes = 1;
  bh.bV5BitCount = 32;
  bh.bV5Compression = BI_BITFIELDS;
  bh.bV5RedMask = 0x00FF0000;
  bh.bV5GreenMask = 0x0000FF00;
  bh.bV5BlueMask = 0x000000FF;
  bh.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&bh), DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  ASSERT_NE(color, nullptr);
  auto* px = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) px[y * 16 + x] = x < 8 ? 0xFFFF0000u : 0x00000000u;
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
  ICONINFO ii{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&ii);
  DeleteObject(color);
  DeleteObject(mask);
  ASSERT_NE(icon, nullptr);
  gp::Bitmap bmp = BitmapFromIcon(icon);
  DestroyIcon(icon);
  ASSERT_TRUE(bmp);
  EXPECT_EQ(ImageWidth(reinterpret_cast<Gdiplus::GpImage*>(bmp.get())), 16u);
  EXPECT_EQ(qwtest::BitmapPixel(bmp.get(), 2, 2), 0xFFFF0000u);
  EXPECT_EQ(AlphaOf(qwtest::BitmapPixel(bmp.get(), 12, 2)), 0);
  EXPECT_FALSE(BitmapFromIcon(nullptr));
}

TEST(CaptionGlyphs, CellsOfEveryKindAndState) {
  auto x = [](int kind, int state, bool max) { return GlyphCell(kind, state, max).X; };
  EXPECT_EQ(x(4, 0, false), 0);
  EXPECT_EQ(x(4, 1, false), 40);
  EXPECT_EQ(x(4, 2, false), 80);
  EXPECT_EQ(GlyphCell(4, 0, false).Width, 39);
  EXPECT_EQ(x(8, 0, false), 120);
  EXPECT_EQ(x(8, 1, false), 149);
  EXPECT_EQ(x(8, 2, false), 178);
  EXPECT_EQ(x(8, 0, true), 207);
  EXPECT_EQ(x(8, 1, true), 236);
  EXPECT_EQ(x(8, 2, true), 265);
  EXPECT_EQ(x(16, 0, false), 294);
  EXPECT_EQ(x(16, 2, true), 352);
  EXPECT_EQ(x(32, 1, false), 410);
  EXPECT_EQ(x(64, 0, false), 468);
  EXPECT_EQ(x(128, 2, false), 613);
  EXPECT_EQ(x(256, 0, false), 642);
  EXPECT_EQ(x(256, 2, false), 700);
  const auto cell = GlyphCell(16, 1, false);
  EXPECT_EQ(cell.Y, 2);
  EXPECT_EQ(cell.Width, 28);
  EXPECT_EQ(cell.Height, 19);
  EXPECT_EQ(x(4, 3, false), 0);
  EXPECT_EQ(x(16, -1, false), 294);
  EXPECT_EQ(GlyphCell(4, 7, false).Width, 0);
  EXPECT_EQ(GlyphCell(2, 0, false).Width, 0);
}

TEST(MenuLayout, HeightsWidthsAndSubmenus) {
  auto fixed = [](const std::wstring& t) { return static_cast<int>(t.size()) * 10; };
  UiMenu edit;
  edit.AddItem("剪切(&T)");
  edit.AddItem("复制(&C)");
  edit.AddItem("粘贴(&P)");
  edit.AddItem("", {}, 0, UiMenu::kSeparator);
  edit.AddItem("全部选择(&A)");
  MenuSize s = MeasureMenu(edit, fixed);
  EXPECT_EQ(s.height, 107);
  EXPECT_EQ(s.width, 8 * 10 + 50);  // widest caption + 50
  EXPECT_FALSE(s.hasSubmenus);

  edit.SetWidth(30);
  EXPECT_EQ(MeasureMenu(edit, fixed).width, 50);
  edit.SetWidth(200);
  EXPECT_EQ(MeasureMenu(edit, fixed).width, 200);

  UiMenu withSub, sub;
  withSub.AddItem("a");
  withSub.AddSubmenuItem("more", &sub);
  withSub.AddItem("hidden", {}, 5);
  MenuSize w = MeasureMenu(withSub, fixed);
  EXPECT_TRUE(w.hasSubmenus);
  EXPECT_EQ(w.height, 16 + 2 * 22);
  EXPECT_EQ(w.width, 40 + 50 + 15);
}

TEST(MenuLayout, PlacementStaysInTheWorkArea) {
  const RECT work{0, 0, 1024, 738};
  MenuSize size{120, 107, false};
  POINT p = PlaceTopLevelMenu({100, 100}, size, work);
  EXPECT_EQ(p.x, 100);
  EXPECT_EQ(p.y, 100);
  p = PlaceTopLevelMenu({1000, 700}, size, work);
  EXPECT_EQ(p.x, 1000 - 120);  // opens to the left of the point
  EXPECT_EQ(p.y, 700 - 107 + 5);  // and above it

  const RECT parent{100, 100, 220, 207};
  const RECT item{8, 30, 112, 52};
  SubmenuPlacement right = PlaceSubmenu(parent, item, size, work);
  EXPECT_FALSE(right.opensLeft);
  EXPECT_EQ(right.position.x, 210);
  EXPECT_EQ(right.position.y, 123);
  const RECT nearEdge{900, 650, 1020, 757};
  SubmenuPlacement left = PlaceSubmenu(nearEdge, item, size, work);
  EXPECT_TRUE(left.opensLeft);
  EXPECT_EQ(left.position.x, 900 - 120 + 10);
  EXPECT_EQ(left.position.y, 650 + 52 - 107 + 7);
}

// At 200 % the overlaps with the parent menu and the point are twice as
// many device pixels (the sizes given are already device pixels).
TEST(MenuLayout, OverlapsGrowWithTheDisplayScale) {
  const RECT work{0, 0, 2048, 1476};
  const MenuSize size{240, 214, false};
  POINT p = PlaceTopLevelMenu({2000, 1400}, size, work, 8);
  EXPECT_EQ(p.y, 1400 - 214 + 10);
  const RECT parent{200, 200, 440, 414};
  const RECT item{16, 60, 224, 104};
  SubmenuPlacement right = PlaceSubmenu(parent, item, size, work, 8);
  EXPECT_EQ(right.position.x, 440 - 20);
  EXPECT_EQ(right.position.y, 200 + 60 - 14);
  SubmenuPlacement atSix = PlaceSubmenu(parent, item, size, work, 6);
  EXPECT_EQ(atSix.position.x, 440 - 15);
  EXPECT_EQ(atSix.position.y, 200 + 60 - 11);  // 7 x 1.5 = 10.5, rounded half up
}
