#include "ui/host/show_effects.h"

#include <algorithm>
#include <cstring>

#include "ui/core/library.h"
#include "ui/host/window.h"
#include "ui/platform/gdi_handles.h"
#include "ui/platform/system_api.h"

namespace ui {

namespace {

EffectFrameObserver& Observer() {
  static EffectFrameObserver observer;
  return observer;
}

// A window-sized 32-bit canvas that lives for one effect.
class TempCanvas {
 public:
  TempCanvas(HDC reference, int width, int height) : width_(width), height_(height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    dc_.reset(CreateCompatibleDC(reference));
    bitmap_.reset(CreateDIBSection(reference, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0));
    if (dc_ && bitmap_) old_ = SelectObject(dc_.get(), bitmap_.get());
  }
  TempCanvas(const TempCanvas&) = delete;
  TempCanvas& operator=(const TempCanvas&) = delete;
  ~TempCanvas() {
    if (old_) SelectObject(dc_.get(), old_);
  }

  bool ok() const { return old_ != nullptr && bits_ != nullptr; }
  void Clear() {
    if (bits_) std::memset(bits_, 0, static_cast<std::size_t>(width_) * height_ * 4);
  }
  // Blends `src` of the canvas into `dst` of this canvas at constant `alpha`.
  void Blend(HDC canvas, const RECT& dst, const RECT& src, int alpha) {
    if (!ok() || alpha <= 0 || dst.right <= dst.left || dst.bottom <= dst.top ||
        src.right <= src.left || src.bottom <= src.top)
      return;
    BLENDFUNCTION bf{AC_SRC_OVER, 0, static_cast<BYTE>(std::min(alpha, 255)), 0};
    sys::GdiAlphaBlend(dc_.get(), dst.left, dst.top, dst.right - dst.left, dst.bottom - dst.top, canvas,
                       src.left, src.top, src.right - src.left, src.bottom - src.top, bf);
  }
  void Blend(HDC canvas, const RECT& both, int alpha) { Blend(canvas, both, both, alpha); }
  void Push(HWND hwnd) {
    if (!ok()) return;
    SIZE size{width_, height_};
    POINT origin{0, 0};
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    sys::UpdateLayeredWindow(hwnd, nullptr, nullptr, &size, dc_.get(), &origin, 0, &bf, ULW_ALPHA);
  }

