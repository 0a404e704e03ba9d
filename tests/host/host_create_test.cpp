// Attaching a host to a window: failures, caption parts, styles, teardown.
#include <gtest/gtest.h>

#include "tests/support/host_fixture.h"
#include "ui/host/caption_parts.h"

using namespace ui;
using qwtest::HostedWindow;
using qwtest::Recorder;
using qwtest::TestWindow;

namespace {
// Records where the host asks for caption buttons.
struct CaptionRecorder {
  CaptionRecorder() {
    CaptionPartFactory f = DefaultCaptionParts();
    auto makeButton = f.button;
    f.button = [this, makeButton](HWND h, const RectF& r, int kind) {
      buttons.push_back({kind, r});
      return makeButton(h, r, kind);
    };
    SetCaptionParts(f);
  }
  ~CaptionRecorder() { SetCaptionParts(DefaultCaptionParts()); }
  std::vector<std::pair<int, RectF>> buttons;
};
}  // namespace

TEST(HostCreate, FailuresLeaveTheObjectUnchanged) {
  UiWindow host;
  EXPECT_FALSE(host.Create(nullptr));
  EXPECT_FALSE(host.Create(reinterpret_cast<HWND>(0x12345)));
  EXPECT_FALSE(host.IsAttached());
  EXPECT_EQ(host.Window(), nullptr);

  TestWindow w(0, 0, 120, 90);
  ASSERT_TRUE(host.Create(w.hwnd(), HostedWindow::Plain()));
  const HDC canvas = host.CanvasDc();
  EXPECT_FALSE(host.Create(w.hwnd(), HostedWindow::Plain()));
  EXPECT_TRUE(host.IsAttached());
  EXPECT_EQ(host.CanvasDc(), canvas);
  EXPECT_EQ(UiWindow::FromWindow(w.hwnd()), &host);
  // A second host for the same window is refused.
  UiWindow other;
  EXPECT_FALSE(other.Create(w.hwnd()));
  EXPECT_EQ(UiWindow::FromWindow(w.hwnd()), &host);
}

TEST(HostCreate, DetachOnAnUnattachedObjectDoesNothing) {
  UiWindow host;
  host.Detach();
  EXPECT_FALSE(host.IsAttached());
  EXPECT_EQ(host.CanvasDc(), nullptr);
}

TEST(HostCreate, StripsTheFrameAndKeepsResizableAsThickFrame) {
  TestWindow w(0, 0, 300, 200, WS_OVERLAPPEDWINDOW);
  UiWindow host;
  UiWindow::CreateOptions o;
  o.frameMode = 0;
  ASSERT_TRUE(host.Create(w.hwnd(), o));
  const LONG_PTR style = GetWindowLongPtrW(w.hwnd(), GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & WS_DLGFRAME);
  EXPECT_FALSE(style & WS_BORDER);
  EXPECT_TRUE(host.Resizable());
  EXPECT_TRUE(style & WS_THICKFRAME);  // given back for resizing
  // Style not given: icon, title, close, and both boxes of the style.
  const int flags = host.CaptionFlags();
  EXPECT_EQ(flags & 0x3FF, caption::kIcon | caption::kTitle | caption::kClose | caption::kMaximize |
                               caption::kMinimize | caption::kShadow);
  EXPECT_NE(host.IconPicture(), nullptr);
  ASSERT_NE(host.TitleLabel(), nullptr);
  EXPECT_EQ(host.TitleLabel()->Tag(), std::to_string(host.TitleLabel()->GetHandle() + 2));
  EXPECT_FALSE(host.IconPicture()->Focusable());
  EXPECT_EQ(host.CaptionButtons().size(), 3u);
  // The tooltip window waits for the first tip.
  EXPECT_EQ(host.TooltipWindow(), nullptr);
  host.CaptionButtons()[0]->TipText("tip", true);
  EXPECT_NE(host.TooltipWindow(), nullptr);
  // The whole window rectangle is client area.
  RECT wr{}, cr{};
  GetWindowRect(w.hwnd(), &wr);
  GetClientRect(w.hwnd(), &cr);
  EXPECT_EQ(cr.right, wr.right - wr.left);
  EXPECT_EQ(cr.bottom, wr.bottom - wr.top);
}

