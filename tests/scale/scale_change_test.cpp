// A hosted window taken to another DPI with WM_DPICHANGED: the window's new
// size, each element rebuilt once with a device-sized bitmap, the canvas
// composed at the new scale, and 100 % giving the very same pixels as a
// window that never changed.
#include <gtest/gtest.h>

#include <vector>

#include "tests/controls/control_test_util.h"
#include "tests/scale/scale_support.h"
#include "tests/support/host_fixture.h"
#include "ui/controls/edit.h"
#include "ui/controls/progress_bar.h"
#include "ui/controls/scroll_bar.h"
#include "ui/element/button.h"
#include "ui/element/label.h"
#include "ui/element/picture.h"

using namespace ui;
using qwtest::HostedWindow;
using qwtest::Recorder;
using scaletest::BitmapSize;
using scaletest::ChangeDpi;
using scaletest::DevicePoint;
using scaletest::EventCounter;
using scaletest::WindowSize;

namespace {

constexpr Argb kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kYellow = 0xFFFFFF00;
constexpr Argb kWindowGreen = 0xFF008000;  // HostedWindow::Plain's background

bool SameSize(SIZE a, LONG w, LONG h) { return a.cx == w && a.cy == h; }

struct Recorded {
  Recorder* r;
  LONG w, h;  // logical size
};

}  // namespace

TEST(ScaleChange, WindowGrowsAndEveryElementIsRebuiltOnceAtDeviceSize) {
  HostedWindow w(588, 438);
  Recorder a(kRed), b(kBlue), child(kYellow), hidden(kBlue);
  a.Make(w.hwnd(), 10, 10, 100, 50);
  b.Make(w.hwnd(), 300, 200, 41, 27);
  child.Make(a, 20, 20, 30, 21);
  hidden.Make(w.hwnd(), 400, 20, 33, 33, false);
  int resizedW = 0, resizedH = 0;
  w.host.SetOnResize([&](HWND, int cx, int cy) {
    resizedW = cx;
    resizedH = cy;
  });
  const std::vector<Recorded> all{{&a, 100, 50}, {&b, 41, 27}, {&child, 30, 21}, {&hidden, 33, 33}};
  const RECT before = scaletest::WindowRect(w.hwnd());

  const struct {
    UINT dpi;
    int quarters;
    LONG width, height;
  } steps[] = {{144, 6, 882, 657}, {192, 8, 1176, 876}, {120, 5, 735, 548}, {96, 4, 588, 438}};
  int previous = 4;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.dpi);
    for (const Recorded& e : all) e.r->ClearLog();
    ChangeDpi(w.hwnd(), step.dpi);
    w.Settle();
    EXPECT_EQ(w.host.Scale().Quarters(), step.quarters);
    EXPECT_TRUE(SameSize(WindowSize(w.hwnd()), step.width, step.height))
        << WindowSize(w.hwnd()).cx << " x " << WindowSize(w.hwnd()).cy;
    EXPECT_TRUE(SameSize(w.host.ClientSize(), step.width, step.height));
    EXPECT_TRUE(SameSize(w.host.LogicalSize(), 588, 438));
    // The top-left corner stays where it was.
    EXPECT_EQ(scaletest::WindowRect(w.hwnd()).left, before.left);
    EXPECT_EQ(scaletest::WindowRect(w.hwnd()).top, before.top);
    // The application lays out in logical pixels.
    EXPECT_EQ(resizedW, 588);
    EXPECT_EQ(resizedH, 438);
    for (const Recorded& e : all) {
      EXPECT_EQ(e.r->Count(ev::kScaleChanged), 1);
      EXPECT_EQ(e.r->Count(ev::kPaint), 1) << "one paint per element, however many elements";
      const SIZE bitmap = BitmapSize(*e.r);
      EXPECT_EQ(bitmap.cx, w.host.Scale().ToDevice(static_cast<int>(e.w)));
      EXPECT_EQ(bitmap.cy, w.host.Scale().ToDevice(static_cast<int>(e.h)));
      // Elements keep their logical bounds.
      EXPECT_EQ(e.r->Width(), e.w);
      EXPECT_EQ(e.r->Height(), e.h);
    }
    for (const auto& ev : a.log) {
      if (ev.message != ev::kScaleChanged) continue;
      EXPECT_EQ(ev.wParam, static_cast<WPARAM>(step.quarters));
      EXPECT_EQ(ev.lParam, previous);
    }
    previous = step.quarters;
  }
}

