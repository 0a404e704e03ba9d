#include "tests/support/test_env.h"

#include <cstdio>
#include <cstdlib>

#include "ui/platform/gdiplus_handles.h"

namespace qwtest {

namespace {
const wchar_t kTestClass[] = L"QwTestWindow";

void RegisterTestClass() {
  static bool done = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kTestClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)done;
}
}  // namespace

TestWindow::TestWindow(int x, int y, int width, int height, DWORD style, DWORD exStyle,
                       const wchar_t* title) {
  RegisterTestClass();
  hwnd_ = CreateWindowExW(exStyle, kTestClass, title, style, x, y, width, height, nullptr, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
}

TestWindow::~TestWindow() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  PumpPending();
}

void TestWindow::Show() {
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
}

void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    PumpPending();
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    PumpPending();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  PumpPending();
}

ui::Argb BitmapPixel(Gdiplus::GpBitmap* bitmap, int x, int y) {
  Gdiplus::ARGB c = 0;
  if (bitmap) ui::gp::GdipBitmapGetPixel(bitmap, x, y, &c);
  return c;
}

ui::Argb DcPixel(HDC dc, int x, int y) {
  HBITMAP bmp = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
  DIBSECTION dib{};
  if (!bmp || GetObjectW(bmp, sizeof dib, &dib) != sizeof dib || !dib.dsBm.bmBits) {
    COLORREF c = GetPixel(dc, x, y);
    return ui::ArgbOf(255, GetRValue(c), GetGValue(c), GetBValue(c));
  }
  const auto& bm = dib.dsBm;
  if (x < 0 || y < 0 || x >= bm.bmWidth || y >= bm.bmHeight || bm.bmBitsPixel != 32) return 0;
  // Bottom-up DIB unless the height was negative at creation.
  const bool bottomUp = dib.dsBmih.biHeight > 0;
  const int row = bottomUp ? bm.bmHeight - 1 - y : y;
  const auto* p = static_cast<const std::uint8_t*>(bm.bmBits) + row * bm.bmWidthBytes + x * 4;
  return ui::ArgbOf(p[3], p[2], p[1], p[0]);
}

bool ColorNear(ui::Argb a, ui::Argb b, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int ca = static_cast<int>((a >> shift) & 0xFF);
    const int cb = static_cast<int>((b >> shift) & 0xFF);
    if (std::abs(ca - cb) > tolerance) return false;
  }
  return true;
}

std::string ColorText(ui::Argb c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(c));
  return buf;
}

}  // namespace qwtest
