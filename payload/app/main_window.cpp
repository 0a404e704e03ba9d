#include "payload/app/main_window.h"

#include <cwchar>
#include <string>

#include "payload/app/font_choice.h"
#include "payload/core/qwcore.h"

namespace qingwu {
namespace {
constexpr int kClientWidth = 560;
constexpr int kClientHeight = 340;
constexpr int kHeaderHeight = 128;
constexpr int kButtonId = 100;

std::wstring ModuleFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// Asks qwcore.dll beside the program for the number of routes in servers.ini.
int ReadRouteCount() {
  const std::wstring folder = ModuleFolder();
  HMODULE core = LoadLibraryExW((folder + L"qwcore.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!core) return -1;
  int count = -1;
  auto routeCount = reinterpret_cast<QwCoreRouteCountFn>(
      reinterpret_cast<void*>(GetProcAddress(core, "QwCoreRouteCount")));
  if (routeCount) count = routeCount((folder + L"servers.ini").c_str());
  FreeLibrary(core);
  return count;
}

COLORREF Mix(COLORREF a, COLORREF b, int t, int range) {
  auto channel = [&](int shift) {
    const int ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    return static_cast<COLORREF>(ca + (cb - ca) * t / range) << shift;
  };
  return channel(0) | channel(8) | channel(16);
}

void FillSolid(HDC dc, const RECT& r, COLORREF color) {
  ui::gdi::Brush brush(CreateSolidBrush(color));
  FillRect(dc, &r, brush.get());
}

void DrawTextAt(HDC dc, HFONT font, COLORREF color, const wchar_t* text, RECT r, UINT format) {
  HGDIOBJ old = SelectObject(dc, font);
  SetTextColor(dc, color);
  DrawTextW(dc, text, -1, &r, format | DT_NOPREFIX);
  SelectObject(dc, old);
}
}  // namespace

bool MainWindow::Create(HINSTANCE instance, int showCommand) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&wc)) return false;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  hwnd_ = CreateWindowExW(0, kWindowClass, kProductName, style, CW_USEDEFAULT, CW_USEDEFAULT,
                          frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                          instance, this);
  if (!hwnd_) return false;
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  return true;
}

LRESULT CALLBACK MainWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self ? self->Handle(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // everything is painted double-buffered in WM_PAINT
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      RECT client;
      GetClientRect(hwnd_, &client);
      ui::gdi::MemoryDc memory(CreateCompatibleDC(dc));
      ui::gdi::Bitmap canvas(CreateCompatibleBitmap(dc, client.right, client.bottom));
      if (memory && canvas) {
        HGDIOBJ old = SelectObject(memory.get(), canvas.get());
        Paint(memory.get(), client);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
        SelectObject(memory.get(), old);
      }
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_CTLCOLORBTN:
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    case WM_COMMAND:
      if (LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED) ToggleAcceleration();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void MainWindow::OnCreate() {
  titleFont_.reset(CreateUiFont(34, FW_BOLD));
  textFont_.reset(CreateUiFont(15, FW_NORMAL));
  statusFont_.reset(CreateUiFont(24, FW_BOLD));
  buttonFont_.reset(CreateUiFont(17, FW_NORMAL));
  routeCount_ = ReadRouteCount();
  button_ = CreateWindowExW(0, L"BUTTON", L"开始加速", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                            kClientWidth - 32 - 150, kClientHeight - 32 - 44, 150, 44, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)),
                            GetModuleHandleW(nullptr), nullptr);
  SendMessageW(button_, WM_SETFONT, reinterpret_cast<WPARAM>(buttonFont_.get()), TRUE);
}

void MainWindow::ToggleAcceleration() {
  accelerating_ = !accelerating_;
  SetWindowTextW(button_, accelerating_ ? L"停止加速" : L"开始加速");
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void MainWindow::Paint(HDC dc, const RECT& client) {
  SetBkMode(dc, TRANSPARENT);
  FillSolid(dc, client, RGB(0xF4, 0xF7, 0xFB));
  // Header: a left-to-right gradient from deep blue to teal.
  const COLORREF deep = RGB(0x08, 0x1E, 0x4A), teal = RGB(0x0F, 0x8F, 0xB0);
  for (int x = 0; x < client.right; x += 4) {
    FillSolid(dc, RECT{x, 0, x + 4, kHeaderHeight}, Mix(deep, teal, x, client.right));
  }
  DrawTextAt(dc, titleFont_.get(), RGB(0xFF, 0xFF, 0xFF), kProductName,
             RECT{32, 26, client.right - 32, 80}, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
  const std::wstring version = std::wstring(L"版本 ") + kVersion;
  DrawTextAt(dc, textFont_.get(), RGB(0xC9, 0xF4, 0xFF), version.c_str(),
             RECT{34, 82, client.right - 32, 106}, DT_LEFT | DT_SINGLELINE | DT_VCENTER);

  // Status card.
  const RECT card = {24, kHeaderHeight + 20, client.right - 24, kHeaderHeight + 20 + 96};
  {
    ui::gdi::Pen border(CreatePen(PS_SOLID, 1, RGB(0xD8, 0xE2, 0xEE)));
    ui::gdi::Brush fill(CreateSolidBrush(RGB(0xFF, 0xFF, 0xFF)));
    HGDIOBJ oldPen = SelectObject(dc, border.get());
    HGDIOBJ oldBrush = SelectObject(dc, fill.get());
    RoundRect(dc, card.left, card.top, card.right, card.bottom, 12, 12);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
  }
  const COLORREF dot = accelerating_ ? RGB(0x2E, 0xC2, 0x7E) : RGB(0xB0, 0xB8, 0xC4);
  {
    ui::gdi::Brush brush(CreateSolidBrush(dot));
    ui::gdi::Pen pen(CreatePen(PS_SOLID, 1, dot));
    HGDIOBJ oldPen = SelectObject(dc, pen.get());
    HGDIOBJ oldBrush = SelectObject(dc, brush.get());
    Ellipse(dc, card.left + 22, card.top + 24, card.left + 36, card.top + 38);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
  }
  DrawTextAt(dc, statusFont_.get(), RGB(0x1E, 0x2A, 0x3A), accelerating_ ? L"加速中" : L"未加速",
             RECT{card.left + 46, card.top + 14, card.right - 16, card.top + 48},
             DT_LEFT | DT_SINGLELINE | DT_VCENTER);
  std::wstring detail;
  if (routeCount_ < 0) {
    detail = L"未找到线路数据，请重新安装。";
  } else if (accelerating_) {
    detail = L"已选用最快线路，游戏数据经加速节点转发。";
  } else {
    wchar_t text[96];
    std::swprintf(text, 96, L"共有 %d 条加速线路可用，点击“开始加速”。", routeCount_);
    detail = text;
  }
  DrawTextAt(dc, textFont_.get(), RGB(0x5A, 0x66, 0x78), detail.c_str(),
             RECT{card.left + 24, card.top + 56, card.right - 16, card.bottom - 10},
             DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
}

}  // namespace qingwu
