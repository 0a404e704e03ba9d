// Lifetimes: hosts and elements destroyed while a call further up the stack
// still uses them (inside their own handlers, inside a repair, inside an
// effect's message pump), stale handles, and what Show pumps.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "tests/support/host_fixture.h"
#include "ui/host/show_effects.h"
#include "ui/platform/gdiplus_api.h"

using namespace ui;
using qwtest::HostedWindow;
using qwtest::Recorder;
using qwtest::TestWindow;

namespace {

// A host the test can delete at any moment.
struct HeapHost {
  explicit HeapHost(int w = 200, int h = 150) : window(40, 40, w, h) {
    host = std::make_unique<UiWindow>();
    host->Create(window.hwnd(), HostedWindow::Plain());
  }
  TestWindow window;
  std::unique_ptr<UiWindow> host;
};

void Click(HWND h, int x, int y) {
  const LPARAM at = MAKELPARAM(x, y);
  SendMessageW(h, WM_MOUSEMOVE, 0, at);
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(h, WM_LBUTTONUP, 0, at);
}

// A window whose own procedure ignores WM_CLOSE (a program that asks first).
LRESULT CALLBACK KeepOnClose(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  return m == WM_CLOSE ? 0 : DefWindowProcW(h, m, wp, lp);
}
HWND MakeKeptWindow(int w, int h) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = KeepOnClose;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QwKeepOnClose";
    return RegisterClassW(&wc) != 0;
  }();
  (void)registered;
  return CreateWindowExW(0, L"QwKeepOnClose", L"kept", WS_POPUP, 40, 40, w, h, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

// Records every frame an effect pushes.
struct Frames {
  Frames() {
    SetEffectFrameObserver([this](const EffectFrame& f) {
      indices.push_back(f.index);
      if (onFrame) onFrame(f);
    });
  }
  ~Frames() { SetEffectFrameObserver(nullptr); }
  std::vector<int> indices;
  std::function<void(const EffectFrame&)> onFrame;
};

}  // namespace

// ---- handles ---------------------------------------------------------------------

TEST(Handles, AStaleHandleNeverResolvesToANewerElementAtTheSameAddress) {
  HostedWindow w;
  alignas(Recorder) unsigned char storage[sizeof(Recorder)];
  auto* first = new (storage) Recorder;
  const ElementHandle old = first->Make(w.hwnd(), 0, 0, 20, 20);
  ASSERT_NE(old, 0u);
  first->~Recorder();
  auto* second = new (storage) Recorder;  // the same address
  const ElementHandle now = second->Make(w.hwnd(), 0, 0, 20, 20);
  ASSERT_NE(now, 0u);
  EXPECT_NE(now, old);
  EXPECT_EQ(UiElement::FromHandle(old), nullptr);
  EXPECT_EQ(UiElement::FromHandle(now), second);
  // A timer of the old element arrives late: it is nobody's.
  second->ClearLog();
  PostMessageW(w.hwnd(), WM_TIMER, static_cast<WPARAM>(old), 0);
  PostMessageW(w.hwnd(), WM_TIMER, static_cast<WPARAM>(now), 0);
  qwtest::PumpUntil([&] { return second->Count(WM_TIMER) == 1; }, 5000);
  qwtest::PumpPending();
  EXPECT_EQ(second->Count(WM_TIMER), 1);
  second->~Recorder();
}

TEST(Handles, ARecreatedElementGetsANewHandleAndTheOldOneStaysStale) {
  HostedWindow w;
  Recorder e;
  const ElementHandle old = e.Make(w.hwnd(), 0, 0, 20, 20);
  e.Destroy();
  const ElementHandle now = e.Make(w.hwnd(), 0, 0, 20, 20);
  EXPECT_NE(old, now);
  EXPECT_EQ(UiElement::FromHandle(old), nullptr);
  EXPECT_EQ(UiElement::FromHandle(now), &e);
  w.Settle();
}

// ---- deferred release ---------------------------------------------------------------