TEST(HostCreate, CaptionStyleZeroGivesNoParts) {
  HostedWindow w;
  EXPECT_EQ(w.host.CaptionFlags(), caption::kShadow);
  EXPECT_EQ(w.host.IconPicture(), nullptr);
  EXPECT_EQ(w.host.TitleLabel(), nullptr);
  EXPECT_TRUE(w.host.CaptionButtons().empty());
  EXPECT_EQ(w.host.FirstElement(), nullptr);
}

TEST(HostCreate, CaptionButtonsAreCreatedFromTheRight) {
  CaptionRecorder rec;
  UiWindow::CreateOptions o = HostedWindow::Plain();
  o.captionStyle = caption::kClose | caption::kMaximize | caption::kMinimize;
  HostedWindow w(400, 200, o);
  ASSERT_EQ(rec.buttons.size(), 3u);
  EXPECT_EQ(rec.buttons[0].first, 4);
  EXPECT_EQ(rec.buttons[0].second, (RectF{349, 7, 39, 19}));
  EXPECT_EQ(rec.buttons[1].first, 8);
  EXPECT_EQ(rec.buttons[1].second, (RectF{321, 7, 28, 19}));
  EXPECT_EQ(rec.buttons[2].first, 16);
  EXPECT_EQ(rec.buttons[2].second, (RectF{293, 7, 28, 19}));
  // Then laid out from x = width - 5 - 12, 28 apart.
  EXPECT_EQ(w.host.CaptionButtons()[0]->Left(), 355);
  EXPECT_EQ(w.host.CaptionButtons()[1]->Left(), 327);
  EXPECT_EQ(w.host.CaptionButtons()[2]->Left(), 299);
}

TEST(HostCreate, MessagesReachTheHostThatSubclassedTheWindowWhateverItsPropertySays) {
  // The property is what others read to find the host; the window's own
  // messages go to the host that subclassed it, also when the property
  // was taken away or names something else.
  HostedWindow w, other;
  Recorder a;
  a.Make(w.hwnd(), 10, 10, 20, 20);
  const auto click = [&] {
    SendMessageW(w.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 15));
    SendMessageW(w.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(15, 15));
    return a.Count(ev::kClick);
  };
  RemovePropW(w.hwnd(), L"Zq_Wnd_Control");
  EXPECT_EQ(click(), 1);
  SetPropW(w.hwnd(), L"Zq_Wnd_Control", &other.host);
  EXPECT_EQ(click(), 2);
  EXPECT_EQ(UiWindow::FromWindow(w.hwnd()), nullptr);  // the property's reading is unchanged
  SetPropW(w.hwnd(), L"Zq_Wnd_Control", &w.host);
  EXPECT_EQ(UiWindow::FromWindow(w.hwnd()), &w.host);
  EXPECT_EQ(click(), 3);
}

TEST(HostCreate, DestroyingTheWindowDetachesAndDestroysElements) {
  auto w = std::make_unique<TestWindow>(0, 0, 120, 90);
  UiWindow host;
  ASSERT_TRUE(host.Create(w->hwnd(), HostedWindow::Plain()));
  Recorder a, b, child;
  a.Make(w->hwnd(), 0, 0, 10, 10);
  b.Make(w->hwnd(), 20, 0, 10, 10);
  child.Make(a, 1, 1, 5, 5);
  Recorder stray;
  stray.Make(w->hwnd(), 40, 0, 10, 10);
  stray.Unlink();  // in no list, still of this host
  const HWND hwnd = w->hwnd();
  w.reset();  // DestroyWindow
  EXPECT_FALSE(host.IsAttached());
  EXPECT_EQ(GetPropW(hwnd, L"Zq_Wnd_Control"), nullptr);
  for (Recorder* r : {&a, &b, &child, &stray}) {
    EXPECT_FALSE(r->IsCreated());
    EXPECT_EQ(r->Count(ev::kDestroyed), 1);
  }
  EXPECT_EQ(host.FirstElement(), nullptr);
  EXPECT_EQ(host.CanvasDc(), nullptr);
  EXPECT_EQ(host.TooltipWindow(), nullptr);
}

