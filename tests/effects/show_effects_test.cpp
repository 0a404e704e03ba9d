// Opening and closing animations and blur behind, on real layered windows.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/test_env.h"
#include "ui/core/library.h"
#include "ui/host/show_effects.h"
#include "ui/platform/gdi_handles.h"
#include "ui/platform/system_api.h"

using namespace ui;

namespace {

// A window with an opaque composed canvas, standing in for a host.
struct EffectFixture {
  qwtest::TestWindow window{100, 100, 300, 200, WS_POPUP};
  gdi::MemoryDc dc;
  gdi::Bitmap bitmap;
  HGDIOBJ old = nullptr;
  std::vector<bool> busyCalls;
  std::vector<EffectFrame> frames;

  EffectFixture() {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 300, 200, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    dc.reset(CreateCompatibleDC(nullptr));
    bitmap.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    old = SelectObject(dc.get(), bitmap.get());
    auto* px = static_cast<std::uint32_t*>(bits);
    for (int i = 0; i < 300 * 200; ++i) px[i] = 0xFF3080C0u;
    SetEffectFrameObserver([this](const EffectFrame& f) { frames.push_back(f); });
  }
  ~EffectFixture() {
    SetEffectFrameObserver(nullptr);
    SelectObject(dc.get(), old);
  }
  EffectHost Host(int frameMode = 7, int alpha = -1, bool blur = false) {
    EffectHost h;
    h.hwnd = window.hwnd();
    h.canvasDc = dc.get();
    h.frameMode = frameMode;
    h.windowAlpha = alpha;
    h.blurBehind = blur;
    h.setBusy = [this](bool b) { busyCalls.push_back(b); };
    return h;
  }
  bool Layered() const { return (GetWindowLongPtrW(window.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }
};

// Records the compositor requests instead of making them.
struct FakeCompositor {
  static inline int blurRequests = 0;
  static inline RECT lastRegion{};
  sys::Table saved = sys::mutableTableForTest();
  int savedVersion = Library().osMajorVersion;
  FakeCompositor(int osMajor) {
    blurRequests = 0;
    Library().osMajorVersion = osMajor;
    auto& t = sys::mutableTableForTest();
    t.DwmIsCompositionEnabled = CompositionEnabled;
    t.DwmEnableBlurBehindWindow = RecordBlurRequest;
  }
  static HRESULT WINAPI CompositionEnabled(BOOL* on) {
    *on = TRUE;
    return S_OK;
  }
  static HRESULT WINAPI RecordBlurRequest(HWND, const DWM_BLURBEHIND* bb) {
    ++blurRequests;
    GetRgnBox(bb->hRgnBlur, &lastRegion);
    return S_OK;
  }
  ~FakeCompositor() {
    sys::mutableTableForTest() = saved;
    Library().osMajorVersion = savedVersion;
  }
};

}  // namespace

TEST(OpenEffect, FadeInTakesTenFramesThenAnOpaqueOne) {
  EffectFixture f;
  RunOpenEffect(f.Host(), 1, 200);
  ASSERT_EQ(f.frames.size(), 11u);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(f.frames[i].index, i + 1);
    EXPECT_EQ(f.frames[i].alpha, 25 * i);
    // Frames are at least the pause (duration / 10) apart.
    if (i > 0) {
      EXPECT_GE(f.frames[i].tick - f.frames[i - 1].tick, 15u);
    }
  }
  EXPECT_EQ(f.frames[10].alpha, 255);
  EXPECT_TRUE(IsWindowVisible(f.window.hwnd()));
  EXPECT_FALSE(f.Layered()) << "the layered style added for the effect is removed again";
  EXPECT_EQ(f.busyCalls, (std::vector<bool>{true, false}));
}

TEST(OpenEffect, WipesRevealGrowingStrips) {
  for (int effect : {3, 4, 5, 6}) {
    EffectFixture f;
    RunOpenEffect(f.Host(), effect, 50);
    ASSERT_EQ(f.frames.size(), 11u) << effect;
    const bool horizontal = effect == 3 || effect == 4;
    const int step = (horizontal ? 300 : 200) / 10;
    for (int i = 0; i < 10; ++i) {
      const RECT& s = f.frames[i].source;
      const int extent = horizontal ? s.right - s.left : s.bottom - s.top;
      EXPECT_EQ(extent, step * i) << "effect " << effect << " frame " << i + 1;
      if (effect == 3 && i > 0) {
        EXPECT_EQ(s.left, 0);
      }
      if (effect == 4 && i > 0) {
        EXPECT_EQ(s.right, 300);
      }
      if (effect == 5 && i > 0) {
        EXPECT_EQ(s.top, 0);
      }
      if (effect == 6 && i > 0) {
        EXPECT_EQ(s.bottom, 200);
      }
    }
    EXPECT_EQ(f.frames.back().alpha, 255);
    EXPECT_FALSE(f.Layered());
  }
}

TEST(OpenEffect, ZoomEndsOpaqueAndEffectZeroShowsAtOnce) {
  {
    EffectFixture f;
    RunOpenEffect(f.Host(), 7, 500);
    ASSERT_EQ(f.frames.size(), 11u);
    for (std::size_t i = 1; i < 10; ++i)
      EXPECT_LE(f.frames[i].tick - f.frames[i - 1].tick, 2000u);  // no runaway pause
    EXPECT_EQ(f.frames.back().alpha, 255);
  }
  {
    EffectFixture f;
    RunOpenEffect(f.Host(), 0, 200);
    EXPECT_TRUE(f.frames.empty());
    EXPECT_TRUE(IsWindowVisible(f.window.hwnd()));
    EXPECT_TRUE(f.busyCalls.empty());
  }
}

TEST(CloseEffect, FadeOutEndsFullyTransparent) {
  EffectFixture f;
  f.window.Show();
  RunCloseEffect(f.Host(), 1);
  ASSERT_EQ(f.frames.size(), 16u);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(f.frames[i].alpha, 255 - 17 * (i + 1));
  EXPECT_EQ(f.frames[14].alpha, 0) << "the last frame is fully transparent";
  EXPECT_TRUE(f.Layered()) << "the layered style stays while the window closes";
  EXPECT_EQ(f.busyCalls, (std::vector<bool>{true, false}));
}

TEST(CloseEffect, ZoomShrinkAndWipesRunTheirFrameCounts) {
  const struct { int effect; std::size_t frames; } cases[] = {{2, 21}, {7, 16}, {3, 16}, {4, 16}, {5, 16}};
  for (const auto& c : cases) {
    EffectFixture f;
    f.window.Show();
    RunCloseEffect(f.Host(), c.effect);
    ASSERT_EQ(f.frames.size(), c.frames) << c.effect;
    EXPECT_EQ(f.frames.back().alpha, 0);
    EXPECT_LT(f.frames[f.frames.size() - 2].alpha, f.frames[0].alpha);
  }
  EffectFixture none;
  RunCloseEffect(none.Host(), 0);
  EXPECT_TRUE(none.frames.empty());
  EXPECT_FALSE(none.Layered());
}

TEST(Blur, OnlyForLayeredBodiesOnSystemVersionSix) {
  EffectFixture f;
  {
    FakeCompositor dwm(6);
    EXPECT_FALSE(SetBlur(f.window.hwnd(), 6, 6, 100, 100, 6, 7, -1));  // not layered
    EXPECT_FALSE(SetBlur(f.window.hwnd(), 6, 6, 100, 100, 6, 1, 200));  // image-only frame
    EXPECT_EQ(FakeCompositor::blurRequests, 0);
    EXPECT_TRUE(SetBlur(f.window.hwnd(), 6, 6, 100, 100, 6, 7, 200));
    EXPECT_EQ(FakeCompositor::blurRequests, 1);
  }
  {
    FakeCompositor dwm(10);
    EXPECT_FALSE(SetBlur(f.window.hwnd(), 6, 6, 100, 100, 6, 7, 200));
    EXPECT_EQ(FakeCompositor::blurRequests, 0);
  }
}

TEST(Blur, EffectZeroSwitchesBlurOnAndShows) {
  EffectFixture f;
  FakeCompositor dwm(6);
  RunOpenEffect(f.Host(7, 230, true), 0, 200);
  EXPECT_EQ(FakeCompositor::blurRequests, 1);
  EXPECT_EQ(FakeCompositor::lastRegion.left, 6);
  EXPECT_NEAR(FakeCompositor::lastRegion.right, 300 - 5, 1);
  EXPECT_TRUE(IsWindowVisible(f.window.hwnd()));
}

TEST(Blur, WipeRegionFollowsTheRevealedStrip) {
  EffectFixture f;
  FakeCompositor dwm(6);
  std::vector<LONG> rights;
  SetEffectFrameObserver([&](const EffectFrame& frame) {
    if (frame.index > 2) rights.push_back(FakeCompositor::lastRegion.right);
  });
  RunOpenEffect(f.Host(7, 230, true), 3, 20);
  ASSERT_FALSE(rights.empty());
  for (std::size_t i = 1; i < rights.size(); ++i) EXPECT_GT(rights[i], rights[i - 1]);
}
