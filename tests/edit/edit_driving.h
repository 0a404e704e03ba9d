#pragma once
// Driving an edit box the way a user does: window messages to the hosted
// window (mouse presses, key downs, characters, input-method results) that
// the host routes to the element, and the thread's real key state for
// Control and Shift.
#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "ui/element/element.h"

namespace qwtest {

// Holds virtual keys down in the thread's keyboard state (what GetKeyState
// reads) for the life of the object.
class HeldKeys {
 public:
  HeldKeys(std::initializer_list<int> keys);
  HeldKeys(const HeldKeys&) = delete;
  HeldKeys& operator=(const HeldKeys&) = delete;
  ~HeldKeys();

 private:
  BYTE before_[256]{};
};

// Client point (window coordinates) inside element `e` at (dx, dy) from its
// top-left corner.
LPARAM PointIn(const ui::UiElement& e, float dx, float dy);

void Press(HWND hwnd, LPARAM point);          // WM_LBUTTONDOWN then WM_LBUTTONUP
void DoubleClick(HWND hwnd, LPARAM point);    // press, release, WM_LBUTTONDBLCLK, release
void Key(HWND hwnd, int virtualKey, int times = 1);  // WM_KEYDOWN and WM_KEYUP
void CtrlKey(HWND hwnd, int virtualKey);      // the key with Control held
// WM_CHAR for every byte below 0x80 of `text`; a two-byte character is sent
// as its UTF-16 unit (as a Unicode window receives it).
void Type(HWND hwnd, std::string_view text);

// A real input-method result: `text` (code-page text) is put into the
// window's input context as the composition and completed, so the window
// receives WM_IME_COMPOSITION with GCS_RESULTSTR and can read the result
// back. False when the system's input method does not take it.
bool CompleteComposition(HWND hwnd, std::string_view text);

}  // namespace qwtest