 private:
  int width_, height_;
  gdi::MemoryDc dc_;
  gdi::Bitmap bitmap_;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

void Notify(int index, int alpha, const RECT& source) {
  if (Observer()) Observer()(EffectFrame{index, alpha, source, GetTickCount()});
}

void Pause(DWORD ms) {
  if (ms) Sleep(ms);
  ProcessPendingMessages();
}

SIZE WindowSize(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void BlurRegion(const EffectHost& h, RECT r, SIZE size) {
  // The blurred area stays inside the body (6 logical pixels in from the edges).
  const LONG in6 = h.scale.ToDevice(6), in5 = h.scale.ToDevice(5);
  r.left = std::max<LONG>(r.left, in6);
  r.top = std::max<LONG>(r.top, in6);
  r.right = std::min<LONG>(r.right, size.cx - in5);
  r.bottom = std::min<LONG>(r.bottom, size.cy - in5);
  if (r.right <= r.left || r.bottom <= r.top) r = RECT{0, 0, 0, 0};
  SetBlur(h.hwnd, r.left, r.top, r.right, r.bottom, in6, h.frameMode, h.windowAlpha);
}
void BlurOn(const EffectHost& h, SIZE size) {
  const LONG in6 = h.scale.ToDevice(6), in5 = h.scale.ToDevice(5);
  BlurRegion(h, RECT{in6, in6, size.cx - in5, size.cy - in5}, size);
}
void BlurOff(const EffectHost& h) { SetBlur(h.hwnd, 0, 0, 0, 0, h.scale.ToDevice(6), h.frameMode, h.windowAlpha); }

void SetBusy(const EffectHost& h, bool busy) {
  if (h.setBusy) h.setBusy(busy);
}

// The canvas to draw from now; null once the owner is gone.
HDC Source(const EffectHost& h) {
  if (!h.owner.Bound()) return h.canvasDc;
  UiWindow* owner = h.owner.get();
  return owner ? owner->CanvasDc() : nullptr;
}

// Nothing of the window or its host may be touched any more.
bool Gone(const EffectHost& h) {
  return !IsWindow(h.hwnd) || (h.owner.Bound() && !h.owner);
}

// The effect is to end now: gone, or asked to stop.
bool Stopped(const EffectHost& h) {
  if (Gone(h)) return true;
  UiWindow* owner = h.owner.get();
  return owner && owner->EffectStopRequested();
}

// The rounded window shape of a body with corners (frame modes other than 1).
void ApplyRoundedShape(const EffectHost& h, SIZE size) {
  if (h.frameMode == 1) return;
  const int inset = h.scale.ToDevice(IsZoomed(h.hwnd) ? 5 : 6);
  const int corner = h.frameMode == 0 ? 0 : h.scale.ToDevice(5);
  HRGN rgn = CreateRoundRectRgn(inset, inset, size.cx - inset + 1, size.cy - inset + 1, corner, corner);
  if (rgn && !SetWindowRgn(h.hwnd, rgn, TRUE)) DeleteObject(rgn);  // the window owns it on success
}

bool Horizontal(int effect) { return effect == 3 || effect == 4; }

// The strip of a wipe that shows `revealed` pixels, and where its moving
// edge is: the fringe of 100 lines lies beyond that edge, in `direction`.
struct Strip {
  RECT rect;
  int edge;       // first line of the fringe
  int direction;  // +1 or -1
};
Strip WipeStrip(int effect, SIZE size, int revealed) {
  switch (effect) {
    case 3: return {RECT{0, 0, revealed, size.cy}, revealed, +1};
    case 4: return {RECT{size.cx - revealed, 0, size.cx, size.cy}, size.cx - revealed - 1, -1};
    case 5: return {RECT{0, 0, size.cx, revealed}, revealed, +1};
    default: return {RECT{0, size.cy - revealed, size.cx, size.cy}, size.cy - revealed - 1, -1};
  }
}

void DrawWipe(TempCanvas& t, HDC canvas, int effect, SIZE size, int revealed, int alpha) {
  const Strip s = WipeStrip(effect, size, revealed);
  t.Blend(canvas, s.rect, alpha);
  const int extent = Horizontal(effect) ? size.cx : size.cy;
  for (int k = 1; k <= 100; ++k) {
    const int line = s.edge + s.direction * (k - 1);
    if (line < 0 || line >= extent) break;
    const int a = static_cast<int>(alpha / 100.0 * (101 - k));
    const RECT r = Horizontal(effect) ? RECT{line, 0, line + 1, size.cy} : RECT{0, line, size.cx, line + 1};
    t.Blend(canvas, r, a);
  }
}

}  // namespace

void ProcessPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void SetEffectFrameObserver(EffectFrameObserver observer) { Observer() = std::move(observer); }

bool SetBlur(HWND hwnd, int left, int top, int right, int bottom, int corner, int frameMode, int windowAlpha) {
  if (Library().osMajorVersion != 6 || frameMode == 1 || windowAlpha == -1) return false;
  BOOL enabled = FALSE;
  if (FAILED(sys::DwmIsCompositionEnabled(&enabled)) || !enabled) return false;
  gdi::Region rgn(CreateRoundRectRgn(left, top, right, bottom, corner, corner));
  DWM_BLURBEHIND bb{};
  bb.dwFlags = DWM_BB_ENABLE | DWM_BB_BLURREGION;
  bb.fEnable = TRUE;
  bb.hRgnBlur = rgn.get();
  bb.fTransitionOnMaximized = FALSE;
  sys::DwmEnableBlurBehindWindow(hwnd, &bb);
  return true;
}

void RunOpenEffect(const EffectHost& h, int effect, int durationMs) {
  if (Gone(h)) return;
  const SIZE size = WindowSize(h.hwnd);
  if (effect == 0) {
    if (h.blurBehind) BlurOn(h, size);
    ShowWindow(h.hwnd, SW_SHOWNORMAL);
    return;
  }
  const LONG_PTR ex = GetWindowLongPtrW(h.hwnd, GWL_EXSTYLE);
  const bool addedLayered = !(ex & WS_EX_LAYERED);
  if (addedLayered) {
    SetWindowLongPtrW(h.hwnd, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    ApplyRoundedShape(h, size);
  }
  SetBusy(h, true);
  {
    TempCanvas t(Source(h), size.cx, size.cy);
    t.Clear();
    t.Push(h.hwnd);  // fully transparent at first
    ShowWindow(h.hwnd, SW_SHOWNORMAL);  // sends messages: may close the window
    if (Gone(h)) return;
    if (h.blurBehind) BlurOff(h);

    const RECT whole{0, 0, size.cx, size.cy};
    DWORD pause = durationMs > 0 ? static_cast<DWORD>(durationMs / 10) : 0;
    if (effect == 7) pause = std::min<DWORD>(pause, 10);
    const int extent = Horizontal(effect) ? size.cx : size.cy;
    const int step = extent / 10;
    for (int i = 1; i <= 10 && !Stopped(h); ++i) {
      const HDC canvas = Source(h);
      t.Clear();
      const int alpha = 25 * (i - 1);
      RECT source = whole;
      if (effect == 1) {
        t.Blend(canvas, whole, alpha);
      } else if (effect == 7) {
        // Zoom in: a centred picture that grows to the full window.
        const int dx = static_cast<int>(size.cx * 0.1 / 10), dy = static_cast<int>(size.cy * 0.1 / 10);
        const int ix = (10 - i) * dx / 2, iy = (10 - i) * dy / 2;
        t.Blend(canvas, RECT{ix, iy, size.cx - ix, size.cy - iy}, whole, alpha);
      } else {
        const int revealed = step * (i - 1);
        DrawWipe(t, canvas, effect, size, revealed, alpha);
        source = WipeStrip(effect, size, revealed).rect;
        if (h.blurBehind) BlurRegion(h, source, size);
      }
      t.Push(h.hwnd);
      Notify(i, alpha, source);
      Pause(pause);
    }
    // Ended early because the window or its host went away: nothing of
    // them is touched again.
    if (Gone(h)) return;
    t.Clear();
    t.Blend(Source(h), whole, 255);
    t.Push(h.hwnd);
    Notify(0, 255, whole);
    if (h.blurBehind) BlurOn(h, size);
  }
  if (addedLayered) SetWindowLongPtrW(h.hwnd, GWL_EXSTYLE, GetWindowLongPtrW(h.hwnd, GWL_EXSTYLE) & ~WS_EX_LAYERED);
  SetBusy(h, false);
}

void RunCloseEffect(const EffectHost& h, int effect) {
  if (effect == 0 || Gone(h)) return;
  const SIZE size = WindowSize(h.hwnd);
  const RECT whole{0, 0, size.cx, size.cy};
  TempCanvas t(Source(h), size.cx, size.cy);
  t.Clear();
  t.Blend(Source(h), whole, 255);
  const LONG_PTR ex = GetWindowLongPtrW(h.hwnd, GWL_EXSTYLE);
  if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrW(h.hwnd, GWL_EXSTYLE, ex | WS_EX_LAYERED);
  t.Push(h.hwnd);
  SetBusy(h, true);

  if (effect == 1) {
    if (h.blurBehind) BlurOff(h);
    for (int i = 1; i <= 15 && !Stopped(h); ++i) {
      const int alpha = 255 - 17 * i;
      t.Clear();
      t.Blend(Source(h), whole, alpha);
      t.Push(h.hwnd);
      Notify(i, alpha, whole);
      Pause(10);
    }
  } else if (effect == 2) {
    if (h.blurBehind) BlurOff(h);
    for (int i = 1; i <= 20 && !Stopped(h); ++i) {
      const int alpha = 255 - 12 * i;
      RECT dst;
      if (1.5 * i <= 5) {  // first a little larger than the window ...
        const int grow = h.scale.ToDevice(static_cast<int>(1.5 * i));
        dst = RECT{-grow / 2, -grow / 2, size.cx - grow / 2 + grow, size.cy - grow / 2 + grow};
      } else {  // ... then shrinking towards the centre
        const int k = h.scale.ToDevice(2 * (i - 3)), five = h.scale.ToDevice(5);
        dst = RECT{k / 2 - five, k / 2 - five, k / 2 - five + size.cx + 2 * five - k,
                   k / 2 - five + size.cy + 2 * five - k};
      }
      t.Clear();
      t.Blend(Source(h), dst, whole, alpha);
      t.Push(h.hwnd);
      Notify(i, alpha, whole);
      Pause(10);
    }
  } else if (effect == 7) {
    if (h.blurBehind) BlurOff(h);
    const int dx = static_cast<int>(size.cx * 0.1 / 15), dy = static_cast<int>(size.cy * 0.1 / 15);
    for (int i = 1; i <= 15 && !Stopped(h); ++i) {
      const int alpha = 255 - 17 * i;
      const int ix = dx * (i - 1), iy = dy * (i - 1);
      t.Clear();
      t.Blend(Source(h), RECT{ix, iy, size.cx - ix, size.cy - iy}, whole, alpha);
      t.Push(h.hwnd);
      Notify(i, alpha, whole);
      Pause(13);
    }
  } else {
    // Reversed wipe: the shown part shrinks back towards the edge it grew from.
    const int extent = Horizontal(effect) ? size.cx : size.cy;
    const int step = extent / 15;
    for (int i = 1; i <= 15 && !Stopped(h); ++i) {
      const int alpha = 255 - 17 * i;
      const int remaining = std::max(0, extent - step * i);
      t.Clear();
      DrawWipe(t, Source(h), effect, size, remaining, alpha);
      const RECT shown = WipeStrip(effect, size, remaining).rect;
      if (h.blurBehind) BlurRegion(h, shown, size);
      t.Push(h.hwnd);
      Notify(i, alpha, shown);
      Pause(8);
    }
  }
  if (Gone(h)) return;
  t.Clear();
  t.Push(h.hwnd);
  Notify(0, 0, RECT{0, 0, 0, 0});
  SetBusy(h, false);
}

}  // namespace ui
