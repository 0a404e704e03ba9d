#include "app/form/accessible_label_proxy.h"

namespace app::form {

bool AccessibleLabelProxy::Create(HWND window, const RECT& box, const std::string& caption, bool visible) {
  caption_ = caption;
  const ui::RectF bounds{static_cast<float>(box.left), static_cast<float>(box.top),
                         static_cast<float>(box.right - box.left), static_cast<float>(box.bottom - box.top)};
  if (!UiElement::Create(window, bounds, ui::kind::kNoBitmap, visible, false)) return false;
  Disabled(true);
  return true;
}

void AccessibleLabelProxy::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  NotifyAccessibility(EVENT_OBJECT_NAMECHANGE);
}

void AccessibleLabelProxy::SetBox(const RECT& box) {
  // The proxy draws nothing: the label repaints both places itself, and a
  // repaint here would compose them once more at once (10 ms under Wine).
  SetBounds(box.left, box.top, box.right - box.left, box.bottom - box.top, false);
}

ui::AccessibleInfo AccessibleLabelProxy::Accessible() {
  ui::AccessibleInfo info = UiElement::Accessible();
  info.role = ui::AccessibleRole::kStaticText;
  info.name = caption_;
  // Disabled only so that the mouse passes through to what is below.
  info.state &= ~ui::accessible_state::kUnavailable;
  return info;
}

}  // namespace app::form
