#include "app/form/transparent_label.h"

#include "ui/core/text.h"

namespace app::form {

namespace {
constexpr wchar_t kClassName[] = L"QingwuFormTransparentLabel";

bool RegisterLabelClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;  // replaced per window after creation
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}
}  // namespace

TransparentLabel::~TransparentLabel() {
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool TransparentLabel::Create(HWND parent, const Spec& spec) {
  if (hwnd_ || !parent || !RegisterLabelClass()) return false;
  spec_ = spec;
  font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"宋体"));
  // WS_EX_TRANSPARENT: clicks reach the parent (and the UI host) below it.
  hwnd_ = CreateWindowExW(WS_EX_TRANSPARENT, kClassName, L"", WS_CHILD | (spec.visible ? WS_VISIBLE : 0),
                          spec.left, spec.top, spec.width, spec.height, parent, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) return false;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TransparentLabel::Proc));
  InvalidateRect(hwnd_, nullptr, FALSE);
  return true;
}

void TransparentLabel::SetCaption(const std::string& caption) {
  if (caption == spec_.caption) return;
  spec_.caption = caption;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void TransparentLabel::SetVisible(bool visible) {
  if (visible == spec_.visible) return;
  spec_.visible = visible;
  if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

void TransparentLabel::SetTop(int top) {
  if (top == spec_.top) return;
  spec_.top = top;
  if (hwnd_) SetWindowPos(hwnd_, nullptr, spec_.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TransparentLabel::SetBackgroundPainter(BackgroundPainter painter) {
  background_ = std::move(painter);
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void TransparentLabel::PaintTo(HDC dc) const {
  RECT box{0, 0, spec_.width, spec_.height};
  if (background_) {
    const RECT parentRect{spec_.left, spec_.top, spec_.left + spec_.width, spec_.top + spec_.height};
    background_(dc, parentRect);
  } else {
    HWND parent = hwnd_ ? GetParent(hwnd_) : nullptr;
    auto brush = parent ? reinterpret_cast<HBRUSH>(GetClassLongPtrW(parent, GCLP_HBRBACKGROUND)) : nullptr;
    FillRect(dc, &box, brush ? brush : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  const std::wstring text = ui::ToWide(spec_.caption);
  ui::gdi::ScopedSelect font(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, spec_.textColor);
  const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX |
                      (spec_.align == Align::Center ? DT_CENTER : DT_LEFT);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
}

void TransparentLabel::OnPaint() {
  PAINTSTRUCT ps;
  const HDC target = BeginPaint(hwnd_, &ps);
  // Composed off-screen, so the text never flickers over a cleared background.
  ui::gdi::MemoryDc memory(CreateCompatibleDC(target));
  ui::gdi::Bitmap bitmap(CreateCompatibleBitmap(target, spec_.width, spec_.height));
  if (memory && bitmap) {
    ui::gdi::ScopedSelect select(memory.get(), bitmap.get());
    PaintTo(memory.get());
    BitBlt(target, 0, 0, spec_.width, spec_.height, memory.get(), 0, 0, SRCCOPY);
  }
  EndPaint(hwnd_, &ps);
}

LRESULT CALLBACK TransparentLabel::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TransparentLabel*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self) {
    switch (message) {
      case WM_PAINT:
        self->OnPaint();
        return 0;
      case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT
      case WM_NCHITTEST:
        return HTTRANSPARENT;  // the parent takes the mouse
      case WM_NCDESTROY:
        self->hwnd_ = nullptr;
        break;
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace app::form
