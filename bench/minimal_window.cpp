// The start-up baseline: the least a program must do to show a window of
// the installer's size with a picture in it. It opens a 588 x 438 window,
// blits one bitmap into it, sets the named event given on its command line
// once that frame is on the screen, and ends. With QW_STARTUP_TRACE set it
// writes its stages as the installer's probe does (bench/first_frame.h).
#include <windows.h>
#include <shellapi.h>

#include <cstdint>

#include "bench/first_frame.h"

namespace {

constexpr int kWidth = 588;
constexpr int kHeight = 438;
HDC g_picture = nullptr;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    BitBlt(dc, 0, 0, kWidth, kHeight, g_picture, 0, 0, SRCCOPY);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  bench::StageTrace trace;
  trace.Mark("main");
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 2) return 1;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -kHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return 1;
  auto* pixels = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) pixels[y * kWidth + x] = 0xFF000000u | (x << 16) | (y << 8) | ((x ^ y) & 0xFF);
  g_picture = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(g_picture, bitmap);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"QwBenchMinimalWindow";
  RegisterClassExW(&wc);
  trace.Mark("class");
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"bench", WS_POPUP, 50, 50, kWidth, kHeight, nullptr, nullptr,
                              instance, nullptr);
  trace.Mark("window");
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  trace.Mark("shown");
  const bool shown = bench::PumpUntilPresented(hwnd, 60000);
  trace.Mark("first-frame");
  if (shown) bench::Signal(argv[argc - 1]);
  trace.Write();

  DestroyWindow(hwnd);
  SelectObject(g_picture, old);
  DeleteDC(g_picture);
  DeleteObject(bitmap);
  return shown ? 0 : 1;
}
