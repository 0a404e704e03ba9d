#include "ui/element/parent_host.h"

#include "ui/host/window.h"

namespace ui {

const UiWindow* HostOfParent(const UiParent& parent) {
  if (!parent.element) return UiWindow::FromWindow(parent.window);
  const UiElement* element = UiElement::FromHandle(parent.element);
  return element ? element->Host() : nullptr;
}

}  // namespace ui
