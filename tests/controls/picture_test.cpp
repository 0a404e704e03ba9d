// UiPicture: frame timing of animated GIFs (observed through the armed
// timer period and the frame shown), still images, icons, layouts and
// animated image changes.
#include <gtest/gtest.h>

#include "tests/controls/control_test_util.h"
#include "tests/support/test_images.h"
#include "ui/element/picture.h"
#include "ui/host/window.h"
#include "ui/platform/gdi_handles.h"

using namespace ui;
using ctltest::IsBlue;
using ctltest::IsLime;
using ctltest::IsRed;
using ctltest::Px;
using qwtest::HostedWindow;

namespace {

PictureOptions Playing() {
  PictureOptions o;
  o.animate = true;
  o.fixZeroDelays = true;
  return o;
}

bool IsEmpty(const UiElement& e) {
  for (int y = 0; y < e.Height(); ++y)
    for (int x = 0; x < e.Width(); ++x)
      if (AlphaOf(Px(e, x, y)) != 0) return false;
  return true;
}

// A 16 x 16 icon whose pixels are blue at alpha 128.
HICON HalfTransparentIcon() {
  BITMAPV5HEADER h{};
  h.bV5Size = sizeof h;
  h.bV5Width = 16;
  h.bV5Height = -16;
  h.bV5Planes = 1;
  h.bV5BitCount = 32;
  h.bV5Compression = BI_BITFIELDS;
  h.bV5RedMask = 0x00FF0000;
  h.bV5GreenMask = 0x0000FF00;
  h.bV5BlueMask = 0x000000FF;
  h.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  gdi::WindowDc screen(nullptr);
  gdi::Bitmap colour(CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&h), DIB_RGB_COLORS, &bits,
                                      nullptr, 0));
  if (!colour || !bits) return nullptr;
  auto* px = static_cast<std::uint32_t*>(bits);
  for (int i = 0; i < 16 * 16; ++i) px[i] = 0x800000FF;  // blue at alpha 128 (icons hold straight alpha)
  gdi::Bitmap mask(CreateBitmap(16, 16, 1, 1, nullptr));
  ICONINFO ii{TRUE, 0, 0, mask.get(), colour.get()};
  return CreateIconIndirect(&ii);
}

}  // namespace

TEST(Picture, GifFramesStayForTheirOwnDelays) {
  HostedWindow w;
  UiPicture p;
  ASSERT_NE(p.Create(w.hwnd(), 10, 10, 20, 20, qwtest::ThreeFrameGif(), Playing()), 0u);
  EXPECT_EQ(p.Kind(), kind::kPicture);
  EXPECT_EQ(p.FrameCount(), 3);
  EXPECT_EQ(p.FrameDelays(), (std::vector<int>{10, 20, 10}));
  // Frame 1 (red) for 100 ms, frame 2 (lime) for 200 ms, frame 3 (blue) for 100 ms, and round again.
  EXPECT_EQ(p.ShownFrame(), 1);
  EXPECT_EQ(p.FrameTimerPeriod(), 100u);
  EXPECT_TRUE(IsRed(Px(p, 10, 10)));
  ASSERT_TRUE(qwtest::PumpUntil([&] { return p.ShownFrame() == 2; }, 10000));
  EXPECT_EQ(p.FrameTimerPeriod(), 200u);
  EXPECT_TRUE(IsLime(Px(p, 10, 10)));
  ASSERT_TRUE(qwtest::PumpUntil([&] { return p.ShownFrame() == 3; }, 10000));
  EXPECT_EQ(p.FrameTimerPeriod(), 100u);
  EXPECT_TRUE(IsBlue(Px(p, 10, 10)));
  ASSERT_TRUE(qwtest::PumpUntil([&] { return p.ShownFrame() == 1; }, 10000));
  EXPECT_EQ(p.FrameTimerPeriod(), 100u);
  EXPECT_TRUE(IsRed(Px(p, 10, 10)));
  // The canvas follows.
  ASSERT_TRUE(qwtest::PumpUntil([&] { return IsLime(w.Canvas(20, 20)); }, 10000));
}

TEST(Picture, WithoutFixedDelaysTheZeroDelayStays) {
  HostedWindow w;
  UiPicture p;
  PictureOptions o = Playing();
  o.fixZeroDelays = false;
  p.Create(w.hwnd(), 10, 10, 20, 20, qwtest::ThreeFrameGif(), o);
  EXPECT_EQ(p.FrameDelays(), (std::vector<int>{10, 20, 0}));
}

TEST(Picture, AnimateOffShowsFrameOneAndTheFirstTickKillsTheTimer) {
  HostedWindow w;
  UiPicture p;
  PictureOptions o = Playing();
  o.animate = false;
  p.Create(w.hwnd(), 10, 10, 20, 20, qwtest::ThreeFrameGif(), o);
  EXPECT_EQ(p.ShownFrame(), 1);
  EXPECT_EQ(p.FrameTimerPeriod(), 100u);  // armed once anyway
  int ticks = 0;
  p.BindEvent(WM_TIMER, [&](const ElementEvent&) { ++ticks; });
  ASSERT_TRUE(qwtest::PumpUntil([&] { return p.FrameTimerPeriod() == 0; }, 10000));
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(p.ShownFrame(), 1);
  EXPECT_EQ(p.CurrentFrame(), 1);
  EXPECT_TRUE(IsRed(Px(p, 10, 10)));
  // Switching it on plays from frame 1.
  p.Animate(true);
  ASSERT_TRUE(qwtest::PumpUntil([&] { return p.ShownFrame() == 2; }, 10000));
}

