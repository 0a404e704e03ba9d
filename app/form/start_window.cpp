#include "app/form/start_window.h"

#include "ui/host/window.h"

namespace app {

namespace {
constexpr wchar_t kClassName[] = L"QingwuSetupForm";

bool RegisterFormClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW;  // replaced per window below
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
  }();
  return registered;
}
}  // namespace

form::TransparentLabel::Spec LocationLabelSpec() {
  form::TransparentLabel::Spec spec;
  spec.left = 28;
  spec.top = 280;
  spec.width = 62;
  spec.height = 24;
  spec.caption = "安装位置：";
  spec.textColor = RGB(0x60, 0x60, 0x60);
  return spec;
}

form::TransparentLabel::Spec StatusLabelSpec() {
  form::TransparentLabel::Spec spec;
  spec.left = 0;
  spec.top = 373;
  spec.width = 588;
  spec.height = 24;
  spec.caption = "正在安装中......";
  spec.textColor = RGB(0, 0, 0);
  spec.align = form::TransparentLabel::Align::Center;  // a line across the whole window
  spec.visible = false;
  return spec;
}

StartWindow::~StartWindow() { Close(); }

LRESULT CALLBACK StartWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) {
    // Closing the start window ends the program.
    DestroyWindow(hwnd);
    return 0;
  }
  // The installer's only window is gone: the program ends.
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void StartWindow::DrawLabelsWith(ui::UiWindow& host) {
  const HWND window = host.Window();
  host.SetOnPaintOverlay([this](HWND, Gdiplus::GpGraphics* g, const ui::RectF& area) {
    locationLabel_.Draw(g, area);
    statusLabel_.Draw(g, area);
  });
  // Found afresh through the window: the host may be gone by the time a label changes.
  auto repaint = [window](const RECT& r) {
    if (ui::UiWindow* live = ui::UiWindow::FromWindow(window))
      live->InvalidateRect(ui::RectF{static_cast<float>(r.left), static_cast<float>(r.top),
                                     static_cast<float>(r.right - r.left), static_cast<float>(r.bottom - r.top)},
                           0);
  };
  locationLabel_.SetRepaintRequest(repaint);
  statusLabel_.SetRepaintRequest(repaint);
  locationLabel_.Expose();
  statusLabel_.Expose();
}

bool StartWindow::Load(const std::function<void(HWND)>& onCreated) {
  if (hwnd_ || !RegisterFormClass()) return false;
  hwnd_ = CreateWindowExW(0, kClassName, L"青梧网游加速器", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU |
                          WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                          kLeft, kTop, kWidth, kHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) return false;
  SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StartWindow::WindowProc));
  locationLabel_.Create(hwnd_, LocationLabelSpec());
  statusLabel_.Create(hwnd_, StatusLabelSpec());
  if (onCreated) onCreated(hwnd_);
  // A UI host handles the window's pending repaints before it shows the
  // window: the first paint puts the complete frame on the screen at once,
  // instead of the body first and then each control in a paint of its own
  // (each a round trip to the display), and the hidden window's repairs
  // reach no screen.
  if (ui::UiWindow* host = ui::UiWindow::FromWindow(hwnd_)) {
    host->Show();
  } else {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
  }
  UpdateWindow(hwnd_);
  return true;
}

void StartWindow::Close() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 0;
}

}  // namespace app