TEST(ScaleChange, TheCanvasShowsEachElementAtItsScaledPlace) {
  HostedWindow w(588, 438);
  Recorder a(kRed), child(kYellow);
  a.Make(w.hwnd(), 10, 10, 100, 50);
  child.Make(a, 20, 20, 30, 20);
  for (UINT dpi : {144u, 192u}) {
    SCOPED_TRACE(dpi);
    ChangeDpi(w.hwnd(), dpi);
    w.Settle();
    const DisplayScale s = w.host.Scale();
    auto at = [&](float x, float y) {
      const POINT p = DevicePoint(w.host, x, y);
      return w.Canvas(p.x, p.y);
    };
    EXPECT_TRUE(qwtest::ColorNear(at(80, 40), kRed)) << qwtest::ColorText(at(80, 40));
    EXPECT_TRUE(qwtest::ColorNear(at(35, 30), kYellow)) << qwtest::ColorText(at(35, 30));
    EXPECT_TRUE(qwtest::ColorNear(at(300, 300), kWindowGreen)) << qwtest::ColorText(at(300, 300));
    // Device pixels that lie outside the element at 100 % show it now.
    EXPECT_TRUE(qwtest::ColorNear(w.Canvas(s.ToDevice(109) - 1, s.ToDevice(59) - 1), kRed));
    EXPECT_TRUE(qwtest::ColorNear(w.Canvas(130, 70), kRed));
    // ... and just past its scaled edge the background shows again.
    EXPECT_TRUE(qwtest::ColorNear(w.Canvas(s.ToDevice(110) + 1, s.ToDevice(30)), kWindowGreen));
    EXPECT_TRUE(qwtest::ColorNear(w.Canvas(s.ToDevice(60), s.ToDevice(60) + 1), kWindowGreen));
    // A repaint after the change lands at the scaled place too.
    a.Fill(kBlue);
    w.Settle();
    EXPECT_TRUE(qwtest::ColorNear(at(80, 40), kBlue)) << qwtest::ColorText(at(80, 40));
    EXPECT_TRUE(qwtest::ColorNear(at(35, 30), kYellow)) << "the child stays above its parent";
    a.Fill(kRed);
    w.Settle();
  }
}

TEST(ScaleChange, ControlsAreRebuiltOnceAndDrawAtDeviceSize) {
  HostedWindow w(400, 300);
  const Bytes red = ctltest::SolidBmp(40, 30, 0xFF0000);
  UiLabel label;
  UiButton button;
  UiPicture picture;
  UiProgressBar progress;
  UiScrollBar scroll;
  UiEdit edit;
  label.Create(w.hwnd(), 10, 10, 120, 24, "极速安装");
  button.Create(w.hwnd(), 10, 40, 80, 28, "安装");
  picture.Create(w.hwnd(), 150, 10, 40, 30, red);
  ProgressBarOptions po;
  po.position = 50;
  progress.Create(w.hwnd(), 10, 80, 200, 12, po);
  UiScrollBar::Options so;
  so.orientation = UiScrollBar::kVertical;
  scroll.Create(w.hwnd(), 250, 10, 10, 100, so);
  UiEdit::Options eo;
  eo.text = "abc";
  edit.Create(w.hwnd(), 10, 120, 200, 60, eo);
  w.Settle();
  std::vector<UiElement*> elements{&label, &button, &picture, &progress, &scroll, &edit};
  for (UiElement* child = edit.FirstChild(); child; child = child->NextSibling()) elements.push_back(child);

  std::vector<EventCounter> scaled, painted;
  for (UiElement* e : elements) {
    scaled.emplace_back(*e, ev::kScaleChanged);
    painted.emplace_back(*e, ev::kPaint);
  }
  ChangeDpi(w.hwnd(), 144);
  w.Settle();
  for (size_t i = 0; i < elements.size(); ++i) {
    UiElement* e = elements[i];
    SCOPED_TRACE(testing::Message() << "element " << i << " kind " << e->Kind());
    EXPECT_EQ(scaled[i].count(), 1);
    EXPECT_EQ(painted[i].count(), 1);
    if (e->Kind() == kind::kNoBitmap) continue;
    const SIZE bitmap = BitmapSize(*e);
    EXPECT_EQ(bitmap.cx, w.host.Scale().SurfaceLength(e->Bounds().width));
    EXPECT_EQ(bitmap.cy, w.host.Scale().SurfaceLength(e->Bounds().height));
  }
  // The picture's red fills its whole device rectangle on the canvas.
  const RECT p = w.host.Scale().ToDevice(picture.Bounds());
  for (POINT at : {POINT{p.left + 1, p.top + 1}, POINT{p.right - 2, p.bottom - 2}, POINT{(p.left + p.right) / 2, p.top + 2}})
    EXPECT_TRUE(ctltest::IsRed(w.Canvas(at.x, at.y))) << at.x << "," << at.y << " " << qwtest::ColorText(w.Canvas(at.x, at.y));
  // The label's text shows within its scaled rectangle (dark pixels there).
  const RECT l = w.host.Scale().ToDevice(label.Bounds());
  int dark = 0;
  for (int y = l.top; y < l.bottom; ++y)
    for (int x = l.left; x < l.right; ++x)
      if (RedOf(w.Canvas(x, y)) < 60 && GreenOf(w.Canvas(x, y)) < 60) ++dark;
  EXPECT_GT(dark, 40);
}

