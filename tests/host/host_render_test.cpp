// The rendering pipeline read back from the canvas: background, element
// compositing, partial redraws, presentation counts and resizing.
#include <gtest/gtest.h>

#include "tests/support/host_fixture.h"
#include "tests/support/test_png.h"
#include "ui/core/image.h"
#include "ui/host/draw_image.h"

using namespace ui;
using qwtest::ColorNear;
using qwtest::ColorText;
using qwtest::HostedWindow;
using qwtest::Recorder;

namespace {
constexpr Argb kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF008000, kYellow = 0xFFFFFF00;

// 100 x 80: left half red, right half blue.
Bytes HalfAndHalf() {
  return qwtest::MakeBmp(100, 80, [](int x, int) { return x < 50 ? 0xFF0000u : 0x0000FFu; });
}

#define EXPECT_PIXEL(w, x, y, colour)                                                   \
  EXPECT_TRUE(ColorNear((w).Canvas(x, y), colour, 4))                                   \
      << "at " << (x) << "," << (y) << ": " << ColorText((w).Canvas(x, y)) << " want " \
      << ColorText(colour)
}  // namespace

TEST(HostRender, BackgroundImageAndColourWhereTheyBelong) {
  Bytes image = HalfAndHalf();
  UiWindow::CreateOptions o = HostedWindow::Plain();
  o.image = image;
  HostedWindow w(200, 150, o);
  // Image at the inner top-left (5, 5), the body colour elsewhere.
  EXPECT_PIXEL(w, 30, 40, kRed);
  EXPECT_PIXEL(w, 80, 40, kBlue);
  EXPECT_PIXEL(w, 150, 100, kGreen);
  // The image's edges blend into the body colour.
  const Argb edge = w.Canvas(103, 40);
  EXPECT_FALSE(ColorNear(edge, kBlue, 4)) << ColorText(edge);
  // Outside the rounded-off body nothing is drawn.
  EXPECT_EQ(AlphaOf(w.Canvas(2, 2)), 0);

  // Without a colour the body takes the image's average colour.
  UiWindow::CreateOptions derived = HostedWindow::Plain();
  derived.image = image;
  derived.backgroundColor.reset();
  HostedWindow w2(200, 150, derived);
  EXPECT_EQ(w2.host.BackgroundColor(), RGB(127, 0, 127));
  EXPECT_PIXEL(w2, 150, 100, ArgbOf(255, 127, 0, 127));
}

// The average colour is worked out only when asked for: it is still the
// average of the image the host was given, whoever asks and whenever.
TEST(HostRender, AnImageFramesAverageColourHoldsWheneverAskedFor) {
  const Bytes image = HalfAndHalf();
  UiWindow::CreateOptions o = HostedWindow::Plain();
  o.image = image;
  o.frameMode = 1;
  o.backgroundColor.reset();

  // Asked for first by a host that inherits the look.
  HostedWindow lender(100, 80, o);
  UiWindow::CreateOptions borrowing = HostedWindow::Plain();
  borrowing.inheritFrom = lender.hwnd();
  HostedWindow borrower(100, 80, borrowing);
  EXPECT_EQ(borrower.host.BackgroundColor(), RGB(127, 0, 127));
  EXPECT_EQ(lender.host.BackgroundColor(), RGB(127, 0, 127));

  // Asked for first after bytes that do not decode replaced the image.
  HostedWindow replaced(100, 80, o);
  const Bytes garbage{1, 2, 3, 4, 5, 6, 7, 8};
  replaced.host.Redraw(garbage, std::nullopt, 0, false);
  EXPECT_EQ(replaced.host.BackgroundImage(), nullptr);
  EXPECT_EQ(replaced.host.BackgroundColor(), RGB(127, 0, 127));

  // Asked for first once the host has let its window go.
  HostedWindow detached(100, 80, o);
  detached.host.Detach();
  EXPECT_EQ(detached.host.BackgroundColor(), RGB(127, 0, 127));

  // A colour given with a new image wins over the image's average.
  HostedWindow coloured(100, 80, o);
  coloured.host.Redraw(image, RGB(1, 2, 3), 0, false);
  EXPECT_EQ(coloured.host.BackgroundColor(), RGB(1, 2, 3));
}

