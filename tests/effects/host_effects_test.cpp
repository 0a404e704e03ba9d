// Show and close effects played by a real host: frame timing and alphas,
// the window's state afterwards, and input blocked while a frame is shown.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/host_fixture.h"
#include "ui/host/show_effects.h"

using namespace ui;
using qwtest::HostedWindow;
using qwtest::Recorder;

namespace {

struct SeenFrame {
  EffectFrame frame;
  bool busy;
  bool visible;
  bool layered;
};

// Records every frame an effect pushes, with the host's state at that time.
struct FrameLog {
  explicit FrameLog(const HostedWindow& w) : window(w) {
    SetEffectFrameObserver([this](const EffectFrame& f) {
      const HWND h = window.hwnd();
      frames.push_back({f, window.host.Busy(), IsWindowVisible(h) != FALSE,
                        (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LAYERED) != 0});
      if (during) during(f);
    });
  }
  ~FrameLog() { SetEffectFrameObserver(nullptr); }
  const HostedWindow& window;
  std::vector<SeenFrame> frames;
  std::function<void(const EffectFrame&)> during;
};

bool Layered(HWND h) { return (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }

// Mouse input at (x, y) the way the system delivers it.
void SendMouse(HWND h, int x, int y) {
  const LPARAM at = MAKELPARAM(x, y);
  SendMessageW(h, WM_MOUSEMOVE, 0, at);
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(h, WM_LBUTTONUP, 0, at);
}

}  // namespace

TEST(HostEffects, FadeInTakesTenFramesTwentyMillisecondsApartThenAnOpaqueOne) {
  HostedWindow w(300, 200);
  ASSERT_FALSE(Layered(w.hwnd()));
  FrameLog log(w);
  w.host.Show(1, 200);

  ASSERT_EQ(log.frames.size(), 11u);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(log.frames[i].frame.index, i + 1);
    EXPECT_EQ(log.frames[i].frame.alpha, 25 * i);
    EXPECT_TRUE(log.frames[i].busy) << "frame " << i + 1;
    EXPECT_TRUE(log.frames[i].visible) << "frame " << i + 1;
    EXPECT_TRUE(log.frames[i].layered) << "frame " << i + 1;
  }
  EXPECT_EQ(log.frames[10].frame.index, 0);
  EXPECT_EQ(log.frames[10].frame.alpha, 255);
  // The pause after each frame is 200 / 10 ms; a loaded machine may add to
  // it but never take from it.
  for (int i = 1; i < 11; ++i) {
    const DWORD gap = log.frames[i].frame.tick - log.frames[i - 1].frame.tick;
    EXPECT_GE(gap, 19u) << "after frame " << i;
    EXPECT_LT(gap, 500u) << "after frame " << i;
  }

  EXPECT_TRUE(IsWindowVisible(w.hwnd()));
  EXPECT_FALSE(Layered(w.hwnd()));  // the layered style added for the effect is gone
  EXPECT_FALSE(w.host.Busy());
  ShowWindow(w.hwnd(), SW_HIDE);
}

TEST(HostEffects, ShowWithoutEffectShowsAtOnce) {
  HostedWindow w(300, 200);
  FrameLog log(w);
  w.host.Show(0);
  EXPECT_TRUE(log.frames.empty());
  EXPECT_TRUE(IsWindowVisible(w.hwnd()));
  EXPECT_FALSE(Layered(w.hwnd()));
  EXPECT_FALSE(w.host.Busy());
  ShowWindow(w.hwnd(), SW_HIDE);
}

TEST(HostEffects, InputIsNotRoutedWhileAnEffectRuns) {
  HostedWindow w(300, 200);
  Recorder target;
  target.Make(w.hwnd(), 50, 50, 100, 80);
  target.answers[ev::kPressQuery] = 0;
  w.Settle();
  FrameLog log(w);
  int sent = 0;
  log.during = [&](const EffectFrame& f) {
    if (f.index == 5) {
      SendMouse(w.hwnd(), 80, 80);
      ++sent;
    }
  };
  target.ClearLog();
  w.host.Show(3, 100);
  ASSERT_EQ(sent, 1);
  EXPECT_EQ(target.Count(WM_MOUSEMOVE), 0);
  EXPECT_EQ(target.Count(WM_LBUTTONDOWN), 0);
  EXPECT_EQ(target.Count(ev::kMouseEnter), 0);
  EXPECT_EQ(target.Count(ev::kClick), 0);
  EXPECT_EQ(w.host.HoverElement(), nullptr);
  EXPECT_EQ(w.host.PressedElement(), nullptr);
  // The same input once the effect is over reaches the element.
  SendMouse(w.hwnd(), 80, 80);
  EXPECT_EQ(target.Count(WM_LBUTTONDOWN), 1);
  EXPECT_EQ(target.Count(ev::kClick), 1);
  ShowWindow(w.hwnd(), SW_HIDE);
}

TEST(HostEffects, CloseFadeEndsFullyTransparentBeforeTheWindowIsHidden) {
  HostedWindow w(300, 200);
  Recorder target;
  target.Make(w.hwnd(), 50, 50, 100, 80);
  w.host.Show(0);
  w.Settle();
  w.host.SetCloseEffect(1);
  FrameLog log(w);
  log.during = [&](const EffectFrame& f) {
    if (f.index == 3) SendMouse(w.hwnd(), 80, 80);
  };
  target.ClearLog();
  SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);

  // Fifteen frames fading out by 17, then the cleared canvas; all while the
  // window is still shown, layered and the host busy.
  ASSERT_EQ(log.frames.size(), 16u);
  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(log.frames[i].frame.index, i + 1);
    EXPECT_EQ(log.frames[i].frame.alpha, 255 - 17 * (i + 1));
    EXPECT_TRUE(log.frames[i].busy);
  }
  EXPECT_EQ(log.frames[14].frame.alpha, 0);
  EXPECT_EQ(log.frames[15].frame.index, 0);
  EXPECT_EQ(log.frames[15].frame.alpha, 0);
  for (const SeenFrame& f : log.frames) {
    EXPECT_TRUE(f.visible);
    EXPECT_TRUE(f.layered);
  }
  EXPECT_EQ(target.Count(WM_MOUSEMOVE), 0);
  EXPECT_EQ(target.Count(WM_LBUTTONDOWN), 0);
  // Then hidden, and WM_CLOSE passed on: the test window's own procedure
  // destroys it.
  EXPECT_FALSE(IsWindow(w.hwnd()) && IsWindowVisible(w.hwnd()));
  EXPECT_FALSE(IsWindow(w.hwnd()));
}

TEST(HostEffects, CloseWithoutEffectHidesAtOnce) {
  HostedWindow w(300, 200);
  w.host.Show(0);
  FrameLog log(w);
  SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(log.frames.empty());
  EXPECT_FALSE(IsWindow(w.hwnd()));
}
