#pragma once
// UiInputRouter: routes a host's mouse and keyboard input to its
// elements and the application's element callbacks: hover, press, click,
// double click, focus by click and by Tab / Shift+Tab, focus cues, Enter /
// Space, accelerators, edge resizing, caption dragging, activation and
// mouse leave. Keeps who is hovered, pressed and focused. Owned by the
// UiWindow it serves.
//
// Every call into an element or an application callback may destroy
// elements, or detach or delete the host (and this router with it): what
// the router holds across such a call it holds through WeakRef, and it
// re-checks the host's and the element's life before going on.
#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "ui/core/lifetime.h"
#include "ui/element/element_types.h"

namespace ui {

class UiWindow;

// An element callback: (window, element, wParam, lParam, kind).
using HostElementFn = std::function<void(HWND, ElementHandle, WPARAM, LPARAM, int)>;

class UiInputRouter {
 public:
  // The application's element callbacks.
  struct Callbacks {
    HostElementFn leftDown, leftUp, click, doubleClick, rightDown, rightUp;
    HostElementFn mouseEnter, mouseLeave, focus, blur;
  };

  explicit UiInputRouter(UiWindow& host) : host_(host) {}
  UiInputRouter(const UiInputRouter&) = delete;
  UiInputRouter& operator=(const UiInputRouter&) = delete;

  Callbacks& callbacks() { return callbacks_; }

  // ---- window messages -----------------------------------------------------
  // WM_MOUSEMOVE, WM_[LR]BUTTON(DOWN|UP); a double click arrives as
  // WM_LBUTTONDOWN with wParam ev::kDoubleClickMark.
  void OnMouseMove(WPARAM wp, LPARAM lp);
  void RouteMouse(UINT msg, WPARAM wp, LPARAM lp);
  void OnActivate(WPARAM wp, LPARAM lp);
  void OnMouseLeave(WPARAM wp, LPARAM lp);
  void OnSetCursor();
  LRESULT OnKeyDown(UINT msg, WPARAM wp, LPARAM lp);
  // True when an accelerator took the key.
  bool OnSysChar(UINT msg, WPARAM wp, LPARAM lp);
  // Keys, characters, commands and the wheel go to the focused element.
  void SendToFocused(UINT msg, WPARAM wp, LPARAM lp);

  // ---- focus and hit testing -----------------------------------------------
  UiElement* HitTest(float x, float y) const;
  void SetFocusElement(UiElement* element, bool fromKeyboard);
  // The element's click event, then the click callback.
  void Activate(UiElement* element);
  UiElement* FocusedElement() const { return focusedElement_.get(); }
  UiElement* HoverElement() const { return hoverElement_.get(); }
  UiElement* PressedElement() const { return pressedElement_.get(); }
  bool ButtonDown() const { return buttonDown_; }
  UiElement* KeyboardFocus() const { return keyboardFocus_.get(); }
  // The order Tab walks (Shift+Tab backwards); empty: the top-level
  // elements in z-order. Stale handles are skipped.
  void SetTabOrder(std::vector<ElementHandle> order) { tabOrder_ = std::move(order); }
  // Focus cues (the focused control's mark) stay hidden until the keyboard
  // is used to move around (Tab, the arrow keys); then they stay shown.
  bool FocusCuesShown() const { return focusCuesShown_; }
  void ShowFocusCues();
  // Whether `element` shows the focus mark now: it has the focus, the cues
  // are shown and the window is the active one.
  bool ShowsFocusMark(const UiElement* element) const;
  // Direct state changes used by menu items (no events are sent).
  void SetHoverElement(UiElement* element);
  void SetFocusedElementDirect(UiElement* element);

  // Clears every reference to an element that is being destroyed.
  void ForgetElement(const UiElement* element);
  // The host detaches: the capture and mouse tracking end, nothing is
  // hovered, pressed or focused any more.
  void Forget();

 private:
  bool ResizeHitTest(UINT msg, LPARAM lp);
  // The next tab stop after (or before) the focused element, wrapping;
  // null when there is none other than it.
  UiElement* NextTabStop(UiElement* focused, bool backwards) const;
  // Redraws the focused element, whose mark may have come or gone.
  void RepaintFocusMark();

  UiWindow& host_;
  WeakRef<UiElement> focusedElement_;  // not owned (elements are the application's)
  WeakRef<UiElement> hoverElement_;
  WeakRef<UiElement> pressedElement_;
  WeakRef<UiElement> keyboardFocus_;
  bool buttonDown_ = false;
  bool mouseTracked_ = false;
  bool focusCuesShown_ = false;
  // Activation as WM_ACTIVATE last told it; unset until the first one.
  std::optional<bool> windowActive_;
  std::vector<ElementHandle> tabOrder_;
  Callbacks callbacks_;
};

}  // namespace ui