// An image frame at 100 % is composed without the platform's image
// drawing where that gives the same pixels: every canvas pixel must equal
// a GDI+ drawing of the decoded image onto a cleared premultiplied bitmap.
TEST(HostRender, AnImageFrameAtItsOwnSizeIsExactlyWhatGdiplusDraws) {
  struct Case {
    const char* name;
    int width, height;
    Bytes image;
  };
  const Case cases[] = {
      {"opaque", 120, 90, qwtest::MakePng(100, 70, [](int x, int y) { return 0xFF000000u | (x * 2u << 16) | (y * 3u << 8) | 77u; })},
      {"translucent", 120, 90, qwtest::MakePng(100, 70, [](int x, int y) { return ((x + y) % 256u) << 24 | 0x3366CCu; })},
      {"wider and taller than the window", 60, 40, qwtest::MakePng(100, 70, [](int x, int) { return 0xFF102030u + x; })},
  };
  for (const Case& c : cases) {
    UiWindow::CreateOptions o = HostedWindow::Plain();
    o.image = c.image;
    o.frameMode = 1;
    HostedWindow w(c.width, c.height, o);
    ASSERT_NE(w.host.BackgroundImage(), nullptr) << c.name;

    gp::Bitmap expected;
    ASSERT_TRUE(gp::Ok(gp::GdipCreateBitmapFromScan0(c.width, c.height, 0, PixelFormat32bppPARGB, nullptr,
                                                     expected.put())));
    {
      gp::Graphics g;
      gp::GdipGetImageGraphicsContext(expected.get(), g.put());
      gp::GdipGraphicsClear(g.get(), 0);
      Gdiplus::GpImage* image = w.host.BackgroundImage();
      gp::GdipDrawImageRect(g.get(), image, 0, 0, static_cast<float>(ImageWidth(image)),
                            static_cast<float>(ImageHeight(image)));
    }
    Gdiplus::Rect all(0, 0, c.width, c.height);
    Gdiplus::BitmapData data{};
    ASSERT_TRUE(gp::Ok(gp::GdipBitmapLockBits(expected.get(), &all, Gdiplus::ImageLockModeRead,
                                              PixelFormat32bppPARGB, &data)));
    int differing = 0;
    for (int y = 0; y < c.height; ++y) {
      const auto* row = reinterpret_cast<const Argb*>(static_cast<const BYTE*>(data.Scan0) + y * data.Stride);
      for (int x = 0; x < c.width; ++x) {
        if (w.Canvas(x, y) != row[x] && differing++ < 3)
          ADD_FAILURE() << c.name << " at " << x << "," << y << ": " << ColorText(w.Canvas(x, y)) << " want "
                        << ColorText(row[x]);
      }
    }
    gp::GdipBitmapUnlockBits(expected.get(), &data);
    EXPECT_EQ(differing, 0) << c.name;
  }
}

TEST(HostRender, ImageOnlyFrameWithNineGrid) {
  // 30 x 30: red corners 10 x 10, blue elsewhere.
  Bytes image = qwtest::MakeBmp(30, 30, [](int x, int y) {
    const bool corner = (x < 10 || x >= 20) && (y < 10 || y >= 20);
    return corner ? 0xFF0000u : 0x0000FFu;
  });
  UiWindow::CreateOptions o = HostedWindow::Plain();
  o.image = image;
  o.frameMode = 1;
  o.nineGrid = RECT{10, 10, 20, 20};
  HostedWindow w(120, 90, o);
  EXPECT_PIXEL(w, 2, 2, kRed);
  EXPECT_PIXEL(w, 117, 2, kRed);
  EXPECT_PIXEL(w, 117, 87, kRed);
  EXPECT_PIXEL(w, 12, 12, kBlue);   // the centre, stretched
  EXPECT_PIXEL(w, 60, 5, kBlue);    // the top edge, stretched along it
  EXPECT_PIXEL(w, 60, 45, kBlue);
}