TEST(DeferredRelease, AnElementDeletedInItsOwnHandlerIsDetachedAtOnceAndFreedAfterTheMessage) {
  HostedWindow w;
  Recorder below;
  below.Make(w.hwnd(), 0, 0, 100, 100);
  auto doomed = std::make_unique<Recorder>();
  const ElementHandle h = doomed->Make(w.hwnd(), 10, 10, 40, 40);
  const void* address = doomed.get();
  std::unique_ptr<Recorder> successor;
  bool checked = false;
  doomed->BindEvent(WM_LBUTTONDOWN, [&](const ElementEvent&) {
    doomed.reset();
    // Detached at once: not resolvable, not linked, not hit.
    EXPECT_EQ(UiElement::FromHandle(h), nullptr);
    EXPECT_EQ(below.NextSibling(), nullptr);
    EXPECT_EQ(w.host.LastElement(), &below);
    EXPECT_EQ(w.host.HitTest(20, 20), &below);
    // Its memory is still held: a new element does not take its place
    // while frames further up may still look at the old one.
    successor = std::make_unique<Recorder>();
    EXPECT_NE(static_cast<const void*>(successor.get()), address);
    checked = true;
  });
  Click(w.hwnd(), 20, 20);
  EXPECT_TRUE(checked);
  EXPECT_EQ(PendingReleases(), 0u);  // released once the message returned
  EXPECT_EQ(w.host.PressedElement(), nullptr);
  w.Settle();
}