TEST(ScaleChange, ElementsCreatedAtAScaleStartDeviceSized) {
  HostedWindow w(300, 200);
  ChangeDpi(w.hwnd(), 192);
  w.Settle();
  Recorder late(kRed);
  late.Make(w.hwnd(), 5, 5, 21, 13);
  w.Settle();
  EXPECT_EQ(late.Count(ev::kScaleChanged), 0);
  EXPECT_TRUE(SameSize(BitmapSize(late), 42, 26));
  EXPECT_TRUE(qwtest::ColorNear(w.Canvas(51, 35), kRed));
  // Resized: the surface follows at device size.
  late.Width(30);
  w.Settle();
  EXPECT_TRUE(SameSize(BitmapSize(late), 60, 26));
}

TEST(ScaleChange, WithoutASuggestedRectangleTheLogicalSizeIsKept) {
  HostedWindow w(588, 438);
  SendMessageW(w.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
  w.Settle();
  EXPECT_TRUE(SameSize(WindowSize(w.hwnd()), 882, 657));
  EXPECT_TRUE(SameSize(w.host.LogicalSize(), 588, 438));
  // The same DPI again changes nothing and rebuilds nothing.
  Recorder r;
  r.Make(w.hwnd(), 0, 0, 10, 10);
  r.ClearLog();
  ChangeDpi(w.hwnd(), 144);
  w.Settle();
  EXPECT_EQ(r.Count(ev::kScaleChanged), 0);
  EXPECT_TRUE(SameSize(WindowSize(w.hwnd()), 882, 657));
}

TEST(ScaleChange, EveryQuarterFromOneToThreeTimesSizesDrawsAndHits) {
  HostedWindow w(200, 150);
  Recorder a(kRed);
  a.Make(w.hwnd(), 21, 13, 57, 31);
  for (UINT dpi = 96; dpi <= 288; dpi += 24) {
    SCOPED_TRACE(dpi);
    ChangeDpi(w.hwnd(), dpi);
    w.Settle();
    const DisplayScale s = w.host.Scale();
    ASSERT_EQ(s.Quarters(), static_cast<int>(dpi / 24));
    EXPECT_TRUE(SameSize(WindowSize(w.hwnd()), s.ToDevice(200), s.ToDevice(150)));
    EXPECT_TRUE(SameSize(w.host.LogicalSize(), 200, 150));
    EXPECT_TRUE(SameSize(BitmapSize(a), s.ToDevice(57), s.ToDevice(31)));
    const RECT placed = s.ToDevice(a.Bounds());
    // Its surface shows at its place: corners and centre red, just outside not.
    for (POINT p : {POINT{placed.left, placed.top}, POINT{placed.right - 1, placed.bottom - 1},
                    POINT{(placed.left + placed.right) / 2, (placed.top + placed.bottom) / 2}})
      EXPECT_TRUE(qwtest::ColorNear(w.Canvas(p.x, p.y), kRed)) << p.x << "," << p.y;
    EXPECT_TRUE(qwtest::ColorNear(w.Canvas(placed.right, placed.top + 2), kWindowGreen));
    EXPECT_TRUE(qwtest::ColorNear(w.Canvas(placed.left + 2, placed.bottom), kWindowGreen));
    // The pointer is over it on exactly the pixels that show it.
    auto over = [&](int x, int y) {
      SendMessageW(w.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
      const bool hit = w.host.HoverElement() == &a;
      SendMessageW(w.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(s.ToDevice(190), s.ToDevice(140)));
      EXPECT_EQ(w.host.HoverElement(), nullptr);
      return hit;
    };
    const POINT centre = DevicePoint(w.host, 21 + 57 / 2.0f, 13 + 31 / 2.0f);
    EXPECT_TRUE(over(centre.x, centre.y));
    EXPECT_TRUE(over(placed.left, placed.top)) << "first pixel " << placed.left << "," << placed.top;
    EXPECT_TRUE(over(placed.right - 1, placed.bottom - 1)) << "last pixel";
    EXPECT_FALSE(over(placed.left - 1, placed.top + 2));
    EXPECT_FALSE(over(placed.left + 2, placed.top - 1));
    EXPECT_FALSE(over(placed.right, placed.bottom - 1));
    EXPECT_FALSE(over(placed.right - 1, placed.bottom));
  }
}

// ---- 100 % stays pixel for pixel what it was ----------------------------------

namespace {

// A window with plain elements, text and a picture over an image background.
struct Scene {
  explicit Scene() : w(260, 180, Options()) {
    a.Make(w.hwnd(), 12, 14, 60, 40);
    b.Make(a, 20, 20, 21, 17);
    label.Create(w.hwnd(), 90, 12, 150, 26, "极速安装 Setup");
    button.Create(w.hwnd(), 90, 50, 90, 30, "安装(&I)");
    picture.Create(w.hwnd(), 20, 100, 40, 30, image);
    ProgressBarOptions po;
    po.position = 35;
    progress.Create(w.hwnd(), 80, 110, 150, 14, po);
    w.Settle();
  }
  static UiWindow::CreateOptions Options() {
    UiWindow::CreateOptions o = HostedWindow::Plain();
    o.frameMode = 7;
    return o;
  }
  // Every canvas pixel, row by row.
  std::vector<Argb> Pixels() const {
    std::vector<Argb> out;
    for (int y = 0; y < w.host.ClientSize().cy; ++y)
      for (int x = 0; x < w.host.ClientSize().cx; ++x) out.push_back(w.Canvas(x, y));
    return out;
  }

  Bytes image = qwtest::MakeBmp(40, 30, [](int x, int y) { return RGB(x * 6, y * 8, 128); });
  HostedWindow w;
  Recorder a{kRed}, b{kYellow};
  UiLabel label;
  UiButton button;
  UiPicture picture;
  UiProgressBar progress;
};

int Differences(const std::vector<Argb>& x, const std::vector<Argb>& y) {
  if (x.size() != y.size()) return -1;
  int n = 0;
  for (size_t i = 0; i < x.size(); ++i) n += x[i] != y[i];
  return n;
}

}  // namespace

TEST(ScaleChange, AtOneHundredPercentThePixelsAreThoseOfAnUnscaledWindow) {
  Scene never;
  Scene same;
  Scene backAgain;
  ChangeDpi(same.w.hwnd(), 96);
  same.w.Settle();
  ChangeDpi(backAgain.w.hwnd(), 144);
  backAgain.w.Settle();
  ASSERT_EQ(backAgain.w.host.ClientSize().cx, 390);
  ChangeDpi(backAgain.w.hwnd(), 96);
  backAgain.w.Settle();
  const std::vector<Argb> reference = never.Pixels();
  ASSERT_EQ(reference.size(), 260u * 180u);
  EXPECT_EQ(Differences(same.Pixels(), reference), 0);
  EXPECT_EQ(Differences(backAgain.Pixels(), reference), 0);
  EXPECT_TRUE(SameSize(BitmapSize(backAgain.a), 60, 40));
  EXPECT_TRUE(SameSize(BitmapSize(backAgain.label), 150, 26));
}