TEST(HostRender, AHostInheritingAnotherDrawsTheLendersImageAndColour) {
  Bytes image = HalfAndHalf();
  UiWindow::CreateOptions lenderOptions = HostedWindow::Plain();
  lenderOptions.image = image;
  lenderOptions.backgroundColor = RGB(255, 255, 0);
  HostedWindow lender(200, 150, lenderOptions);
  UiWindow::CreateOptions o = HostedWindow::Plain();  // its own colour: green, no image
  o.inheritFrom = lender.hwnd();
  HostedWindow borrower(200, 150, o);
  EXPECT_EQ(borrower.host.BackgroundImage(), lender.host.BackgroundImage());
  EXPECT_EQ(borrower.host.BackgroundColor(), RGB(255, 255, 0));
  EXPECT_PIXEL(borrower, 30, 40, kRed);
  EXPECT_PIXEL(borrower, 80, 40, kBlue);
  EXPECT_PIXEL(borrower, 150, 100, kYellow);
  // Once the lender is gone the borrower draws its own (empty) background
  // in the colour it last had.
  lender.host.Detach();
  EXPECT_EQ(borrower.host.BackgroundImage(), nullptr);
  borrower.host.Redraw();
  EXPECT_PIXEL(borrower, 30, 40, kYellow);
}

TEST(HostRender, ElementsAreCompositedAtTheirBoundsWithTheirOpacity) {
  HostedWindow w;
  Recorder e(kYellow);
  e.Make(w.hwnd(), 120, 20, 40, 30);
  w.Settle();
  EXPECT_PIXEL(w, 130, 30, kYellow);
  EXPECT_PIXEL(w, 115, 30, kGreen);
  e.Opacity(128);
  w.Settle();
  EXPECT_PIXEL(w, 130, 30, ArgbOf(255, 128, 192, 0));
  e.Opacity(255);
  e.Disabled(true);
  w.Settle();
  // A disabled element whose class does not answer the look query: half alpha.
  EXPECT_PIXEL(w, 130, 30, ArgbOf(255, 127, 191, 0));
  e.answers[ev::kDisabledLook] = 0;
  e.Refresh();
  w.Settle();
  EXPECT_PIXEL(w, 130, 30, kYellow);
}

// A one-pixel element is its pixel stretched over its bounds (GDI+ softens
// it towards the clear edge around the pixel); a clear one
// (a stand-in for screen readers, enabled or not) leaves the body as it
// is, while its children are drawn.
TEST(HostRender, OnePixelElementsStretchTheirPixelAndClearOnesOnlyTheirChildren) {
  HostedWindow w;
  Recorder solid(kRed), clear(0), disabledClear(0), child(kYellow);
  solid.Make(w.hwnd(), 10, 10, 40, 20, true, kind::kNoBitmap);
  clear.Make(w.hwnd(), 60, 10, 60, 40, true, kind::kNoBitmap);
  child.Make(clear, 70, 20, 20, 10);
  disabledClear.Make(w.hwnd(), 130, 10, 40, 20, true, kind::kNoBitmap);
  disabledClear.Disabled(true);
  w.Settle();
  EXPECT_GT((w.Canvas(30, 20) >> 16) & 0xFF, 0x30u) << "the red pixel is drawn";
  EXPECT_PIXEL(w, 65, 45, kGreen);
  EXPECT_PIXEL(w, 80, 25, kYellow);
  EXPECT_PIXEL(w, 150, 20, kGreen);
}

TEST(HostRender, ChildrenAreClippedToTheirParent) {
  HostedWindow w;
  Recorder p(kYellow), c(kRed);
  p.Make(w.hwnd(), 20, 20, 40, 40);
  c.Make(p, 50, 30, 40, 10);  // sticks out to the right
  w.host.Redraw({}, std::nullopt, 0, false);
  EXPECT_PIXEL(w, 55, 35, kRed);
  EXPECT_PIXEL(w, 70, 35, kGreen);
  c.Refresh();
  w.Settle();
  EXPECT_PIXEL(w, 55, 35, kRed);
  EXPECT_PIXEL(w, 70, 35, kGreen);
}