TEST(DeferredRelease, AHostDeletedInsideANestedMessageIsReleasedAfterTheOutermostOne) {
  HeapHost w;
  UiWindow* raw = w.host.get();
  const UINT outer = WM_APP + 1, inner = WM_APP + 2;
  size_t pendingInOuter = 0;
  bool resolvableInOuter = true;
  raw->SetOnMessage([&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> LRESULT {
    if (msg == outer) {
      SendMessageW(hwnd, inner, 0, 0);
      // Still inside the outer message: detached and gone from the window,
      // but nothing released yet.
      resolvableInOuter = UiWindow::FromWindow(hwnd) != nullptr;
      pendingInOuter = PendingReleases();
      return 0;
    }
    if (msg == inner) {
      w.host.reset();
      return 0;
    }
    return -1;
  });
  SendMessageW(w.window.hwnd(), outer, 0, 0);
  EXPECT_FALSE(resolvableInOuter);
  EXPECT_GT(pendingInOuter, 0u);
  EXPECT_EQ(PendingReleases(), 0u);
  // The window works on its own procedure again.
  EXPECT_EQ(UiWindow::FromWindow(w.window.hwnd()), nullptr);
  EXPECT_EQ(SendMessageW(w.window.hwnd(), WM_NULL, 0, 0), 0);
}

// ---- redraws that call out ------------------------------------------------------------

TEST(RedrawQueue, AHostDeletedByTheOverlayDuringAFlushIsNotTouchedAgain) {
  HeapHost w;
  TestWindow otherWindow(300, 40, 200, 150);
  std::unique_ptr<UiWindow> replacement;
  int overlays = 0;
  w.host->SetOnPaintOverlay([&](HWND, Gdiplus::GpGraphics*, const RectF&) {
    if (++overlays != 1) return;
    // One more area joins the running flush, then the host goes away and
    // a new host is made (it may land where the old one was) that holds
    // an area of its own.
    w.host->InvalidateRect(RectF{50, 50, 10, 10}, UiRedrawQueue::kAppend);
    w.host.reset();
    replacement = std::make_unique<UiWindow>();
    replacement->Create(otherWindow.hwnd(), HostedWindow::Plain());
    replacement->ResetPresentCountForTest();
    replacement->HoldRedraws();
    replacement->InvalidateRect(RectF{0, 0, 10, 10}, UiRedrawQueue::kAppend);
  });
  w.host->InvalidateRect(RectF{0, 0, 10, 10}, UiRedrawQueue::kAppend);
  EXPECT_EQ(overlays, 1);
  ASSERT_TRUE(replacement);
  // The old flush did not go on with the new host's queue.
  EXPECT_EQ(replacement->PresentCountForTest(), 0);
  EXPECT_EQ(replacement->PendingRedraws(), 1u);
  // ... and the new host's own queue works.
  replacement->ReleaseRedraws();
  EXPECT_TRUE(qwtest::PumpUntil([&] { return replacement->PresentCountForTest() >= 1; }, 5000));
}

TEST(RedrawQueue, AHostDeletedByAnElementDuringAnImmediateRepairIsNotTouchedAgain) {
  HeapHost w;
  TestWindow otherWindow(300, 40, 200, 150);
  std::unique_ptr<UiWindow> replacement;
  Recorder e;
  e.Make(w.window.hwnd(), 0, 0, 50, 50);
  e.Disabled(true);  // repairs ask it for its disabled look: a callout
  qwtest::PumpPending();
  e.answers[ev::kDisabledLook] = -1;
  e.onEvent = [&](UINT m) {
    if (m != ev::kDisabledLook || !w.host) return;
    w.host.reset();
    replacement = std::make_unique<UiWindow>();
    replacement->Create(otherWindow.hwnd(), HostedWindow::Plain());
    replacement->ResetPresentCountForTest();
    replacement->HoldRedraws();
    replacement->InvalidateRect(RectF{0, 0, 10, 10}, UiRedrawQueue::kAppend);
  };
  w.host->InvalidateRect(RectF{0, 0, 50, 50}, UiRedrawQueue::kNow);
  ASSERT_TRUE(replacement);
  EXPECT_EQ(replacement->PresentCountForTest(), 0);
  EXPECT_EQ(replacement->PendingRedraws(), 1u);
  EXPECT_FALSE(e.IsCreated());
  e.onEvent = nullptr;
}

TEST(RedrawQueue, AWindowResizedByTheOverlayKeepsTheFramesGraphicsUntilTheMessageReturns) {
  HostedWindow w(200, 150);
  w.Settle();
  int overlays = 0;
  Gdiplus::GpGraphics* drawnOn = nullptr;
  Gdiplus::GpGraphics* afterResize = nullptr;
  size_t pendingBefore = 0, pendingAfter = 0;
  Gdiplus::GpStatus clipAfterResize = Gdiplus::GenericError;
  w.host.SetOnPaintOverlay([&](HWND hwnd, Gdiplus::GpGraphics* g, const RectF&) {
    if (++overlays != 1) return;
    // Smaller, so that the shared scratch canvas keeps its size: the only
    // release put off is the host's own canvas.
    drawnOn = g;
    pendingBefore = PendingReleases();
    SetWindowPos(hwnd, nullptr, 0, 0, 160, 120, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    pendingAfter = PendingReleases();
    afterResize = w.host.Compositor().CanvasGraphics();
    // The frame (and this callback) go on with the graphics they were given.
    clipAfterResize = gp::GdipSetClipRect(g, 0, 0, 10, 10, Gdiplus::CombineModeIntersect);
  });
  w.host.RedrawRect(RectF{0, 0, 50, 50}, true);
  ASSERT_GE(overlays, 1);
  EXPECT_EQ(w.host.ClientSize().cx, 160);
  EXPECT_NE(afterResize, drawnOn);  // the resize made a new canvas...
  EXPECT_GT(pendingAfter, pendingBefore);  // ... and the old one waits
  EXPECT_EQ(clipAfterResize, Gdiplus::Ok);
  EXPECT_EQ(PendingReleases(), 0u);  // gone once the outermost call returned
  w.host.SetOnPaintOverlay(nullptr);
}

TEST(RedrawQueue, AWindowResizedByTheBackgroundPainterLeavesTheNewBackgroundFreeOfElements) {
  // The resize recomposes the window at its new size inside the outer
  // redraw; the outer one must not go on to copy that composed canvas
  // (elements included) into the background the host repairs from.
  HostedWindow w(200, 150);
  Recorder e(0xFFFF0000);
  e.Make(w.hwnd(), 20, 20, 40, 40);
  w.Settle();
  int calls = 0;
  w.host.SetOnPaintBackground([&](HWND hwnd, Gdiplus::GpGraphics*, int, int) {
    if (++calls == 1) SetWindowPos(hwnd, nullptr, 0, 0, 160, 120, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  });
  w.host.Redraw();
  ASSERT_GE(calls, 2);
  ASSERT_EQ(w.host.ClientSize().cx, 160);
  const Argb underElement = qwtest::DcPixel(w.host.BackgroundDc(), 30, 30);
  EXPECT_EQ(w.Canvas(30, 30), 0xFFFF0000u);
  w.host.SetOnPaintBackground(nullptr);
  w.host.Redraw();
  EXPECT_EQ(underElement, qwtest::DcPixel(w.host.BackgroundDc(), 30, 30));
  EXPECT_NE(underElement, 0xFFFF0000u);
  EXPECT_EQ(w.Canvas(30, 30), 0xFFFF0000u);
}

// ---- effects that pump --------------------------------------------------------------------

TEST(EffectPump, AWindowClosedDuringItsOpenEffectGetsNoFurtherFrames) {
  HostedWindow w(300, 200);
  Frames frames;
  bool destroyed = false;
  size_t framesAtClose = 0;
  w.host.SetOnMessage([&](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
    if (msg == WM_DESTROY) {
      destroyed = true;
      framesAtClose = frames.indices.size();
    }
    return -1;
  });
  frames.onFrame = [&](const EffectFrame& f) {
    if (f.index == 3) PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);
  };
  w.host.Show(1, 100);
  ASSERT_TRUE(destroyed);
  EXPECT_FALSE(IsWindow(w.hwnd()));
  EXPECT_EQ(frames.indices.size(), framesAtClose);
  EXPECT_FALSE(w.host.IsAttached());
}

TEST(EffectPump, ACloseRequestedDuringACloseEffectEndsItWithoutNesting) {
  HostedWindow w(300, 200);
  w.host.SetCloseEffect(1);
  Frames frames;
  int closes = 0;
  w.host.SetOnMessage([&](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
    if (msg == WM_CLOSE) ++closes;
    return -1;
  });
  frames.onFrame = [&](const EffectFrame& f) {
    if (f.index == 3 && closes == 1) PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);
  };
  SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(closes, 2);
  EXPECT_FALSE(IsWindow(w.hwnd()));
  // One effect's frames, in order, never restarting inside each other.
  ASSERT_FALSE(frames.indices.empty());
  for (size_t i = 1; i < frames.indices.size(); ++i)
    EXPECT_GT(frames.indices[i], frames.indices[i - 1]) << "frame " << i;
  EXPECT_LE(frames.indices.size(), 4u);
}

TEST(EffectPump, ACloseRequestedDuringTheOpenEffectEndsItAndPlaysNoCloseEffect) {
  const HWND hwnd = MakeKeptWindow(300, 200);
  UiWindow host;
  ASSERT_TRUE(host.Create(hwnd, HostedWindow::Plain()));
  host.SetCloseEffect(1);
  Frames frames;
  frames.onFrame = [&](const EffectFrame& f) {
    if (f.index == 3) PostMessageW(hwnd, WM_CLOSE, 0, 0);
  };
  host.Show(1, 100);
  // Frames 1, 2, 3, then the final opaque one (index 0): no close frames.
  EXPECT_EQ(frames.indices, (std::vector<int>{1, 2, 3, 0}));
  EXPECT_FALSE(host.EffectRunning());
  EXPECT_FALSE(host.Busy());
  EXPECT_TRUE(host.IsAttached());
  // The window's procedure kept it; a later close plays the close effect.
  frames.onFrame = nullptr;
  frames.indices.clear();
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(frames.indices.size(), 16u);
  DestroyWindow(hwnd);
}

TEST(EffectPump, AHostDeletedDuringItsCloseEffectEndsItQuietly) {
  HeapHost w(300, 200);
  w.host->SetCloseEffect(7);
  Frames frames;
  size_t framesAtDelete = 0;
  frames.onFrame = [&](const EffectFrame& f) {
    if (f.index == 2) PostMessageW(w.window.hwnd(), WM_APP + 7, 0, 0);
  };
  w.host->SetOnMessage([&](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
    if (msg != WM_APP + 7) return -1;
    framesAtDelete = frames.indices.size();
    w.host.reset();
    return 0;
  });
  SendMessageW(w.window.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(w.host);
  EXPECT_GT(framesAtDelete, 0u);
  EXPECT_EQ(frames.indices.size(), framesAtDelete);
}

// ---- Show ----------------------------------------------------------------------------------

TEST(ShowPump, ShowHandlesOnlyItsOwnWindowsPendingMessages) {
  HostedWindow w;
  const UINT mine = WM_APP + 11, threads = WM_APP + 12;
  int handled = 0;
  w.host.SetOnMessage([&](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
    if (msg == mine) ++handled;
    return -1;
  });
  PostMessageW(w.hwnd(), mine, 0, 0);
  PostThreadMessageW(GetCurrentThreadId(), threads, 0, 0);
  w.host.Show(0);
  EXPECT_EQ(handled, 1);
  MSG msg;
  // The thread's message is left for the loop that owns it.
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, threads, threads, PM_REMOVE));
  ShowWindow(w.hwnd(), SW_HIDE);
}

