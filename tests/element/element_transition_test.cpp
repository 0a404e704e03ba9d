// Step transitions: snapshot, timer ticks, frames and the finish event.
#include <gtest/gtest.h>

#include "tests/support/host_fixture.h"

using namespace ui;
using qwtest::HostedWindow;
using qwtest::Recorder;

TEST(ElementTransition, FourStepsTickFourTimesThenFinish) {
  HostedWindow w;
  Recorder e(0xFFFF0000);
  e.Make(w.hwnd(), 20, 20, 40, 30);
  w.Settle();
  e.Transition(4, 60);
  std::vector<int> frameSteps;
  e.answers[ev::kTransitionFrame] = 0;  // let the host draw the default effect
  e.onEvent = [&](UINT m) {
    if (m == ev::kTransitionFrame) frameSteps.push_back(e.TransitionStep());
  };
  e.ClearLog();
  const DWORD start = GetTickCount();
  e.Fill(0xFF0000FF);
  EXPECT_EQ(e.Count(ev::kTransitionStarted), 1);
  EXPECT_NE(e.Snapshot(), nullptr);
  EXPECT_TRUE(e.TransitionRunning());
  ASSERT_TRUE(qwtest::PumpUntil([&] { return e.Count(ev::kTransitionFinished) == 1; }, 5000));
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 150u);  // four ticks 60 ms apart
  EXPECT_EQ(frameSteps, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(e.Snapshot(), nullptr);
  EXPECT_EQ(e.TransitionStep(), 0);
  EXPECT_FALSE(e.TransitionRunning());
  // The end shows the new look plainly, also on later partial redraws.
  w.host.RedrawRect(e.Bounds(), false);
  EXPECT_TRUE(qwtest::ColorNear(w.Canvas(30, 30), 0xFF0000FF, 3)) << qwtest::ColorText(w.Canvas(30, 30));
  qwtest::PumpFor(150);
  EXPECT_EQ(e.Count(ev::kTransitionFinished), 1);  // the timer is gone
}

TEST(ElementTransition, CrossFadeBlendsSnapshotAndNewLook) {
  HostedWindow w;
  Recorder e(0xFFFF0000);
  e.Make(w.hwnd(), 20, 20, 40, 30);
  w.Settle();
  e.Transition(2, 5000);  // one long step: the middle frame can be inspected
  e.Fill(0xFF0000FF);
  // Step 0 of 2: the old look.
  w.host.RedrawRect(e.Bounds(), false);
  EXPECT_TRUE(qwtest::ColorNear(w.Canvas(30, 30), 0xFFFF0000, 3)) << qwtest::ColorText(w.Canvas(30, 30));
  e.OnTransitionTimer(w.hwnd(), WM_TIMER, e.GetHandle() + 1, 0);  // step 1 of 2: half way
  const Argb mid = w.Canvas(30, 30);
  EXPECT_NEAR(static_cast<int>(RedOf(mid)), 128, 12) << qwtest::ColorText(mid);
  EXPECT_NEAR(static_cast<int>(BlueOf(mid)), 128, 12) << qwtest::ColorText(mid);
  e.OnTransitionTimer(w.hwnd(), WM_TIMER, e.GetHandle() + 1, 0);
  EXPECT_TRUE(qwtest::ColorNear(w.Canvas(30, 30), 0xFF0000FF, 3));
  EXPECT_EQ(e.Count(ev::kTransitionFinished), 1);
}

TEST(ElementTransition, HiddenElementStartsNoTransition) {
  HostedWindow w;
  Recorder e;
  e.Make(w.hwnd(), 20, 20, 40, 30, false);
  e.Transition(4, 60);
  e.ClearLog();
  e.Fill(0xFF00FF00);
  EXPECT_EQ(e.Count(ev::kTransitionStarted), 0);
  EXPECT_FALSE(e.TransitionRunning());
}

TEST(ElementTransition, DestroyStopsTheTimerAndForeignTimerIdsAreIgnored) {
  HostedWindow w;
  Recorder e;
  e.Make(w.hwnd(), 20, 20, 40, 30);
  e.Transition(4, 30);
  e.Fill(0xFF00FF00);
  const ElementHandle h = e.GetHandle();
  e.Destroy();
  qwtest::PumpFor(150);  // a tick for the dead element would crash or log
  EXPECT_EQ(UiElement::FromHandle(h), nullptr);
  // The application's own timer ids, and stale element ids, are passed on.
  SetTimer(w.hwnd(), 77, 10, nullptr);
  SendMessageW(w.hwnd(), WM_TIMER, 77, 0);
  SendMessageW(w.hwnd(), WM_TIMER, h, 0);
  qwtest::PumpFor(50);
  KillTimer(w.hwnd(), 77);
}

// An element resized while its own fresh paint is under way (here by the
// overlay callback that the transition's snapshot redraw runs) gets a new
// bitmap. The paint that was started must draw on the new surface, and the
// old one must stay valid until the outermost message returns: drawing with
// a released graphics object is a use-after-free.
namespace {
class SurfaceWitness : public UiElement {
 public:
  int HandleEvent(UINT message, WPARAM, LPARAM) override {
    if (message != ev::kPaint) return -1;
    Paint([&](const PaintContext& pc) {
      drawnOnCurrent.push_back(pc.graphics == Graphics() && pc.bitmap == Bitmap() &&
                               pc.area.width == Bounds().width);
      gp::SolidBrush brush;
      gp::GdipCreateSolidFill(0xFF0000FF, brush.put());
      gp::GdipFillRectangle(pc.graphics, reinterpret_cast<Gdiplus::GpBrush*>(brush.get()), pc.area.x,
                            pc.area.y, pc.area.width, pc.area.height);
    });
    return -1;
  }
  void Make(HWND parent, float x, float y, float w, float h) { Create(parent, RectF{x, y, w, h}, 3, true); }
  std::vector<bool> drawnOnCurrent;
};
}  // namespace

TEST(ElementTransition, ResizeDuringTheSnapshotRedrawPaintsTheNewSurface) {
  HostedWindow w;
  SurfaceWitness e;
  e.Make(w.hwnd(), 20, 20, 40, 30);
  w.Settle();
  e.Transition(2, 5000);
  int resizes = 0;
  w.host.SetOnPaintOverlay([&](HWND, Gdiplus::GpGraphics*, const RectF&) {
    if (resizes++ == 0) e.SetBounds(std::nullopt, std::nullopt, 90 + resizes, 50);
  });
  e.drawnOnCurrent.clear();
  e.Repaint();
  w.host.SetOnPaintOverlay(nullptr);
  ASSERT_GE(resizes, 1);
  ASSERT_FALSE(e.drawnOnCurrent.empty());
  for (size_t i = 0; i < e.drawnOnCurrent.size(); ++i) EXPECT_TRUE(e.drawnOnCurrent[i]) << "paint " << i;
  UINT width = 0;
  gp::GdipGetImageWidth(e.Bitmap(), &width);
  EXPECT_EQ(width, 91u);
  Gdiplus::ARGB corner = 0;
  gp::GdipBitmapGetPixel(e.Bitmap(), 85, 45, &corner);
  EXPECT_EQ(corner, 0xFF0000FFu);
}