TEST(HostRender, PartialRedrawRepaintsOnlyOverlappingElements) {
  HostedWindow w;
  Recorder a(kYellow), b(kYellow);
  a.Make(w.hwnd(), 20, 20, 30, 30);
  b.Make(w.hwnd(), 120, 20, 30, 30);
  w.Settle();
  // Change both bitmaps behind the host's back.
  gp::GdipGraphicsClear(a.Graphics(), kRed);
  gp::GdipGraphicsClear(b.Graphics(), kRed);
  w.host.RedrawRect(a.Bounds(), false);
  EXPECT_PIXEL(w, 30, 30, kRed);
  EXPECT_PIXEL(w, 130, 30, kYellow);
  // Hiding restores the background under the element.
  b.Visible(false);
  w.Settle();
  EXPECT_PIXEL(w, 130, 30, kGreen);
  // Nothing while the host is busy.
  b.Visible(true);
  w.host.SetBusy(true);
  w.host.RedrawRect(b.Bounds(), true);
  EXPECT_PIXEL(w, 130, 30, kGreen);
  w.host.SetBusy(false);
  w.Settle();
}

TEST(HostRender, OrdinaryWindowPresentsEachRectangleLayeredOncePerFlush) {
  for (bool layered : {false, true}) {
    UiWindow::CreateOptions o = HostedWindow::Plain();
    if (layered) o.windowAlpha = 255;
    HostedWindow w(200, 150, o);
    Recorder trigger(kYellow);
    trigger.Make(w.hwnd(), 20, 20, 10, 10);
    trigger.Disabled(true);
    w.Settle();
    // While the first rectangle is repaired, two more are queued.
    bool queued = false;
    trigger.onEvent = [&](UINT m) {
      if (m != ev::kDisabledLook || queued) return;
      queued = true;
      w.host.InvalidateRect(RectF{60, 60, 10, 10}, 0);
      w.host.InvalidateRect(RectF{100, 60, 10, 10}, 0);
    };
    w.host.ResetPresentCountForTest();
    w.host.InvalidateRect(trigger.Bounds(), 0);
    EXPECT_TRUE(queued);
    EXPECT_EQ(w.host.PresentCountForTest(), layered ? 1 : 3) << (layered ? "layered" : "ordinary");
  }
}

TEST(HostRender, RedrawModes) {
  HostedWindow w;
  Recorder e(kYellow), hidden(kYellow);
  e.Make(w.hwnd(), 20, 20, 10, 10);
  hidden.Make(w.hwnd(), 40, 20, 10, 10, false);
  w.Settle();
  int backgrounds = 0;
  w.host.SetOnPaintBackground([&](HWND h, Gdiplus::GpGraphics* g, int width, int height) {
    ++backgrounds;
    EXPECT_EQ(h, w.hwnd());
    EXPECT_EQ(g, w.host.CanvasGraphics());
    EXPECT_EQ(width, 200);
    EXPECT_EQ(height, 150);
  });
  e.ClearLog();
  w.host.ResetPresentCountForTest();
  w.host.Redraw({}, RGB(0, 0, 255), -1, false);
  EXPECT_EQ(w.host.PresentCountForTest(), 0);
  EXPECT_PIXEL(w, 150, 100, kBlue);
  EXPECT_EQ(backgrounds, 1);
  EXPECT_EQ(e.Count(ev::kWindowShown), 1);
  EXPECT_EQ(hidden.Count(ev::kWindowShown), 0);
  w.host.Redraw({}, std::nullopt, 0, true);
  EXPECT_EQ(w.host.PresentCountForTest(), 1);
  EXPECT_EQ(e.Count(ev::kWindowShown), 1);  // kept elements are not told
}

TEST(HostRender, FadeRedrawBlocksUntilTheFifthTick) {
  HostedWindow w;
  w.host.Redraw({}, RGB(255, 0, 0), 1, false);
  EXPECT_TRUE(w.host.Busy());
  const DWORD start = GetTickCount();
  ASSERT_TRUE(qwtest::PumpUntil([&] { return !w.host.Busy(); }, 5000));
  EXPECT_GE(GetTickCount() - start, 180u);
  EXPECT_PIXEL(w, 150, 100, kRed);
}