TEST(ShowPump, AHostDeletedByItsOwnPendingMessageIsNotShown) {
  HeapHost w;
  w.host->SetOnMessage([&](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
    if (msg != WM_APP + 3) return -1;
    w.host.reset();
    return 0;
  });
  PostMessageW(w.window.hwnd(), WM_APP + 3, 0, 0);
  Frames frames;
  w.host->Show(1, 50);
  EXPECT_FALSE(w.host);
  EXPECT_TRUE(frames.indices.empty());
  EXPECT_FALSE(IsWindowVisible(w.window.hwnd()));
}

// ---- attaching again ---------------------------------------------------------------

namespace {
// The host attached to `window` gets its messages (an element made on it
// is hovered); detached, the window goes on working.
void ExpectHostGetsMessagesThenDetach(UiWindow& host, HWND window) {
  Recorder e;
  ASSERT_NE(e.Make(window, 10, 10, 50, 50), 0u);
  SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  EXPECT_EQ(host.HoverElement(), &e);
  host.Detach();
  EXPECT_EQ(SendMessageW(window, WM_NULL, 0, 0), 0);
}
}  // namespace

TEST(Reattach, AHostDeletedByItsOwnCallbackWhileAttachingAgainIsNotTouchedAgain) {
  TestWindow window(40, 40, 200, 150);
  // The host lives in storage the test overwrites once it is deleted, so
  // that any later use of it by Create reads garbage.
  alignas(UiWindow) unsigned char storage[sizeof(UiWindow)];
  auto* host = new (storage) UiWindow();
  ASSERT_TRUE(host->Create(window.hwnd(), HostedWindow::Plain()));
  int overlays = 0;
  host->SetOnPaintOverlay([&](HWND, Gdiplus::GpGraphics*, const RectF&) {
    if (++overlays != 1) return;
    host->~UiWindow();
    std::memset(storage, 0xA5, sizeof storage);
  });
  host->Detach();
  EXPECT_FALSE(host->Create(window.hwnd(), HostedWindow::Plain()));
  EXPECT_EQ(overlays, 1);
  EXPECT_EQ(UiWindow::FromWindow(window.hwnd()), nullptr);
  // The window is left with its own procedure, and works on.
  EXPECT_EQ(SendMessageW(window.hwnd(), WM_NULL, 0, 0), 0);
  EXPECT_TRUE(InvalidateRect(window.hwnd(), nullptr, FALSE));
  qwtest::PumpPending();
}