// The window's own procedure, under the host: which teardown messages reach it.
std::vector<UINT> g_ownProcSaw;
LRESULT CALLBACK OwnProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY || msg == WM_NCDESTROY) g_ownProcSaw.push_back(msg);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

TEST(HostCreate, TheWindowsOwnProcedureStillSeesWmDestroy) {
  g_ownProcSaw.clear();
  auto w = std::make_unique<TestWindow>(0, 0, 120, 90);
  SetWindowLongPtrW(w->hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OwnProc));
  UiWindow host;
  ASSERT_TRUE(host.Create(w->hwnd(), HostedWindow::Plain()));
  // Callbacks that only look: WM_DESTROY still detaches and then goes on.
  std::vector<UINT> callbackSaw;
  host.SetOnMessage([&](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
    if (msg == WM_DESTROY) callbackSaw.push_back(msg);
    return -1;
  });
  w.reset();  // DestroyWindow
  EXPECT_FALSE(host.IsAttached());
  EXPECT_EQ(callbackSaw, std::vector<UINT>{WM_DESTROY});
  EXPECT_EQ(g_ownProcSaw, (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
}

TEST(HostCreate, DeletingTheHostGivesTheWindowBackItsProcedure) {
  TestWindow w(0, 0, 120, 90);
  const LONG_PTR original = GetWindowLongPtrW(w.hwnd(), GWLP_WNDPROC);
  Recorder e;
  {
    UiWindow host;
    ASSERT_TRUE(host.Create(w.hwnd(), HostedWindow::Plain()));
    e.Make(w.hwnd(), 0, 0, 10, 10);
    EXPECT_NE(GetWindowLongPtrW(w.hwnd(), GWLP_WNDPROC), original);
  }
  EXPECT_EQ(GetWindowLongPtrW(w.hwnd(), GWLP_WNDPROC), original);
  EXPECT_FALSE(e.IsCreated());
  EXPECT_EQ(UiWindow::FromWindow(w.hwnd()), nullptr);
  // The window still works on its own.
  SendMessageW(w.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  qwtest::PumpPending();
  // A new host can attach again.
  UiWindow again;
  EXPECT_TRUE(again.Create(w.hwnd(), HostedWindow::Plain()));
}

TEST(HostCreate, DetachReleasesItsGdiObjects) {
  TestWindow w(0, 0, 150, 100);
  UiWindow host;
  ASSERT_TRUE(host.Create(w.hwnd(), HostedWindow::Plain()));
  Recorder e;
  e.Make(w.hwnd(), 10, 10, 30, 30);
  host.Redraw({}, RGB(1, 2, 3), 1, false);  // a cross-fade owns a third buffer meanwhile
  const HDC canvas = host.CanvasDc(), background = host.BackgroundDc();
  const HGDIOBJ canvasBits = GetCurrentObject(canvas, OBJ_BITMAP);
  const HGDIOBJ backgroundBits = GetCurrentObject(background, OBJ_BITMAP);
  ASSERT_EQ(GetObjectType(canvas), static_cast<DWORD>(OBJ_MEMDC));
  ASSERT_EQ(GetObjectType(canvasBits), static_cast<DWORD>(OBJ_BITMAP));
  e.TipText("tip", true);
  const HWND tooltip = host.TooltipWindow();
  ASSERT_TRUE(IsWindow(tooltip));
  host.Detach();
  for (HGDIOBJ h : {static_cast<HGDIOBJ>(canvas), static_cast<HGDIOBJ>(background), canvasBits, backgroundBits})
    EXPECT_EQ(GetObjectType(h), 0u);
  EXPECT_FALSE(IsWindow(tooltip));
  // Where the system counts them, the process's GDI objects are back too.
  const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 3; ++i) {
    UiWindow again;
    ASSERT_TRUE(again.Create(w.hwnd(), HostedWindow::Plain()));
    Recorder r;
    r.Make(w.hwnd(), 10, 10, 30, 30);
    again.Detach();
  }
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before);
}
