// Holding redraws: a host collects changes and presents them as one frame.
#include <algorithm>

#include "ui/element/element.h"
#include "ui/host/window.h"

namespace ui {

void UiWindow::HoldRedraws() {
  if (!IsAttached()) return;
  ++redrawHolds_;
  redrawQueue_.SetHeld(true);
}

void UiWindow::ReleaseRedraws() {
  if (redrawHolds_ == 0) return;
  if (--redrawHolds_ == 0) PresentHeldRedraws();
}

bool UiWindow::PutOffRepaint(const UiElement* element) {
  if (redrawHolds_ == 0 || !element) return false;
  const ElementHandle handle = element->Self();
  if (std::find(heldRepaints_.begin(), heldRepaints_.end(), handle) == heldRepaints_.end())
    heldRepaints_.push_back(handle);
  return true;
}

void UiWindow::PresentHeldRedraws() {
  if (!IsAttached()) return;
  std::vector<ElementHandle> elements;
  elements.swap(heldRepaints_);
  // The put-off elements draw now (their paint event, not Repaint, which
  // would put them off again); the areas they ask for arrive as posted
  // messages and are still collected.
  const std::shared_ptr<bool> alive = alive_;
  for (ElementHandle handle : elements) {
    UiElement* e = UiElement::FromHandle(handle);
    if (Owns(e)) e->SendEvent(ev::kPaint, 0, 0);
    if (!*alive) return;
  }
  if (heldPresentPosted_) return;
  redrawQueue_.SetHeld(true);
  // Posted after those areas, so it finds them all queued.
  heldPresentPosted_ = PostMessageW(hwnd_, hostmsg::kPresentHeld, 0, 0) != FALSE;
  if (!heldPresentPosted_) OnPresentHeld();
}

void UiWindow::OnPresentHeld() {
  heldPresentPosted_ = false;
  redrawQueue_.Flush();
  redrawQueue_.SetHeld(redrawHolds_ > 0);
  // Areas that arrive later (a hold ended) are drawn as they come.
  if (redrawHolds_ == 0) redrawQueue_.Flush();
}

void UiWindow::ClearHeldRedraws() {
  redrawHolds_ = 0;
  heldPresentPosted_ = false;
  heldRepaints_.clear();
}

}  // namespace ui