TEST(Reattach, AHostDeletedByAnElementItsDetachDestroysIsNotTouchedAgain) {
  TestWindow window(40, 40, 200, 150);
  alignas(UiWindow) unsigned char storage[sizeof(UiWindow)];
  auto* host = new (storage) UiWindow();
  ASSERT_TRUE(host->Create(window.hwnd(), HostedWindow::Plain()));
  Recorder first, second;
  first.Make(window.hwnd(), 10, 10, 40, 40);
  second.Make(window.hwnd(), 60, 10, 40, 40);
  bool deleted = false;
  first.onEvent = [&](UINT m) {
    if (m != ev::kDestroyed || deleted) return;
    deleted = true;
    host->~UiWindow();
    std::memset(storage, 0xA5, sizeof storage);
  };
  host->Detach();
  EXPECT_TRUE(deleted);
  EXPECT_FALSE(first.IsCreated());
  EXPECT_FALSE(second.IsCreated());
  EXPECT_EQ(UiWindow::FromWindow(window.hwnd()), nullptr);
  EXPECT_EQ(SendMessageW(window.hwnd(), WM_NULL, 0, 0), 0);
  first.onEvent = nullptr;
}

TEST(Reattach, AHostDetachedAgainByAnElementItsDetachDestroysCanBeAttachedAgain) {
  TestWindow window(40, 40, 200, 150);
  UiWindow host;
  ASSERT_TRUE(host.Create(window.hwnd(), HostedWindow::Plain()));
  Recorder first, second;
  first.Make(window.hwnd(), 10, 10, 40, 40);
  second.Make(window.hwnd(), 60, 10, 40, 40);
  int nested = 0;
  first.onEvent = [&](UINT m) {
    if (m == ev::kDestroyed && nested++ == 0) host.Detach();
  };
  host.Detach();
  first.onEvent = nullptr;
  EXPECT_EQ(nested, 1);
  EXPECT_FALSE(host.IsAttached());
  EXPECT_FALSE(second.IsCreated());
  // Attached again, the host gets the window's messages: the nested
  // teardown left no trace of a procedure still in the window's chain.
  ASSERT_TRUE(host.Create(window.hwnd(), HostedWindow::Plain()));
  ExpectHostGetsMessagesThenDetach(host, window.hwnd());
}

TEST(Reattach, AHostAttachedAgainAfterItsTooltipSubclassedTheWindowDoesNotCallItself) {
  TestWindow window(40, 40, 200, 150);
  UiWindow host;
  ASSERT_TRUE(host.Create(window.hwnd(), HostedWindow::Plain()));
  Recorder tipped;
  tipped.Make(window.hwnd(), 10, 10, 50, 50);
  tipped.TipText("提示", true);  // the tooltip's tool subclasses the window
  host.Detach();
  ASSERT_TRUE(host.Create(window.hwnd(), HostedWindow::Plain()));
  // Before, the host's procedure found itself as the one it replaced and
  // called itself until the stack ran out.
  EXPECT_EQ(SendMessageW(window.hwnd(), WM_NULL, 0, 0), 0);
  ExpectHostGetsMessagesThenDetach(host, window.hwnd());
}
