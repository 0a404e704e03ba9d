#pragma once
// UiElement: base of every windowless control. (Grows with the element work.)
#include <windows.h>

#include <cstdint>

namespace ui {

class UiElement {
 public:
  UiElement() = default;
  UiElement(const UiElement&) = delete;
  UiElement& operator=(const UiElement&) = delete;
  virtual ~UiElement() = default;

  // Destroys the element and its descendants; the object can be created again.
  void Destroy() {}
  // The class's event procedure; -1 means not handled.
  virtual int HandleEvent(UINT message, WPARAM wParam, LPARAM lParam) { return -1; }
};

}  // namespace ui