TEST(HostRender, ResizeToTheSameSizeDoesNothing) {
  HostedWindow w;
  std::vector<SIZE> sizes;
  w.host.SetOnResize([&](HWND, int cx, int cy) { sizes.push_back(SIZE{cx, cy}); });
  w.host.ResetPresentCountForTest();
  SendMessageW(w.hwnd(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 150));
  EXPECT_TRUE(sizes.empty());
  EXPECT_EQ(w.host.PresentCountForTest(), 0);
  SetWindowPos(w.hwnd(), nullptr, 0, 0, 260, 170, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(sizes[0].cx, 260);
  EXPECT_EQ(sizes[0].cy, 170);
  EXPECT_EQ(w.host.ClientSize().cx, 260);
  EXPECT_PIXEL(w, 240, 150, kGreen);
  EXPECT_EQ(w.host.PresentCountForTest(), 1);
}

TEST(HostRender, LayeredBodyCarriesTheWindowAlpha) {
  UiWindow::CreateOptions o = HostedWindow::Plain();
  o.windowAlpha = 200;
  HostedWindow w(200, 150, o);
  EXPECT_TRUE(GetWindowLongPtrW(w.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
  const Argb body = w.Canvas(100, 100);
  EXPECT_NEAR(AlphaOf(body), 200, 3) << ColorText(body);
  // The shadow ring just outside the body.
  EXPECT_GT(AlphaOf(w.Canvas(4, 70)), 0);
}

// A partial redraw draws only the part of each bitmap inside the repaired
// area; the pixels must be exactly those of a full redraw, for opaque and
// translucent elements, children, areas with fractional edges and areas
// that cut elements in two.
TEST(HostRender, PartialRedrawMatchesTheFullRedrawPixelForPixel) {
  HostedWindow w;
  Recorder opaque(kYellow), translucent(kRed), parent(kBlue), child(kYellow);
  opaque.Make(w.hwnd(), 10, 10, 60, 40);
  translucent.Make(w.hwnd(), 40, 30, 70, 50);
  translucent.Opacity(140);
  parent.Make(w.hwnd(), 120, 60, 60, 60);
  child.Make(parent, 20, 20, 30, 70);  // sticks out below its parent
  w.host.Redraw({}, std::nullopt, 0, true);
  std::vector<Argb> full;
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 200; ++x) full.push_back(w.Canvas(x, y));

  for (RectF area : {RectF{25.5f, 18.25f, 50.5f, 40.75f}, RectF{0, 0, 200, 150}, RectF{130, 75, 12, 9},
                     RectF{45, 35, 1, 1}}) {
    w.host.RedrawRect(area, false);
    int differing = 0;
    for (int y = 0; y < 150; ++y)
      for (int x = 0; x < 200; ++x)
        if (w.Canvas(x, y) != full[y * 200 + x]) ++differing;
    EXPECT_EQ(differing, 0) << "area " << area.x << "," << area.y << " " << area.width << "x" << area.height;
  }
}

// The part of an element bitmap a partial redraw copies. 0.1f + 4.9f is
// 5.0000001 before it is rounded to single precision and exactly 5 after:
// both trees round every step to float, so the area's right edge, 1 pixel
// into an image placed at x = 4, ends the part at column 1, never at
// column 2 as with the x87 unit's extended precision.
TEST(HostRender, ImagePartEdgesFollowSinglePrecisionArithmetic) {
  const RectF part = ImagePartWithin(10, 10, RectF{4, 0, 10, 10}, RectF{0.1f, 0.5f, 4.9f, 2.0f});
  EXPECT_EQ(part, (RectF{0, 0, 1, 3}));
  // Whole-pixel areas map exactly; areas outside the image give nothing.
  EXPECT_EQ(ImagePartWithin(10, 10, RectF{3, 2, 10, 10}, RectF{4, 3, 2, 2}), (RectF{1, 1, 2, 2}));
  EXPECT_EQ(ImagePartWithin(10, 10, RectF{3, 2, 10, 10}, RectF{20, 3, 2, 2}).width, 0.0f);
}