TEST(Picture, StillPngHasOneFrameAndNoTimer) {
  HostedWindow w;
  UiPicture p;
  PictureOptions o;
  o.animate = true;
  o.imageLayout = picture_layout::kOwnSize;
  p.Create(w.hwnd(), 10, 10, 20, 20, qwtest::RgbStripPng(), o);
  EXPECT_EQ(p.FrameCount(), 1);
  EXPECT_EQ(p.FrameDelays(), (std::vector<int>{10}));
  EXPECT_EQ(p.FrameTimerPeriod(), 0u);
  // Rows red, green, blue at their own size; column 3 white at alpha 128.
  EXPECT_TRUE(IsRed(Px(p, 0, 0)));
  EXPECT_TRUE(IsBlue(Px(p, 2, 2)));
  EXPECT_NEAR(static_cast<int>(AlphaOf(Px(p, 3, 1))), 128, 3);
  EXPECT_EQ(AlphaOf(Px(p, 5, 5)), 0);
  p.Repaint();
  EXPECT_EQ(p.FrameTimerPeriod(), 0u);
}

TEST(Picture, UndecodableBytesDrawNothing) {
  HostedWindow w;
  UiPicture p;
  const Bytes junk{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
  PictureOptions o = Playing();
  o.backColor = 0xFEFF0000;
  o.borderStyle = 3;
  ASSERT_NE(p.Create(w.hwnd(), 10, 10, 20, 20, junk, o), 0u);
  EXPECT_EQ(p.FrameCount(), 0);
  EXPECT_EQ(p.CurrentFrame(), 0);
  EXPECT_EQ(p.Image(), nullptr);
  EXPECT_TRUE(IsEmpty(p));
  EXPECT_EQ(p.FrameTimerPeriod(), 0u);
  // Replacing a shown image by junk clears it instead of keeping the old look.
  p.SetImage(qwtest::RgbStripPng());
  EXPECT_FALSE(IsEmpty(p));
  p.SetImage(junk);
  EXPECT_TRUE(IsEmpty(p));
}

TEST(Picture, LayoutsBackColourAndBorder) {
  HostedWindow w;
  UiPicture p;
  PictureOptions o;
  o.imageLayout = picture_layout::kCentred;
  o.backColor = 0xFE00FF00;
  p.Create(w.hwnd(), 10, 10, 20, 20, qwtest::RgbStripPng(), o);
  // A 4 x 3 image centred in 20 x 20 starts at (8, 8).
  EXPECT_TRUE(IsRed(Px(p, 8, 8)));
  EXPECT_TRUE(IsBlue(Px(p, 9, 10)));
  EXPECT_TRUE(IsLime(Px(p, 7, 8)));    // back colour around it
  EXPECT_EQ(AlphaOf(Px(p, 19, 19)), 0);  // the back colour leaves the last row and column
  EXPECT_TRUE(IsLime(Px(p, 18, 18)));

  // 10 x 30: bands of red, lime and blue, 10 rows each, stretched twice.
  const Bytes bands = qwtest::MakeBmp(10, 30, [](int, int y) { return y < 10 ? 0xFF0000u : y < 20 ? 0x00FF00u : 0x0000FFu; });
  UiPicture stretched;
  stretched.Create(w.hwnd(), 40, 10, 20, 60, bands);  // layout 1 by default
  EXPECT_TRUE(IsRed(Px(stretched, 10, 8))) << qwtest::ColorText(Px(stretched, 10, 8));
  EXPECT_TRUE(IsLime(Px(stretched, 10, 30)));
  EXPECT_TRUE(IsBlue(Px(stretched, 10, 52)));

  UiPicture framed;
  PictureOptions f;
  f.borderStyle = 0xFEFF0000;
  framed.Create(w.hwnd(), 90, 10, 20, 20, qwtest::RgbStripPng(), f);
  EXPECT_TRUE(IsRed(Px(framed, 10, 19)));
  EXPECT_TRUE(IsBlue(Px(framed, 10, 18)));
}

TEST(Picture, NineGridLayout) {
  HostedWindow w;
  const Bytes framed = qwtest::MakeBmp(12, 12, [](int x, int y) {
    return (x < 3 || y < 3 || x >= 9 || y >= 9) ? 0x0000FFu : 0xFF0000u;
  });
  UiPicture p;
  PictureOptions o;
  o.imageLayout = picture_layout::kNineGrid;
  o.margins = RECT{3, 3, 9, 9};
  p.Create(w.hwnd(), 10, 10, 60, 40, framed, o);
  EXPECT_TRUE(IsBlue(Px(p, 1, 20)));
  EXPECT_TRUE(IsBlue(Px(p, 58, 20)));
  EXPECT_TRUE(IsRed(Px(p, 30, 20)));
  EXPECT_TRUE(IsRed(Px(p, 10, 25)));
  EXPECT_TRUE(IsBlue(Px(p, 30, 39)));
  // Empty margins: own size at (0, 0).
  UiPicture own;
  PictureOptions e;
  e.imageLayout = picture_layout::kNineGrid;
  own.Create(w.hwnd(), 80, 10, 60, 40, framed, e);
  EXPECT_TRUE(IsRed(Px(own, 5, 5)));
  EXPECT_EQ(AlphaOf(Px(own, 20, 20)), 0);
}

TEST(Picture, IconKeepsItsAlpha) {
  HostedWindow w;
  gdi::Icon icon(HalfTransparentIcon());
  ASSERT_TRUE(icon);
  UiPicture p;
  IconPictureOptions o;
  o.imageLayout = picture_layout::kOwnSize;
  ASSERT_NE(p.CreateFromIcon(w.hwnd(), 11, 11, 16, 16, icon.get(), o), 0u);
  EXPECT_EQ(p.FrameCount(), 1);
  EXPECT_EQ(p.FrameDelays(), (std::vector<int>{10}));
  EXPECT_FALSE(p.Animate());
  const Argb c = Px(p, 8, 8);
  EXPECT_NEAR(static_cast<int>(AlphaOf(c)), 128, 3) << qwtest::ColorText(c);
  EXPECT_GT(BlueOf(c), 240) << qwtest::ColorText(c);
  // As the host's caption icon: not focusable, tagged, moved.
  p.Focusable(false);
  p.Tag("icon");
  p.SetBounds(20, 12, std::nullopt, std::nullopt);
  EXPECT_EQ(p.Left(), 20);
  EXPECT_EQ(p.Tag(), "icon");
  EXPECT_NEAR(static_cast<int>(AlphaOf(Px(p, 8, 8))), 128, 3);
}

TEST(Picture, ImageChangeWithAnEffectHoldsTheFramesUntilItEnds) {
  HostedWindow w;
  UiPicture p;
  p.Create(w.hwnd(), 10, 10, 20, 20, qwtest::RgbStripPng(), Playing());
  int finished = 0, ticksDuringChange = 0;
  std::vector<int> framesDuringChange;
  p.BindEvent(ev::kTransitionFinished, [&](const ElementEvent&) { ++finished; });
  p.BindEvent(WM_TIMER, [&](const ElementEvent&) {
    if (p.ChangeEffect() != -1) {
      ++ticksDuringChange;
      framesDuringChange.push_back(p.ShownFrame());
    }
  });
  p.SetImage(qwtest::ThreeFrameGif(), /*effect=*/0, /*steps=*/5, /*interval=*/60);
  EXPECT_EQ(p.ChangeEffect(), 0);
  EXPECT_TRUE(p.TransitionRunning());
  EXPECT_EQ(p.Transition(), 5);
  EXPECT_EQ(p.FrameTimerPeriod(), 100u);  // frame timer (handle) beside the transition (handle + 1)
  ASSERT_TRUE(qwtest::PumpUntil([&] { return finished == 1; }, 10000));
  EXPECT_GE(ticksDuringChange, 1);  // 300 ms of change against a 100 ms frame
  for (int f : framesDuringChange) EXPECT_EQ(f, 1);
  EXPECT_EQ(p.ChangeEffect(), -1);
  EXPECT_EQ(p.Transition(), 0);
  ASSERT_TRUE(qwtest::PumpUntil([&] { return p.ShownFrame() == 2; }, 10000));
}

TEST(Picture, DisabledPictureOnlyCountsFrames) {
  HostedWindow w;
  UiPicture p;
  p.Create(w.hwnd(), 10, 10, 20, 20, qwtest::ThreeFrameGif(), Playing());
  p.Disabled(true);
  const int shown = p.ShownFrame();
  const int next = p.CurrentFrame();
  ASSERT_TRUE(qwtest::PumpUntil([&] { return p.CurrentFrame() >= next + 2; }, 10000));
  EXPECT_EQ(p.ShownFrame(), shown);
  p.Disabled(false);
  p.Repaint();
  EXPECT_GE(p.ShownFrame(), 1);
  EXPECT_LE(p.ShownFrame(), 3);
}

TEST(Picture, DestroyStopsTheFrameTimer) {
  HostedWindow w;
  auto p = std::make_unique<UiPicture>();
  p->Create(w.hwnd(), 10, 10, 20, 20, qwtest::ThreeFrameGif(), Playing());
  p->Animate(false);  // the timer is still armed until its next tick
  p->Destroy();
  EXPECT_EQ(p->FrameTimerPeriod(), 0u);
  EXPECT_TRUE(p->ImageBytes().empty());
  auto q = std::make_unique<UiPicture>();
  q->Create(w.hwnd(), 10, 10, 20, 20, qwtest::ThreeFrameGif(), Playing());
  q.reset();  // destroyed while playing
  qwtest::PumpFor(250);  // a tick for a dead picture would crash
  SUCCEED();
}
