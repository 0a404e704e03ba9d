#include "tests/edit/edit_driving.h"

#include <imm.h>

#include "ui/core/text.h"

namespace qwtest {

HeldKeys::HeldKeys(std::initializer_list<int> keys) {
  GetKeyboardState(before_);
  BYTE state[256];
  std::copy(std::begin(before_), std::end(before_), std::begin(state));
  for (int k : keys) state[k] |= 0x80;
  SetKeyboardState(state);
}

HeldKeys::~HeldKeys() { SetKeyboardState(before_); }

LPARAM PointIn(const ui::UiElement& e, float dx, float dy) {
  const ui::RectF b = e.Bounds();
  return MAKELPARAM(static_cast<int>(b.x + dx), static_cast<int>(b.y + dy));
}

void Press(HWND hwnd, LPARAM point) {
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, point);
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, point);
  SendMessageW(hwnd, WM_LBUTTONUP, 0, point);
}

void DoubleClick(HWND hwnd, LPARAM point) {
  Press(hwnd, point);
  SendMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
  SendMessageW(hwnd, WM_LBUTTONUP, 0, point);
}

void Key(HWND hwnd, int virtualKey, int times) {
  for (int i = 0; i < times; ++i) {
    SendMessageW(hwnd, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1);
    SendMessageW(hwnd, WM_KEYUP, static_cast<WPARAM>(virtualKey), 0xC0000001);
  }
}

void CtrlKey(HWND hwnd, int virtualKey) {
  HeldKeys control{VK_CONTROL};
  Key(hwnd, virtualKey);
}

void Type(HWND hwnd, std::string_view text) {
  for (wchar_t unit : ui::ToWide(text)) SendMessageW(hwnd, WM_CHAR, unit, 1);
}

bool CompleteComposition(HWND hwnd, std::string_view text) {
  HIMC context = ImmGetContext(hwnd);
  if (!context) return false;
  const std::wstring wide = ui::ToWide(text);
  bool ok = ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<wchar_t*>(wide.c_str()),
                                     static_cast<DWORD>(wide.size() * sizeof(wchar_t)), nullptr, 0) != FALSE;
  ok = ok && ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0) != FALSE;
  ImmReleaseContext(hwnd, context);
  return ok;
}

}  // namespace qwtest
